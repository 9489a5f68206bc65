// SPDX-License-Identifier: GPL-3.0-or-later
// The window's dialogs, error report and pointer, shared by its parts.
#include "WindowShell.h"

#include "PlainWords.h"
#include "brantlewick/engine/Version.h"
#include "brantlewick/settings/SettingsStore.h"

#include <QWidget>

#include <utility>

namespace brantlewick {

QString ShortApplicationTitle(const QString& productName) {
    constexpr qsizetype kLongest = 40;
    QString title = productName;
    do {
        const qsizetype space = title.lastIndexOf(u' ');
        if (space < 0) {
            title.truncate(kLongest);
            break;
        }
        title.truncate(space);
    } while (title.size() > kLongest);
    return title;
}

WindowShell::WindowShell(QWidget& window, SettingsStore& settings, DesktopServices& desktop,
                         QString programFolder)
    : window_(window), settings_(settings), desktop_(desktop,
                                                     [this] {
                                                         if (beforeEveryBox_) {
                                                             beforeEveryBox_();
                                                         }
                                                     }),
      programFolder_(std::move(programFolder)), applicationTitle_(QString::fromUtf8(kProductName)) {}

void WindowShell::SetApplicationTitle() {
    applicationTitle_ = ShortApplicationTitle(QString::fromUtf8(kProductName));
}

void WindowShell::ShowMessage(const QString& text) {
    desktop_.MessageBox(&window_, text, applicationTitle_, MessageIcon::None, MessageButtons::Ok);
}

bool WindowShell::AskYesNo(const QString& text) {
    return desktop_.Question(&window_, text, applicationTitle_);
}

QString WindowShell::AskText(const QString& prompt, const QString& preset) {
    return desktop_.InputBox(&window_, prompt, applicationTitle_, preset);
}

void WindowShell::ShowErrorReport(const std::string& text) {
    desktop_.MessageBox(
        &window_, QString::fromStdString(text),
        QString::fromUtf8(kErrorReportCaption.data(), static_cast<qsizetype>(kErrorReportCaption.size())),
        MessageIcon::Warning, MessageButtons::Ok);
}

void WindowShell::ShowProblem(const QString& text) {
    desktop_.MessageBox(&window_, text, applicationTitle_, MessageIcon::Warning, MessageButtons::Ok);
}

bool WindowShell::TellPlainly(const std::exception& error, const QString& input) {
    const std::optional<QString> words = PlainWords(error, input, settings_.FilePath());
    if (words) {
        ShowProblem(*words);
    }
    return words.has_value();
}

void WindowShell::SaveSettings(const std::function<void()>& write,
                               const std::function<void(const std::exception&)>& tell) {
    try {
        write();
    } catch (const std::exception& error) {
        if (!std::exchange(unsavedSettingsTold_, true)) {
            tell(error);
        }
    }
}

void WindowShell::SetPointer(PointerState state) {
    pointer_ = state;
    switch (state) {
    case PointerState::Default:
        window_.setCursor(Qt::ArrowCursor);
        break;
    case PointerState::Hourglass:
        window_.setCursor(Qt::WaitCursor);
        break;
    case PointerState::Custom:
        window_.setCursor(handImage_ ? *handImage_ : QCursor(Qt::PointingHandCursor));
        break;
    }
}

void WindowShell::SetHandImage(const QCursor& image) {
    handImage_ = image;
    if (pointer_ == PointerState::Custom) {
        SetPointer(PointerState::Custom);
    }
}

void WindowShell::PointerOverButton() {
    if (!Busy()) {
        SetPointer(PointerState::Custom);
    }
}

void WindowShell::PointerOverResettingControl() {
    if (!Busy()) {
        SetPointer(PointerState::Default);
    }
}

} // namespace brantlewick
