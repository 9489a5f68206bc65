// SPDX-License-Identifier: GPL-3.0-or-later
// The option controls: each change is stored at once, the number of Enters must be numeric, the output
// folder box is usable only while results go to it, and "..." picks the folder.
#include "OptionsPart.h"

#include "Controls.h"
#include "EngineText.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "brantlewick/engine/EnterCount.h"
#include "brantlewick/engine/Language.h"
#include "brantlewick/filesystem/PathHelpers.h"
#include "brantlewick/settings/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <stdexcept>

namespace brantlewick {
namespace {

// A stored text for one of the two boxes. One longer than the box holds is refused rather than shown
// cut: the box would store the cut text straight back.
QString TextForBox(const QString& key, const QString& stored) {
    if (stored.size() > kLongestBoxText) {
        throw SettingsError(QStringLiteral("The setting \"%1\" holds %2 characters, more than the %3 the box "
                                           "holds; it is left in the settings file and not shown.")
                                .arg(key)
                                .arg(stored.size())
                                .arg(kLongestBoxText)
                                .toStdString());
    }
    return stored;
}

// The desktop folder with one trailing separator. Throws when the desktop cannot be located.
QString DesktopFolderWithSeparator(const QString& location) {
    if (location.isEmpty()) {
        throw std::invalid_argument("Invalid argument: the desktop folder cannot be located.");
    }
    const std::string folder = WithoutTrailingSeparators(ToEngine(location));
    return FromEngine(folder.ends_with(kPathSeparator) ? folder : folder + kPathSeparator);
}

// Selects or clears an option button the way a stored setting does: selecting one clears the other,
// clearing leaves the group possibly with none selected.
void SetOption(QRadioButton& option, bool selected) {
    if (selected) {
        option.setChecked(true);
        return;
    }
    // An exclusive group refuses to clear its selected button; a stored "False" must clear it all the same.
    const bool exclusive = option.autoExclusive();
    option.setAutoExclusive(false);
    option.setChecked(false);
    option.setAutoExclusive(exclusive);
}

constexpr const char* kFindLanguage = "auto";

// The line choices in the order the list shows them.
constexpr std::pair<LineBreaks, const char*> kLineBreaksCaptions[] = {
    {LineBreaks::Join, "Run lines together"},
    {LineBreaks::Keep, "Keep each line"},
    {LineBreaks::Reflow, "Rejoin wrapped paragraphs"}};

// The entry of `list` whose data is the `stored` text (letter case aside); throws naming `key` and the
// choices when none is.
int StoredChoice(const QComboBox& list, const QString& key, const QString& stored, const QString& choices) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemData(i).toString().compare(stored.trimmed(), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    throw SettingsError(QStringLiteral("The setting \"%1\" holds \"%2\", which is not one of %3.")
                            .arg(key, stored.left(60), choices)
                            .toStdString());
}

} // namespace

OptionsPart::OptionsPart(QWidget& window, WindowShell& shell) : shell_(shell) {
    auto* enterFrame =
        MakeControl<QGroupBox>(window, "Frame3", {8040, 2265, 7800, 870}, QStringLiteral("Enter Option"));
    auto* label = MakeControl<QLabel>(*enterFrame, "Label1", {240, 360, 2190, 225},
                                      QStringLiteral("&Number Of Enters To Add:"));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Arial's stand-in (Liberation Sans) draws the caption a few pixels wider than its designed width; the
    // label grows towards the box rather than cut its text.
    label->resize(
        std::min(std::max(label->width(), label->sizeHint().width()), TwipsToPixels(2640) - label->x() - 2),
        label->height());
    enters_ = MakeTextBox(*enterFrame, "Text1", {2640, 300, 4935, 345});
    label->setBuddy(enters_);

    auto* saveFrame =
        MakeControl<QGroupBox>(window, "Frame5", {8040, 3180, 7800, 1815}, QStringLiteral("Save Option"));
    toFolder_ = MakeControl<QRadioButton>(*saveFrame, "Option1", {240, 300, 3615, 255},
                                          QStringLiteral("Sa&ve results to this folder:"));
    toFolder_->setChecked(true);
    folderBox_ = MakeControl<QGroupBox>(*saveFrame, "Frame2", {480, 510, 6840, 810});
    folder_ = MakeTextBox(*folderBox_, "Text3", {240, 300, 5670, 345});
    QPushButton* pick = MakeButton(*folderBox_, "PushButton7", QStringLiteral("..."), {6000, 300, 600, 345});
    beside_ = MakeControl<QRadioButton>(*saveFrame, "Option2", {240, 1410, 3615, 255},
                                        QStringLiteral("Save results in folder of &original file"));

    // Only the user's clicks: selecting an option from the stored settings at start-up is not a click.
    for (QRadioButton* option : {toFolder_, beside_}) {
        connect(option, &QRadioButton::clicked, this, [this] { WithoutTrap([&] { SaveOptions(); }); });
    }
    // Every change of the text, also one made by the program: the start-up writes the boxes back so.
    connect(enters_, &QLineEdit::textChanged, this, [this](const QString& text) {
        WithoutTrap([&] { StoreChoice([&] { shell_.Settings().SaveSetting(setting::kText1, text); }); });
    });
    connect(folder_, &QLineEdit::textChanged, this, [this](const QString& text) {
        WithoutTrap(
            [&] { StoreChoice([&] { shell_.Settings().SaveSetting(setting::kOutputFolder, text); }); });
    });
    connect(pick, &QPushButton::clicked, this, [this] { WithoutTrap([&] { PickOutputFolder(); }); });
    enters_->installEventFilter(this);
    // Tab enters the save options at the one selected, from either side, as desktops do (Qt enters a
    // group at whichever button it meets first); the arrow keys move between them.
    const auto tabToSelected = [this] {
        const bool none = !toFolder_->isChecked() && !beside_->isChecked();
        for (QRadioButton* option : {toFolder_, beside_}) {
            option->setFocusPolicy(option->isChecked() || none ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    tabToSelected();
    for (QRadioButton* option : {toFolder_, beside_}) {
        connect(option, &QRadioButton::toggled, this, tabToSelected);
    }
    MakeSentenceControls(window);
}

void OptionsPart::MakeSentenceControls(QWidget& window) {
    auto* frame =
        MakeControl<QGroupBox>(window, "Frame6", {120, 6120, 15720, 870}, QStringLiteral("Sentence Option"));
    sentences_ = MakeControl<QCheckBox>(*frame, "Check1", {240, 330, 4200, 285},
                                        QStringLiteral("&Break only at real sentence ends"));
    languageLabel_ =
        MakeControl<QLabel>(*frame, "Label2", {4680, 360, 1200, 225}, QStringLiteral("&Language:"));
    language_ = MakeControl<QComboBox>(*frame, "Combo1", {5880, 300, 2400, 345});
    // Automatic finds each paragraph's language from its start; it is stored as a code of its own.
    language_->addItem(QStringLiteral("Automatic"), QString::fromLatin1(kFindLanguage));
    for (const LanguageRow& row : kLanguages) {
        language_->addItem(FromEngine(std::string(row.name)), FromEngine(std::string(row.code)));
    }
    language_->setCurrentIndex(language_->findData(FromEngine(std::string(LanguageCode(UserLanguage())))));
    auto* linesLabel = MakeControl<QLabel>(*frame, "Label3", {8760, 360, 2640, 225},
                                           QStringLiteral("Line brea&ks of the input:"));
    lines_ = MakeControl<QComboBox>(*frame, "Combo2", {11400, 300, 4080, 345});
    languageLabel_->setBuddy(language_);
    linesLabel->setBuddy(lines_);
    for (const auto& [lines, caption] : kLineBreaksCaptions) {
        lines_->addItem(QString::fromLatin1(caption), FromEngine(std::string(LineBreaksName(lines))));
    }
    // The language matters only to the sentence mode.
    const auto followMode = [this] {
        language_->setEnabled(sentences_->isChecked());
        languageLabel_->setEnabled(sentences_->isChecked());
    };
    followMode();
    // Only the user's choices are stored: the start-up's restoring them is no change.
    connect(sentences_, &QCheckBox::clicked, this, [this](bool checked) {
        WithoutTrap([&] {
            StoreChoice([&] { shell_.Settings().SaveBoolSetting(setting::kSentenceMode, checked); });
        });
    });
    connect(sentences_, &QCheckBox::toggled, this, followMode);
    for (const auto& choice : {std::pair{language_, setting::kLanguage}, {lines_, setting::kLineBreaks}}) {
        // Plain copies: the clang of the fuzz build cannot capture a structured binding.
        QComboBox* const list = choice.first;
        const auto key = choice.second;
        connect(list, &QComboBox::activated, this, [this, list, key](int index) {
            WithoutTrap([&] {
                StoreChoice([&] { shell_.Settings().SaveSetting(key, list->itemData(index).toString()); });
            });
        });
    }
}

void OptionsPart::Restore(ErrorTrap& trap) {
    SettingsStore& settings = shell_.Settings();
    trap.Line(112, [&] {
        enters_->setText(
            TextForBox(setting::kText1, settings.GetSetting(setting::kText1, setting_default::kText1)));
    });
    // The default is formed on every start; without a desktop the store is not read at all.
    trap.Line(114, [&] {
        const QString desktop = DesktopFolderWithSeparator(shell_.Desktop().DesktopLocation());
        folder_->setText(
            TextForBox(setting::kOutputFolder, settings.GetSetting(setting::kOutputFolder, desktop)));
    });
    trap.Line(116, [&] {
        SetOption(*toFolder_, settings.GetBoolSetting(setting::kOption1, setting_default::kOption1));
    });
    trap.Line(118, [&] {
        SetOption(*beside_, settings.GetBoolSetting(setting::kOption2, setting_default::kOption2));
    });
    trap.Line(120, [&] { folderBox_->setEnabled(toFolder_->isChecked()); });
}

QString OptionsPart::EnterCountText() const {
    return enters_->text();
}

bool OptionsPart::SavesBesideInputs() const {
    return beside_->isChecked();
}

QString OptionsPart::OutputFolderText() const {
    return folder_->text();
}

void OptionsPart::RestoreSentenceChoices(ErrorTrap& trap) {
    SettingsStore& settings = shell_.Settings();
    trap.Line(126, [&] {
        sentences_->setChecked(
            settings.GetBoolSetting(setting::kSentenceMode, setting_default::kSentenceMode));
    });
    trap.Line(128, [&] {
        const QString stored = settings.GetSetting(setting::kLanguage, language_->currentData().toString());
        language_->setCurrentIndex(StoredChoice(*language_, setting::kLanguage, stored,
                                                QStringLiteral("en, de, fr, es, it, ru, nl, ja, zh")));
    });
    trap.Line(130, [&] {
        const QString stored = settings.GetSetting(setting::kLineBreaks, setting_default::kLineBreaks);
        lines_->setCurrentIndex(
            StoredChoice(*lines_, setting::kLineBreaks, stored, QStringLiteral("join, keep, reflow")));
    });
}

void OptionsPart::ChooseSentenceOptions(ConversionOptions& conversion) const {
    conversion.sentences = sentences_->isChecked();
    const std::string code = ToEngine(language_->currentData().toString());
    conversion.findLanguage = code == kFindLanguage;
    conversion.language = LanguageFromCode(code).value_or(UserLanguage());
    conversion.lines = kLineBreaksCaptions[lines_->currentIndex()].first;
}

bool OptionsPart::eventFilter(QObject* /*watched*/, QEvent* event) {
    // Switching to another window, or a menu popping up, is not leaving the box.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            WithoutTrap([&] { CheckNumeric(); });
        }
    }
    return false;
}

void OptionsPart::SaveOptions() {
    // The box follows the option first: a store that refuses the write must not leave the output folder
    // usable while results go beside the input files.
    folderBox_->setEnabled(toFolder_->isChecked());
    StoreChoice([this] {
        shell_.Settings().SaveBoolSetting(setting::kOption1, toFolder_->isChecked());
        shell_.Settings().SaveBoolSetting(setting::kOption2, beside_->isChecked());
    });
}

void OptionsPart::StoreChoice(const std::function<void()>& write) {
    shell_.SaveSettings(write, [this](const std::exception& error) {
        shell_.ShowMessage(QStringLiteral("Your settings cannot be saved for the next start.\r\r") +
                           QString::fromUtf8(error.what()) +
                           QStringLiteral("\r\rThe program goes on working with the choices you make now."));
    });
}

void OptionsPart::CheckNumeric() {
    if (IsNumericText(ToEngine(enters_->text()))) {
        return;
    }
    // The focus has already moved on: to the control that was clicked or tabbed to.
    const QPointer<QAbstractButton> button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    shell_.ShowMessage(QStringLiteral("Must be numeric."));
    enters_->setFocus(Qt::OtherFocusReason);
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

void OptionsPart::PickOutputFolder() {
    ErrorTrap trap = shell_.Trap(location::kPickOutputFolder);
    // When the store cannot be read, the picker opens where it did last time in this session.
    trap.Line(100, [&] {
        lastPicked_ = shell_.Settings().GetSetting(setting::kLastFolderDot, setting_default::kLastFolderDot);
    });
    const QString picked = trap.Line(102,
                                     [&] {
                                         return shell_.Desktop().BrowseForFolder(
                                             &shell_.Window(), kFolderPickerTitle, lastPicked_);
                                     })
                               .value_or(QString());
    if (picked.isEmpty()) {
        return;
    }
    trap.Line(104, [&] {
        lastPicked_ = picked;
        shell_.Settings().SaveSetting(setting::kLastFolderDot, picked);
    });
    // The root already ends in the separator.
    trap.Line(106, [&] {
        folder_->setText(picked.endsWith(QLatin1Char(kPathSeparator)) ? picked
                                                                      : picked + QLatin1Char(kPathSeparator));
    });
}

} // namespace brantlewick
