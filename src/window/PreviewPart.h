// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of a file-list entry: what "Start Adding" would make of it with the options as they stand,
// shown and never written. Opened with Ctrl+P in the window or from the list's context menu, it follows the
// selected entry and every change of the options while it is open.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class WindowShell;

class PreviewPart final : public QObject {
    Q_OBJECT

public:
    // Built after the other parts: it watches every control of `window` that holds a choice.
    PreviewPart(QWidget& window, WindowShell& shell, FileListPart& files, CharacterListPart& characters,
                OptionsPart& options);

    // Opens the preview of the selected entry (of the first without a selection), or brings it to the
    // front; nothing with an empty list.
    void Open();

private:
    // Shows the entry anew once the events in hand are done, when the preview is open.
    void Changed();
    void Show(bool toFront);

    QWidget& window_;
    WindowShell& shell_;
    FileListPart& files_;
    CharacterListPart& characters_;
    OptionsPart& options_;
    // The entry on show; it follows the entry through reordering.
    QPersistentModelIndex entry_;
    bool showPending_ = false;
};

} // namespace brantlewick
