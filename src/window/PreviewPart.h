// SPDX-License-Identifier: GPL-3.0-or-later
// The preview of a file-list entry: what "Start Adding" would make of it with the options as they stand,
// shown and never written. Opened with Ctrl+P in the window or from the list's context menu, it follows the
// selected entry and every change of the options while it is open.
#pragma once

#include "brantlewick/engine/Conversion.h"
#include "brantlewick/window/DesktopServices.h"
#include "brantlewick/window/PreviewPage.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QPersistentModelIndex>

#include <optional>
#include <string>

class QWidget;

namespace brantlewick {

class CharacterListPart;
class FileListPart;
class OptionsPart;
class WindowShell;

// The page is made on a thread of its own, so that a large file or a huge number of Enters never keeps the
// window waiting; the user's place for the preview window is kept in the settings.
class PreviewPart final : public QObject, public PreviewPlaces {
    Q_OBJECT

public:
    // Built after the other parts: it watches every control of `window` that holds a choice.
    PreviewPart(QWidget& window, WindowShell& shell, FileListPart& files, CharacterListPart& characters,
                OptionsPart& options);

    std::optional<QRect> Remembered(const QString& screens) override;
    void Remember(const QString& screens, const QRect& frame) override;

    // Opens the preview of the selected entry (of the first without a selection), or brings it to the
    // front; nothing with an empty list.
    void Open();
    // What a run wrote is shown once it is over.
    void RunEnded();

private:
    // Shows the entry anew once the events in hand are done, when the preview is open.
    void Changed();
    void Show(bool toFront);
    // What a page is made from: the run's list, the entry and the options as they stand.
    struct Request {
        QStringList entries;
        int position;
        ConversionOptions conversion;
        std::optional<std::string> folder;
        bool toFront;
    };
    void Make(Request request);
    void Made();

    QWidget& window_;
    WindowShell& shell_;
    FileListPart& files_;
    CharacterListPart& characters_;
    OptionsPart& options_;
    // The entry on show; it follows the entry through reordering.
    QPersistentModelIndex entry_;
    bool showPending_ = false;
    QFutureWatcher<PreviewPage> making_;
    std::optional<Request> next_; // asked for while a page was being made
    bool toFront_ = false;
    QFileSystemWatcher disk_; // the file on show, and the folder its result goes to
};

} // namespace brantlewick
