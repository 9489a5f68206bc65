// The test window.
#include "TestWindow.h"

#include <QDir>

namespace brantlewick::testing {

TestWindow::TestWindow() : settings(QString::fromStdString(dir / "config/Kestrova.ini")) {
    QDir().mkpath(QString::fromStdString(ProgramFolder()));
}

TestWindow::~TestWindow() = default;

void TestWindow::WriteSettings(const std::string& content) const {
    QDir().mkpath(QString::fromStdString(dir / "config"));
    WriteBytes(SettingsPath(), content);
}

Form1& TestWindow::Create() {
    if (!form) {
        form = std::make_unique<Form1>(settings, desktop, QString::fromStdString(ProgramFolder()));
    }
    return *form;
}

Form1& TestWindow::Load() {
    Form1& window = Create();
    window.Form_Load();
    return window;
}

QStringList TestWindow::ErrorReports() const {
    QStringList reports;
    for (const ShownMessage& message : desktop.messages) {
        if (message.caption == QStringLiteral("Application Error")) {
            reports.append(message.text);
        }
    }
    return reports;
}

QString ExpectedReport(const QString& description, const QString& location, int line) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(line) +
           QStringLiteral("\r\rPlease email screenshot of this message to support@brantlewick.example");
}

} // namespace brantlewick::testing
