// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick: the window program. It loads the main window and runs until that window closes.
#include "brantlewick/files/TemporaryFiles.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/MainWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    // Ended by a signal (a logout sends SIGHUP or SIGTERM), the program leaves no temporary file behind.
    brantlewick::EndCleanlyOnSignals();
    // The XDG rules have a relative base folder ignored; Qt would take it from the working folder for its
    // own files (the file dialog's state) as well.
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '/') {
            ::unsetenv(variable);
        }
    }
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
