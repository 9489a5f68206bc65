// SPDX-License-Identifier: GPL-3.0-or-later
// What the parts of the main window share: the dialogs captioned with the application title, the error
// report, the pointer whose hourglass marks a run, the settings, and the folder beside the program.
#pragma once

#include "BeforeModalDesktop.h"
#include "brantlewick/trap/ErrorTrap.h"
#include "brantlewick/window/DesktopServices.h"

#include <QCursor>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace brantlewick {

class SettingsStore;

inline const QString kFolderPickerTitle = QStringLiteral("Please select folder:");

// The window's mouse pointer; the values are the window system's pointer codes. The hourglass marks a run
// in progress: the removing operations do nothing while it shows.
enum class PointerState { Default = 0, Hourglass = 11, Custom = 99 };

// The application title: the product name cut at its last space until it is at most 40 characters long.
// A name without a space is kept whole (cut to 40 characters if longer).
QString ShortApplicationTitle(const QString& productName);

class WindowShell final : public ErrorReporter {
public:
    WindowShell(QWidget& window, SettingsStore& settings, DesktopServices& desktop, QString programFolder);

    QWidget& Window() const { return window_; }
    SettingsStore& Settings() const { return settings_; }
    // Every dialog of the window goes through here, so that what was set with BeforeEveryBox() runs first.
    DesktopServices& Desktop() { return desktop_; }
    // Brings something the window shows up to date before any box opens that may stay open for long.
    void BeforeEveryBox(std::function<void()> action) { beforeEveryBox_ = std::move(action); }
    // The folder beside the executable, where the Samples folder, the pointer images and the skin lie.
    const QString& ProgramFolder() const { return programFolder_; }

    // The short form of the product name that captions the messages and input boxes.
    void SetApplicationTitle();
    // A trap for a handler that has one; see ErrorTrap.
    ErrorTrap Trap(std::string_view location) { return ErrorTrap(*this, location); }
    // An ordinary message: OK only, no icon, the application title as caption.
    void ShowMessage(const QString& text);
    // A Yes/No question without an icon, captioned with the application title.
    bool AskYesNo(const QString& text);
    // An input box captioned with the application title; the empty string on Cancel.
    QString AskText(const QString& prompt, const QString& preset = QString());
    void ShowErrorReport(const std::string& text) override;
    // A condition the user can set right, in plain words (see PlainWords): the warning icon and the
    // application title, no report number.
    void ShowProblem(const QString& text);
    // Shows `error` in plain words when it is such a condition; `input` is the run's entry it belongs to.
    bool TellPlainly(const std::exception& error, const QString& input);
    bool TellPlainly(const std::exception& error) override { return TellPlainly(error, QString()); }

    PointerState Pointer() const { return pointer_; }
    bool Busy() const { return pointer_ == PointerState::Hourglass; }
    void SetPointer(PointerState state);
    // The pointer-move rules: the hand over a push button, the arrow over the controls that reset it; a
    // run's hourglass stays either way.
    void PointerOverButton();
    void PointerOverResettingControl();
    // The image of the custom state; without one it shows the desktop's hand.
    void SetHandImage(const QCursor& image);
    // Runs a write to the settings store. Its first failure in a session is handed to `tell`, which says
    // so (or throws it on to a trap); later failures are dropped: the user knows by then that the choices
    // are not kept, and one keystroke after another must not bring up a box each.
    void SaveSettings(const std::function<void()>& write,
                      const std::function<void(const std::exception&)>& tell);

    // "Start Adding" is running (possibly paused in one of its yields).
    bool RunInProgress() const { return runInProgress_; }
    void SetRunInProgress(bool running) { runInProgress_ = running; }

private:
    QWidget& window_;
    SettingsStore& settings_;
    std::function<void()> beforeEveryBox_;
    BeforeModalDesktop desktop_;
    QString programFolder_;
    QString applicationTitle_;
    PointerState pointer_ = PointerState::Default;
    std::optional<QCursor> handImage_;
    bool runInProgress_ = false;
    bool unsavedSettingsTold_ = false;
};

} // namespace brantlewick
