// SPDX-License-Identifier: GPL-3.0-or-later
// Desktop services that run one action of the window before every modal box or dialog opens.
#pragma once

#include "brantlewick/window/DesktopServices.h"

#include <functional>
#include <utility>

namespace brantlewick {

// Passes every call on to `desktop`; the dialogs (message and input boxes, the file dialog and the folder
// picker, the pop-up menu, the list of failures) run `beforeModal` first, so that the window can bring what
// it shows up to date before a box that may stay open for long.
class BeforeModalDesktop final : public DesktopServices {
public:
    BeforeModalDesktop(DesktopServices& desktop, std::function<void()> beforeModal)
        : desktop_(desktop), beforeModal_(std::move(beforeModal)) {}

    MessageAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                             MessageButtons buttons) override {
        beforeModal_();
        return desktop_.MessageBox(owner, text, caption, icon, buttons);
    }
    QString InputBox(QWidget* owner, const QString& prompt, const QString& caption,
                     const QString& defaultText) override {
        beforeModal_();
        return desktop_.InputBox(owner, prompt, caption, defaultText);
    }
    QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                          const QString& startFolder) override {
        beforeModal_();
        return desktop_.OpenFiles(owner, title, filter, startFolder);
    }
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) override {
        beforeModal_();
        return desktop_.BrowseForFolder(owner, title, initialFolder);
    }
    int PopupMenu(QWidget* owner, const QPoint& at, const QStringList& items) override {
        beforeModal_();
        return desktop_.PopupMenu(owner, at, items);
    }
    void ShowPreview(QWidget* owner, const PreviewPage& page, bool toFront, PreviewPlaces* places) override {
        desktop_.ShowPreview(owner, page, toFront, places);
    }
    bool PreviewOpen() override { return desktop_.PreviewOpen(); }
    void ShowFailures(QWidget* owner, const QList<FileFailure>& failures) override {
        beforeModal_();
        desktop_.ShowFailures(owner, failures);
    }
    void OpenFolder(const QString& path) override { desktop_.OpenFolder(path); }
    void OpenWebAddress(const QString& address) override { desktop_.OpenWebAddress(address); }
    QString DesktopLocation() override { return desktop_.DesktopLocation(); }
    int RandomDraw() override { return desktop_.RandomDraw(); }
    int PointerScreenRow() override { return desktop_.PointerScreenRow(); }
    void ProcessEvents() override { desktop_.ProcessEvents(); }
    void EndProgram() override { desktop_.EndProgram(); }

private:
    DesktopServices& desktop_;
    std::function<void()> beforeModal_;
};

} // namespace brantlewick
