// SPDX-License-Identifier: GPL-3.0-or-later
// The file list driven with the pointer: removal, clearing, and the reorder gesture with its scrolling.
#include "Rows.h"
#include "TestWindow.h"

#include <QHelpEvent>
#include <QToolTip>

namespace brantlewick::testing {
namespace {

class FileListTest : public ::testing::Test, public TestWindow {
protected:
    void SetUp() override { Show(); }
    // Fills the list with "a" to "e" (or "1" to "60" when `count` is given).
    void Fill(int count = 0) {
        Files().clear();
        for (int i = 0; i < (count > 0 ? count : 5); ++i) {
            Files().Append(count > 0 ? QString::number(i + 1) : QString(QChar('a' + i)));
        }
    }
    QPoint At(int index) {
        return index > 0 ? Files().visualItemRect(Files().topLevelItem(index - 1)).center() : QPoint(10, 300);
    }
    void Send(QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent event(type, at, Files().viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(Files().viewport(), &event);
    }
    // Presses on entry `from` (0: beside the entries), moves over the entries of `path` and releases.
    void Gesture(int from, const std::vector<int>& path) {
        QTest::mousePress(Files().viewport(), Qt::LeftButton, {}, At(from));
        for (const int over : path) {
            Send(QEvent::MouseMove, At(over));
        }
        QTest::mouseRelease(Files().viewport(), Qt::LeftButton, {}, At(path.back()));
    }
    QString Texts() { return Files().Texts().join(""); }
};

// Each move step with a button held exchanges the picked entry with the one under the pointer, never
// with an equal text, and selects it; the picked entry stays picked after the release. Without a button
// (a release that never reached the list ends the gesture too), outside the entries, with the picked
// entry removed or the list cleared, nothing moves; nor does any key.
TEST_F(FileListTest, EachMoveStepExchangesThePickedEntryWithTheOneUnderThePointer) {
    const struct {
        const char* name;
        int clicked; // before the gesture; 0: none
        int pressed; // 0: beside the entries
        std::vector<int> path;
        const char* after;
        int selected;
    } rows[] = {{"one step", 0, 1, {4}, "dbcae", 4},
                {"steps over each entry", 0, 1, {2, 3, 4}, "bcdae", 4},
                {"there and back", 0, 2, {3, 2}, "abcde", 2},
                {"pressed beside the entries", 2, 0, {5}, "aecdb", 5}};
    FOR_EACH_ROW(row, rows) {
        Fill();
        if (row.clicked > 0) {
            QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(row.clicked));
        }
        Gesture(row.pressed, row.path);
        EXPECT_EQ(Texts(), row.after);
        EXPECT_EQ(Files().SelectedIndex(), row.selected);
    }
    Fill();
    Files().Append("a");
    Gesture(1, {6}); // an equal text
    QTest::mousePress(Files().viewport(), Qt::LeftButton, {}, At(1));
    Send(QEvent::MouseMove, At(2), Qt::NoButton);
    Send(QEvent::MouseMove, At(3));
    for (const QPoint& outside :
         {QPoint(20, -5), QPoint(-5, At(3).y()), QPoint(20, Files().viewport()->height() + 5)}) {
        Send(QEvent::MouseMove, outside);
    }
    for (const int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_F2, Qt::Key_Return, Qt::Key_Space}) {
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key));
    }
    DoubleClick(Files(), 0);
    EXPECT_EQ(Texts(), "abcdea");
    DoubleClick(Files(), 2); // picks b and removes it
    Gesture(0, {1, 3});
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(1));
    Click("PushButton4");
    Fill();
    Gesture(0, {2});
    EXPECT_EQ(Texts(), "abcde");
}

TEST_F(FileListTest, RemovingIsRefusedWhileTheHourglassShowsButReorderingIsNot) {
    Fill();
    WhileBusy([&] {
        Click("PushButton4");
        DoubleClick(Files(), 2);
        Gesture(1, {2});
    });
    EXPECT_EQ(Texts(), "bacde");
    Click("PushButton4");
    EXPECT_EQ(Files().Count() + desktop.messages.size(), 0u);
}

// Dragging into a bottom row shown only in part used to scroll two entries on at once, so that the next
// step exchanged across the skipped entry and two other files changed places.
TEST_F(FileListTest, DraggingIntoAPartlyShownRowScrollsOneEntryAtATime) {
    Fill(60);
    const int height = Files().visualItemRect(Files().topLevelItem(0)).height();
    Files().resize(Files().width(),
                   Files().height() + (height / 2 - Files().viewport()->height() % height + height) % height);
    QCoreApplication::processEvents();
    Files().scrollToTop();
    const QPoint bottom(20, Files().viewport()->height() - 2);
    const int partlyShown = Files().IndexAt(bottom);
    desktop.pointerRow = 700;
    QTest::mousePress(Files().viewport(), Qt::LeftButton, {}, At(2));
    for (int i = 3; i < partlyShown; ++i) {
        Send(QEvent::MouseMove, At(i));
    }
    for (int step = 0; step < 8; ++step) {
        Send(QEvent::MouseMove, bottom + QPoint(step % 2, 0));
    }
    const int landed = static_cast<int>(Files().Texts().indexOf("2")) + 1;
    EXPECT_GT(landed, partlyShown);
    QStringList shifted;
    for (int i = 1; i <= 60; ++i) {
        shifted.append(QString::number(i));
    }
    shifted.move(1, landed - 1);
    EXPECT_EQ(Files().Texts(), shifted);
}

// Long entries were cut at their right end, hiding the names behind the folder prefix they share: they
// are cut in the middle, and an entry's tooltip is its whole path (beside the entries, the list's own).
// A text too long to draw keeps its start and its end.
TEST_F(FileListTest, LongEntriesKeepTheirNamesInSightAndShowTheWholePathAsTooltip) {
    const QString folder = "/home/user/" + QString(60, u'f') + "/";
    Files().clear();
    Files().AppendAll({folder + "first.txt", folder + "second.txt", QString(9000, u'x') + "/end.txt"});
    EXPECT_EQ(Files().textElideMode(), Qt::ElideMiddle);
    const auto tooltipAt = [&](const QPoint& at) {
        QHelpEvent event(QEvent::ToolTip, at, Files().viewport()->mapToGlobal(at));
        QApplication::sendEvent(Files().viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipAt(At(2)), folder + "second.txt");
    EXPECT_EQ(tooltipAt(At(0)),
              "Drag and drop files here. Double-click item to remove it. Move | line to right "
              "and out of window to reveal full names.");
    EXPECT_EQ(Files().topLevelItem(2)->text(0),
              QString(2048, u'x') + u'\u2026' + QString(2039, u'x') + "/end.txt");
    EXPECT_EQ(Files().Text(3).size(), 9008);
}

} // namespace
} // namespace brantlewick::testing
