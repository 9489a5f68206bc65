// A main window for tests: its settings file and program folder in a temporary folder, the scripted desktop.
#pragma once

#include "Form1.h"
#include "ScriptedDesktopServices.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <memory>
#include <string>

namespace brantlewick::testing {

class TestWindow {
public:
    TestWindow();
    ~TestWindow();

    // The settings file ("config/Kestrova.ini") and the program folder ("program", created empty).
    std::string SettingsPath() const { return dir / "config/Kestrova.ini"; }
    std::string ProgramFolder() const { return dir / "program"; }
    // Writes the settings file before the window starts.
    void WriteSettings(const std::string& content) const;

    // Creates the window (once) without loading it.
    Form1& Create();
    // Creates the window and runs its start-up sequence.
    Form1& Load();

    // The texts of the "Application Error" reports shown so far.
    QStringList ErrorReports() const;

    TempDir dir;
    SettingsStore settings;
    ScriptedDesktopServices desktop;
    std::unique_ptr<Form1> form;
};

// The standard report text for a description, a location and a line, spelled out for comparisons.
QString ExpectedReport(const QString& description, const QString& location, int line);

} // namespace brantlewick::testing
