// SPDX-License-Identifier: GPL-3.0-or-later
// The program's one window. It is made of parts that each own one area (the file list, adding files, the
// character list, the options, and "Start Adding" with its progress bar); this class lays them out, runs
// the start-up and the shutdown, and keeps the pointer rules and the optional skin.
#pragma once

#include <QWidget>

#include <memory>

namespace brantlewick {

class DesktopServices;
class SettingsStore;

class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // `programFolder` is the folder beside the executable, where the Samples folder, the pointer images
    // and the skin are looked for.
    MainWindow(SettingsStore& settings, DesktopServices& desktop, QString programFolder,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; the caller shows the window afterwards.
    void Load();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Parts;
    void SetTabOrder();
    void OpenWebsiteOnceInAHundred();

    std::unique_ptr<Parts> parts_;
};

} // namespace brantlewick
