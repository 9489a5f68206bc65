// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Adding" and its progress bar: the window's front end of the batch run.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <QObject>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class ProgressBar;
class StatusPart;
class WindowShell;

// The Enter count as "Start Adding" reads it from its box, once for a run; throws EnterCountOverflow for one
// it refuses (the run then inserts no breaks).
int EnterCountOf(const OptionsPart& options);
// The conversion as the other controls stand now, as "Start Adding" would apply it to a file coming up.
ConversionOptions ConversionFromControls(const CharacterListPart& characters, const OptionsPart& options,
                                         int enterCount);

class StartAddingPart final : public QObject {
    Q_OBJECT

public:
    StartAddingPart(QWidget& window, WindowShell& shell, FileListPart& files, CharacterListPart& characters,
                    OptionsPart& options, StatusPart& status);

signals:
    // A run is over, and its results written.
    void runEnded();

private:
    void StartAdding();

    WindowShell& shell_;
    FileListPart& files_;
    CharacterListPart& characters_;
    OptionsPart& options_;
    StatusPart& status_;
    ProgressBar& bar_;
};

} // namespace brantlewick
