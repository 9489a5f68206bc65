// A main window on a settings file in a temporary folder, loaded and shown on the offscreen screen, with
// helpers that press, move and release the pointer on the lists as a user does.
#pragma once

#include "Form1.h"
#include "ListView.h"
#include "ScriptedDesktopServices.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace brantlewick::testing {

class ListsFixture : public ::testing::Test {
protected:
    ListsFixture()
        : store_(QString::fromStdString(dir_ / "Kestrova.ini")),
          form_(std::make_unique<Form1>(store_, desktop_, QString::fromStdString(dir_.Path()))) {}
    void SetUp() override { Open(); }

    // Loads the window and shows it, so that entries have places on the screen.
    void Open() {
        form_->Form_Load();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    ListView& Files() { return *form_->ListView1(); }
    ListView& Characters() { return *form_->ListView2(); }
    QString Stored(const QString& key) { return store_.GetSetting(key, QStringLiteral("<none>")); }

    // The centre of entry `index` (from 1) of a list, in its viewport.
    static QPoint EntryPoint(ListView& list, int index) {
        return list.visualItemRect(list.topLevelItem(index - 1)).center();
    }
    // A point of the file list beside every entry (the list is far taller than a few entries).
    QPoint EmptyPoint() { return QPoint(10, Files().viewport()->height() - 5); }

    void PressFiles(const QPoint& at) { QTest::mousePress(Files().viewport(), Qt::LeftButton, {}, at); }
    void MoveFiles(const QPoint& to) { QTest::mouseMove(Files().viewport(), to); }
    void ReleaseFiles(const QPoint& at) { QTest::mouseRelease(Files().viewport(), Qt::LeftButton, {}, at); }
    void ClickFiles(int index) {
        QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, EntryPoint(Files(), index));
    }
    // Press, release, double-click, release: the sequence the window system delivers.
    static void DoubleClickAt(ListView& list, const QPoint& at) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
    }
    static void DoubleClick(ListView& list, int index) { DoubleClickAt(list, EntryPoint(list, index)); }

    TempDir dir_;
    SettingsStore store_;
    ScriptedDesktopServices desktop_;
    std::unique_ptr<Form1> form_;
};

} // namespace brantlewick::testing
