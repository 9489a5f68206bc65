// The options of a run: the number of Enters, the save options and the output folder.
#include "Form1.h"

#include "EngineText.h"

#include "EnterCount.h"
#include "PathHelpers.h"
#include "SettingsStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>

namespace brantlewick {

void Form1::StoreChoice(const std::function<void()>& write) {
    try {
        write();
    } catch (const std::exception& error) {
        if (!unsavedChoicesTold_) {
            unsavedChoicesTold_ = true;
            ShowMessage(QStringLiteral("Your settings cannot be saved for the next start.\r\r") +
                        QString::fromUtf8(error.what()) +
                        QStringLiteral("\r\rThe program goes on working with the choices you make now."));
        }
    }
}

void Form1::SaveOptions() {
    // The box follows the option first: a store that refuses the write must not leave the output
    // folder usable while results go beside the input files.
    frame2_->setEnabled(option1_->isChecked());
    StoreChoice([this] {
        settings_.SaveBoolSetting(setting::kOption1, option1_->isChecked());
        settings_.SaveBoolSetting(setting::kOption2, option2_->isChecked());
    });
}

void Form1::Option1_Click() {
    SaveOptions();
}

void Form1::Option2_Click() {
    SaveOptions();
}

void Form1::Text1_Change() {
    StoreChoice([this] { settings_.SaveSetting(setting::kText1, text1_->text()); });
}

void Form1::Text1_LostFocus() {
    if (IsNumericText(ToEngine(text1_->text()))) {
        return;
    }
    // The focus has already moved on: to the control that was clicked or tabbed to.
    const QPointer<QAbstractButton> button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    ShowMessage(QStringLiteral("Must be numeric."));
    text1_->setFocus(Qt::OtherFocusReason);
    // A mouse press that moved the focus reaches its button only after the box has closed, and the box
    // took the release: let go of the button, so that it neither stays half pressed nor clicks later.
    if (button) {
        QMetaObject::invokeMethod(
            this,
            [button] {
                if (button) {
                    button->setDown(false);
                }
            },
            Qt::QueuedConnection);
    }
}

void Form1::Text3_Change() {
    StoreChoice([this] { settings_.SaveSetting(setting::kOutputFolder, text3_->text()); });
}

void Form1::PushButton7_Click() {
    ErrorTrap trap = Trap(location::kPushButton7Click);
    // When the store cannot be read, the picker opens where it did last time in this session.
    trap.Line(100, [&] { lastFolderDot_ = settings_.GetSetting(setting::kLastFolderDot, QString()); });
    QString picked;
    trap.Line(102, [&] {
        picked = Desktop().BrowseForFolder(this, QStringLiteral("Please select folder:"), lastFolderDot_);
    });
    if (picked.isEmpty()) {
        return;
    }
    trap.Line(104, [&] {
        lastFolderDot_ = picked;
        settings_.SaveSetting(setting::kLastFolderDot, picked);
    });
    // The root already ends in the separator.
    trap.Line(106, [&] {
        text3_->setText(picked.endsWith(QChar(kPathSeparator)) ? picked : picked + QChar(kPathSeparator));
    });
}

} // namespace brantlewick
