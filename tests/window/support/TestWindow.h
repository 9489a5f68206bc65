// A main window for tests: its settings file, desktop folder and program folder in a temporary folder, the
// scripted desktop, and its controls found by their names, as the user's clicks find them.
#pragma once

#include "Form1.h"
#include "ListView.h"
#include "ScriptedDesktop.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <QAbstractButton>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.left(300).toStdString() << (text.size() > 300 ? "...\"" : "\"");
}

namespace brantlewick::testing {

struct TestWindow {
    TempDir dir;
    SettingsStore settings{QString::fromStdString(dir / "config/Kestrova.ini")};
    ScriptedDesktop desktop;
    std::unique_ptr<Form1> form;

    TestWindow() {
        QDir().mkpath(QString::fromStdString(ProgramFolder()));
        desktop.desktopLocation = QString::fromStdString(dir / "Desktop");
    }
    std::string SettingsPath() const { return dir / "config/Kestrova.ini"; }
    std::string ProgramFolder() const { return dir / "program"; }
    void WriteSettings(const std::string& content) const {
        QDir().mkpath(QString::fromStdString(dir / "config"));
        WriteBytes(SettingsPath(), content);
    }
    QString Stored(const QString& key) const { return settings.GetSetting(key, QStringLiteral("-")); }

    // Creates the window (once) and runs its start-up.
    Form1& Load() {
        if (!form) {
            form = std::make_unique<Form1>(settings, desktop, QString::fromStdString(ProgramFolder()));
        }
        form->Load();
        return *form;
    }
    // Loads the window and shows it, so that entries have places on the screen.
    Form1& Show() {
        Load();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    template <typename Control = QWidget> Control& Get(const char* name) const {
        auto* control = form->findChild<Control*>(QString::fromLatin1(name));
        if (control == nullptr) {
            throw std::logic_error(std::string("no control ") + name);
        }
        return *control;
    }
    void Click(const char* name) const { Get<QAbstractButton>(name).click(); }
    ListView& Files() const { return Get<ListView>("ListView1"); }
    ListView& Characters() const { return Get<ListView>("ListView2"); }

    // Runs `action` once while the window shows the hourglass: during the first yield of a folder add that
    // finds nothing.
    void WhileBusy(const std::function<void()>& action) {
        QDir().mkpath(QString::fromStdString(dir / "empty"));
        desktop.inputAnswers.push_back(QStringLiteral("*"));
        desktop.folderAnswers.push_back(QString::fromStdString(dir / "empty"));
        bool done = false;
        desktop.onProcessEvents = [&] {
            if (!std::exchange(done, true)) {
                EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
                action();
            }
        };
        Click("PushButton3");
        desktop.onProcessEvents = nullptr;
    }

    // Press, release, double-click, release on entry `index`: the sequence the window system delivers.
    static void DoubleClick(ListView& list, int index) {
        const QPoint at = index > 0 ? list.visualItemRect(list.topLevelItem(index - 1)).center()
                                    : QPoint(10, list.viewport()->height() - 5);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    QStringList ErrorReports() const {
        QStringList reports;
        for (const ShownMessage& message : desktop.messages) {
            if (message.caption == QStringLiteral("Application Error")) {
                reports.append(message.text);
            }
        }
        return reports;
    }
};

// The standard report for a description at `line` of `where` ("Form1.PushButton2_Click").
inline QString Report(const QString& description, const QString& where, int line) {
    return description + QStringLiteral("\r\nin ") +
           (where.startsWith(QStringLiteral("AddFolder")) ? QStringLiteral("Tovarquin")
                                                          : QStringLiteral("Moravelle")) +
           QStringLiteral("2021/08/31.") + where + QStringLiteral(" at line ") + QString::number(line) +
           QStringLiteral("\r\rPlease email screenshot of this message to support@brantlewick.example");
}

} // namespace brantlewick::testing
