// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop services on Qt: real dialogs, the desktop's file manager and browser, the event loop.
#pragma once

#include "brantlewick/window/DesktopServices.h"

#include <QPointer>

#include <memory>
#include <random>

class QInputDialog;
class QMessageBox;

namespace brantlewick {

class PreviewWindow;

class QtDesktopServices final : public DesktopServices {
public:
    QtDesktopServices();

    MessageAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    QString InputBox(QWidget* owner, const QString& prompt, const QString& caption,
                     const QString& defaultText) override;
    QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                          const QString& startFolder) override;
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) override;
    int PopupMenu(QWidget* owner, const QPoint& at, const QStringList& items) override;
    void ShowPreview(QWidget* owner, const PreviewPage& page, bool toFront, PreviewPlaces* places) override;
    bool PreviewOpen() override;
    void ShowFailures(QWidget* owner, const QList<FileFailure>& failures) override;
    void OpenFolder(const QString& path) override;
    void OpenWebAddress(const QString& address) override;
    QString DesktopLocation() override;
    int RandomDraw() override;
    int PointerScreenRow() override;
    void ProcessEvents() override;
    [[noreturn]] void EndProgram() override;

private:
    std::mt19937 generator_;
    // Owned by its owner window, and gone with it.
    QPointer<PreviewWindow> preview_;
};

// The dialog's design buffer: the folder, a NUL, each name followed by a NUL, and a final NUL must fit in
// 30000 characters (a single path: the path and its NUL).
inline constexpr qsizetype kOpenFilesBufferLength = 30000;
bool SelectionFitsOpenFilesBuffer(const QStringList& paths);

// A filter in the dialog-resource form ("Name|patterns|Name|patterns|") in Qt's form ("Name
// (patterns);;...").
// "*.*" means every file there, names without a dot too; in Qt it would need a dot, so it becomes "*".
QString QtFileDialogFilter(const QString& filter);

// The picker's answer in the form the program uses: no trailing separator except for the root.
QString FolderPickerResult(const QString& chosen);

// The boxes as MessageBox and InputBox show them, not yet opened. Their texts are plain text, never markup.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                            MessageIcon icon, MessageButtons buttons);
std::unique_ptr<QInputDialog> MakeInputBox(QWidget* owner, const QString& prompt, const QString& caption,
                                           const QString& defaultText);

// What a message box displays for a message built with "\r\n" and bare "\r" line ends.
QString DisplayedMessageText(const QString& text);

} // namespace brantlewick
