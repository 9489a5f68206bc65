// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick: the window program. It loads the main window and runs until that window closes.
#include "brantlewick/engine/TemporaryFiles.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/MainWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Ended by a signal (a logout sends SIGHUP or SIGTERM), the program leaves no temporary file behind.
    brantlewick::EndCleanlyOnSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brantlewick"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Brantlewick"));

    brantlewick::SettingsStore settings;
    brantlewick::QtDesktopServices desktop;
    brantlewick::MainWindow form(settings, desktop, QCoreApplication::applicationDirPath());
    form.Load();
    form.show();
    return QApplication::exec();
}
