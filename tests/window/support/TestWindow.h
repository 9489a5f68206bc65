// SPDX-License-Identifier: GPL-3.0-or-later
// A main window for tests: settings, desktop folder and program folder in a temporary folder, the scripted
// desktop, and the controls found by their names, as the user's clicks find them.
#pragma once

#include "ScriptedDesktop.h"
#include "TempDir.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/MainWindow.h"

#include <QAbstractButton>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.left(300).toStdString() << '"';
}

namespace brantlewick::testing {

struct TestWindow {
    TempDir dir;
    SettingsStore settings{QString::fromStdString(dir / "config/Kestrova.ini")};
    ScriptedDesktop desktop;
    std::unique_ptr<MainWindow> form;

    TestWindow() {
        QDir().mkpath(QString::fromStdString(ProgramFolder()));
        desktop.desktopLocation = QString::fromStdString(dir / "Desktop");
    }
    std::string SettingsPath() const { return dir / "config/Kestrova.ini"; }
    std::string ProgramFolder() const { return dir / "program"; }
    void WriteSettings(const std::string& content) const {
        QDir().mkpath(QString::fromStdString(dir / "config"));
        WriteBytes(SettingsPath(), "[Brantlewick]\n" + content);
    }
    QString Stored(const QString& key) const { return settings.GetSetting(key, QStringLiteral("-")); }
    // Creates the window (once) and runs its start-up; Show() also puts it on the screen.
    MainWindow& Load() {
        if (!form) {
            form = std::make_unique<MainWindow>(settings, desktop, QString::fromStdString(ProgramFolder()));
        }
        form->Load();
        return *form;
    }
    MainWindow& Show() {
        Load().show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }
    template <typename Control = QWidget> Control& Get(const char* name) const {
        auto* control = form->findChild<Control*>(QString::fromLatin1(name));
        return control != nullptr ? *control : throw std::logic_error(std::string("no control ") + name);
    }
    void Click(const char* name) const { Get<QAbstractButton>(name).click(); }
    ListView& Files() const { return Get<ListView>("ListView1"); }
    ListView& Characters() const { return Get<ListView>("ListView2"); }
    Qt::CursorShape Pointer() const { return form->cursor().shape(); }
    // Runs `action` once while the hourglass shows: at the first yield of a folder add that finds nothing.
    void WhileBusy(const std::function<void()>& action) {
        QDir().mkpath(QString::fromStdString(dir / "empty"));
        desktop.inputAnswers.push_back(QStringLiteral("*"));
        desktop.folderAnswers.push_back(QString::fromStdString(dir / "empty"));
        desktop.onProcessEvents = [&, done = false]() mutable {
            if (!std::exchange(done, true)) {
                EXPECT_EQ(Pointer(), Qt::WaitCursor);
                action();
            }
        };
        Click("PushButton3");
        desktop.onProcessEvents = nullptr;
    }
    // Click and double-click on entry `index` (0: beside the entries), as the window system delivers them.
    static void DoubleClick(ListView& list, int index) {
        const QPoint at = index > 0 ? list.visualItemRect(list.topLevelItem(index - 1)).center()
                                    : QPoint(10, list.viewport()->height() - 5);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }
    // The plain messages for conditions the user can set right: their first paragraphs.
    QStringList Problems() const {
        QStringList problems;
        for (const ShownMessage& message : desktop.messages) {
            if (message.caption == QStringLiteral("Brantlewick") && message.icon == MessageIcon::Warning) {
                problems.append(message.text.section(QStringLiteral("\r\r"), 0, 0));
            }
        }
        return problems;
    }
    // The page the preview shows once it has caught up with every change: pages are made on a thread of
    // their own, and one asked for while another is made replaces it.
    PreviewPage ShownPreview() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.previews.size() > previewsSeen; }, 10000));
        for (std::size_t count = 0; count != desktop.previews.size();) {
            count = desktop.previews.size();
            QTest::qWait(30);
        }
        previewsSeen = desktop.previews.size();
        return desktop.previews.empty() ? PreviewPage() : desktop.previews.back();
    }
    std::size_t previewsSeen = 0;
    QStringList ErrorReports() const {
        QStringList reports;
        for (const ShownMessage& message : desktop.messages) {
            if (message.caption == QStringLiteral("Application Error") &&
                message.icon == MessageIcon::Warning) {
                reports.append(message.text);
            }
        }
        return reports;
    }
};

// The standard report for a description at `line` of `where` ("Form1.PushButton2_Click").
inline QString Report(const QString& description, const QString& where, int line) {
    return QStringLiteral("%1\r\nin %2%3 at line %4\r\rPlease email screenshot of this message to "
                          "support@brantlewick.example")
        .arg(description,
             where.startsWith(QStringLiteral("AddFolder")) ? "Tovarquin2021/08/31." : "Moravelle2021/08/31.",
             where)
        .arg(line);
}

} // namespace brantlewick::testing
