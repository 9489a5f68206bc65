// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Adding" and its progress bar: the window's front end of the batch run.
#pragma once

#include <QObject>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class ProgressBar;
class StatusPart;
class WindowShell;

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
