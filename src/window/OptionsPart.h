// SPDX-License-Identifier: GPL-3.0-or-later
// The options of a run: the number of Enters, where results are saved, the output folder, and how the
// breaks are placed (every ending or only real sentence ends, in which language, with the input's lines).
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <QObject>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace brantlewick {

class ErrorTrap;
class WindowShell;

// What "Start Adding" says when the output folder is not there, and so what the preview warns of.
inline constexpr QLatin1StringView
    kNoOutputFolderMessage("Folder does not exist. Please select another folder.");

class OptionsPart final : public QObject {
    Q_OBJECT

public:
    OptionsPart(QWidget& window, WindowShell& shell);

    // The start-up's lines 112 to 120: the two boxes and the save options from the settings.
    void Restore(ErrorTrap& trap);

    QString EnterCountText() const;
    // "Save results in folder of original file" is selected.
    bool SavesBesideInputs() const;
    QString OutputFolderText() const;

    // The sentence mode, its language and the line choice from the settings; run after the character list
    // is restored. A stored value that cannot be read is reported and its control keeps its default.
    void RestoreSentenceChoices(ErrorTrap& trap);
    // Sets the sentence mode, the language and the line choice of `conversion` as the controls stand.
    void ChooseSentenceOptions(ConversionOptions& conversion) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SaveOptions();
    // The boxes and the options store every change at once and have no trap: a store that refuses a write
    // is told once a session (WindowShell::SaveSettings), not at every keystroke, and the window goes on.
    void StoreChoice(const std::function<void()>& write);
    void CheckNumeric();
    void PickOutputFolder();
    void MakeSentenceControls(QWidget& window);

    WindowShell& shell_;
    QLineEdit* enters_ = nullptr;
    QRadioButton* toFolder_ = nullptr;
    QGroupBox* folderBox_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QRadioButton* beside_ = nullptr;
    QCheckBox* sentences_ = nullptr;
    QLabel* languageLabel_ = nullptr;
    QComboBox* language_ = nullptr;
    QComboBox* lines_ = nullptr;
    // The folder the output-folder picker opened at last time, as the picker returned it.
    QString lastPicked_;
};

} // namespace brantlewick
