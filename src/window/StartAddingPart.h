// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Adding" and its progress bar: the window's front end of the batch run.
#pragma once

#include "Conversion.h"

#include <QObject>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class ProgressBar;
class WindowShell;

// The conversion as the controls stand now, as "Start Adding" would apply it; an Enter count it would
// refuse gives no breaks, as in the run.
ConversionOptions ConversionAsTheControlsStand(const CharacterListPart& characters,
                                               const OptionsPart& options);

class StartAddingPart final : public QObject {
    Q_OBJECT

public:
    StartAddingPart(QWidget& window, WindowShell& shell, FileListPart& files, CharacterListPart& characters,
                    OptionsPart& options);

private:
    void StartAdding();

    WindowShell& shell_;
    FileListPart& files_;
    CharacterListPart& characters_;
    OptionsPart& options_;
    ProgressBar& bar_;
};

} // namespace brantlewick
