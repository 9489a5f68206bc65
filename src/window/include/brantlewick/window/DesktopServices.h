// SPDX-License-Identifier: GPL-3.0-or-later
// The one interface through which the window reaches every dialog and desktop service.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

class QWidget;

namespace brantlewick {

struct PreviewPage;

enum class MessageIcon { None, Warning };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// A file a run could not convert, and why.
struct FileFailure {
    QString file;
    QString reason;
    friend bool operator==(const FileFailure&, const FileFailure&) = default;
};

// The open-files dialog's selection does not fit the result buffer of its design length; the caller shows
// its own message instead of the standard report.
class TooManyFilesError : public std::runtime_error {
public:
    TooManyFilesError() : std::runtime_error("The selected file names do not fit the dialog's buffer.") {}
};

// Where the user left the preview window on each set-up of screens: kept by the window, in its settings.
class PreviewPlaces {
public:
    virtual ~PreviewPlaces() = default;
    virtual std::optional<QRect> Remembered(const QString& screens) = 0;
    // The preview's frame, as the user moved or sized it.
    virtual void Remember(const QString& screens, const QRect& frame) = 0;
};

class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // A modal message box; returns the button the user chose.
    virtual MessageAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                     MessageIcon icon, MessageButtons buttons) = 0;
    // A modal line-input box; the empty string on Cancel.
    virtual QString InputBox(QWidget* owner, const QString& prompt, const QString& caption,
                             const QString& defaultText) = 0;
    // The file-open dialog with multiple selection, opened in `startFolder` (the dialog's own choice when
    // empty): full paths in the dialog's order, empty on Cancel. Throws TooManyFilesError when the
    // selection would not fit the dialog's result buffer.
    virtual QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                                  const QString& startFolder) = 0;
    // The folder picker: a folder path without a trailing separator ("/" for the root), or the empty string
    // on Cancel. An empty or missing initial folder leaves the dialog's own starting place.
    virtual QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) = 0;
    // A pop-up menu at a screen position: the index of the chosen item, or -1 when none was chosen. An
    // item's "&" marks its access letter, and a tab sets off the shortcut shown beside it. A desktop
    // without menus chooses none.
    virtual int PopupMenu(QWidget* /*owner*/, const QPoint& /*at*/, const QStringList& /*items*/) {
        return -1;
    }
    // The one preview window, opened with `page` or, when open already, showing it instead of what it
    // showed; `toFront` raises it and gives it the focus. It opens beside the owner's window and follows it,
    // or where `places` says the user left it. It converts and writes nothing itself. A desktop without one
    // shows nothing.
    virtual void ShowPreview(QWidget* /*owner*/, const PreviewPage& /*page*/, bool /*toFront*/,
                             PreviewPlaces* /*places*/) {}
    // Whether the preview window is open, so that a change of the options is worth showing there.
    virtual bool PreviewOpen() { return false; }
    // The list of the files a run could not convert, with the reasons, until the user closes it. A desktop
    // without one shows nothing.
    virtual void ShowFailures(QWidget* /*owner*/, const QList<FileFailure>& /*failures*/) {}
    // Show a folder in the file manager, or an address in the browser; the outcome is not looked at.
    virtual void OpenFolder(const QString& path) = 0;
    virtual void OpenWebAddress(const QString& address) = 0;
    // The user's desktop folder as the desktop names it; empty when it cannot be located.
    virtual QString DesktopLocation() = 0;
    // A whole number from 1 to 100, drawn anew at each call.
    virtual int RandomDraw() = 0;
    // The pointer's vertical position in screen pixels, from the top of the screen.
    virtual int PointerScreenRow() = 0;
    // Lets the window system deliver what is pending (repaints, clicks) inside a long loop.
    virtual void ProcessEvents() = 0;
    // Ends the program at once, from whatever handler or loop is running.
    virtual void EndProgram() = 0;

    // A Yes/No question without an icon.
    bool Question(QWidget* owner, const QString& text, const QString& caption) {
        return MessageBox(owner, text, caption, MessageIcon::None, MessageButtons::YesNo) ==
               MessageAnswer::Yes;
    }
};

} // namespace brantlewick
