// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick: the window program. It loads the main window and runs until that window closes.
#include "MainWindow.h"
#include "QtDesktopServices.h"
#include "SettingsStore.h"
#include "TemporaryFiles.h"

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
