// "Start Adding" and its progress bar: the window's front end of the batch run.
#pragma once

#include <QObject>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class ProgressBar;
class WindowShell;

class StartAddingPart final : public QObject {
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
