// The file list driven with the pointer: removal, clearing, and the reorder gesture with its scrolling.
#include "ListsFixture.h"

#include <QFile>
#include <QImage>
#include <QPushButton>

namespace brantlewick::testing {
namespace {

const QStringList kFive = {"/in/a.txt", "/in/b.txt", "/in/c.txt", "/in/d.txt", "/in/e.txt"};

class FileListTest : public ListsFixture {
protected:
    void SetUp() override { Open(); }

    // Presses on entry `from`, moves straight onto entry `to` (one move step) and releases there.
    void Drag(int from, int to) {
        PressFiles(EntryPoint(Files(), from));
        MoveFiles(EntryPoint(Files(), to));
        ReleaseFiles(EntryPoint(Files(), to));
    }
};

TEST_F(FileListTest, AppendsInOrderKeepsDuplicatesAndFindsOnlyExactTexts) {
    FillFiles({"/Docs/A.txt", "/b.txt", "/Docs/A.txt"});

    EXPECT_EQ(Files().Texts(), (QStringList{"/Docs/A.txt", "/b.txt", "/Docs/A.txt"}));
    EXPECT_TRUE(Form1::IsInList(&Files(), "/Docs/A.txt"));
    EXPECT_FALSE(Form1::IsInList(&Files(), "/docs/a.txt"));
    EXPECT_FALSE(Form1::IsInList(&Files(), "/Docs/A.txt "));
    EXPECT_FALSE(Form1::IsInList(&Characters(), "/b.txt"));
    Files().clear();
    EXPECT_FALSE(Form1::IsInList(&Files(), QString()));
}

TEST_F(FileListTest, DoubleClickRemovesTheEntryUnderThePointer) {
    FillFiles({"/1", "/2", "/3"});
    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), (QStringList{"/1", "/3"}));

    // A double-click beside the entries removes nothing, also when an entry was selected before.
    Files().Select(1);
    DoubleClickAt(Files(), EmptyPoint());
    EXPECT_EQ(Files().Texts(), (QStringList{"/1", "/3"}));
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(FileListTest, ClearListEmptiesWithoutAQuestion) {
    FillFiles(kFive);
    form_->PushButton4()->click();
    EXPECT_EQ(Files().Count(), 0);
    form_->PushButton4()->click();
    EXPECT_EQ(Files().Count(), 0);
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(FileListTest, NoKeyChangesTheList) {
    FillFiles(kFive);
    Files().setFocus();
    Files().Select(2);
    for (const int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_F2, Qt::Key_Return, Qt::Key_Enter,
                          Qt::Key_Space, Qt::Key_X}) {
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key));
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key), Qt::ControlModifier);
        QTest::keyClick(&Files(), Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    }
    EXPECT_EQ(Files().Texts(), kFive);
    // No editor opened on an entry: the list itself still has the focus.
    EXPECT_EQ(QApplication::focusWidget(), &Files());
    EXPECT_FALSE(Files().dragEnabled());
    EXPECT_EQ(Files().editTriggers(), QAbstractItemView::NoEditTriggers);
    // Files dropped from outside must still arrive.
    EXPECT_TRUE(Files().viewport()->acceptDrops());
}

TEST_F(FileListTest, AMoveStepExchangesTheTwoEntriesAndLeavesThoseBetween) {
    FillFiles(kFive);
    Drag(1, 4);

    EXPECT_EQ(Files().Texts(),
              (QStringList{"/in/d.txt", "/in/b.txt", "/in/c.txt", "/in/a.txt", "/in/e.txt"}));
    EXPECT_EQ(Files().SelectedIndex(), 4);
    EXPECT_EQ(form_->DragEntryIndex(), 4);
}

TEST_F(FileListTest, StepByStepTheTextTravelsOnePlacePerEntry) {
    FillFiles(kFive);
    PressFiles(EntryPoint(Files(), 1));
    for (int i = 2; i <= 4; ++i) {
        MoveFiles(EntryPoint(Files(), i));
    }
    ReleaseFiles(EntryPoint(Files(), 4));

    EXPECT_EQ(Files().Texts(),
              (QStringList{"/in/b.txt", "/in/c.txt", "/in/d.txt", "/in/a.txt", "/in/e.txt"}));
    EXPECT_EQ(Files().SelectedIndex(), 4);
}

TEST_F(FileListTest, EqualTextsAreNeverExchanged) {
    FillFiles({"/same", "/other", "/same"});
    Drag(1, 3);

    EXPECT_EQ(Files().Texts(), (QStringList{"/same", "/other", "/same"}));
    // Nothing was exchanged, so neither the selection nor the drag entry moved.
    EXPECT_EQ(Files().SelectedIndex(), 1);
    EXPECT_EQ(form_->DragEntryIndex(), 1);
}

TEST_F(FileListTest, MovesWithoutAPressedButtonNeverReorder) {
    FillFiles(kFive);
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, EntryPoint(Files(), 1));
    MoveFiles(EntryPoint(Files(), 3));
    MoveFiles(EntryPoint(Files(), 5));
    EXPECT_EQ(Files().Texts(), kFive);

    // A press whose release never reached the list (a dialog took the pointer) ends with the next move
    // that holds no button.
    PressFiles(EntryPoint(Files(), 1));
    form_->ListView1_MouseMove(Qt::NoButton, EntryPoint(Files(), 2));
    form_->ListView1_MouseMove(Qt::LeftButton, EntryPoint(Files(), 3));
    EXPECT_EQ(Files().Texts(), kFive);
}

TEST_F(FileListTest, ThePickedEntryStaysPickedAfterTheRelease) {
    FillFiles(kFive);
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, EntryPoint(Files(), 2));
    // A later press on empty space, then moves over entries, goes on moving entry 2.
    PressFiles(EmptyPoint());
    MoveFiles(EntryPoint(Files(), 5));
    ReleaseFiles(EntryPoint(Files(), 5));

    EXPECT_EQ(Files().Texts(),
              (QStringList{"/in/a.txt", "/in/e.txt", "/in/c.txt", "/in/d.txt", "/in/b.txt"}));
}

TEST_F(FileListTest, MovesOverTheHeaderOrOutsideTheListFindNoEntry) {
    QStringList sixty;
    for (int i = 1; i <= 60; ++i) {
        sixty.append(QStringLiteral("/in/%1.txt").arg(i));
    }
    FillFiles(sixty);
    // Entries lie hidden above and below the visible ones.
    Files().scrollToItem(Files().topLevelItem(19), QAbstractItemView::PositionAtTop);
    PressFiles(EntryPoint(Files(), 22));
    const QPoint top = EntryPoint(Files(), 20);
    const int rowHeight = Files().visualItemRect(Files().topLevelItem(19)).height();
    MoveFiles(QPoint(top.x(), -rowHeight - 2));
    MoveFiles(QPoint(top.x(), Files().viewport()->height() + 2 * rowHeight));
    MoveFiles(QPoint(-5, top.y()));
    ReleaseFiles(EmptyPoint());
    EXPECT_EQ(Files().Texts(), sixty);
}

TEST_F(FileListTest, ARemovedDragEntryCountsAsNone) {
    FillFiles(kFive);
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, EntryPoint(Files(), 3));
    // Removing an entry in front keeps the picked entry, now one place up.
    Files().Remove(1);
    EXPECT_EQ(form_->DragEntryIndex(), 2);

    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), (QStringList{"/in/b.txt", "/in/d.txt", "/in/e.txt"}));
    EXPECT_EQ(form_->DragEntryIndex(), 0);
    PressFiles(EmptyPoint());
    MoveFiles(EntryPoint(Files(), 1));
    MoveFiles(EntryPoint(Files(), 3));
    ReleaseFiles(EmptyPoint());
    EXPECT_EQ(Files().Texts(), (QStringList{"/in/b.txt", "/in/d.txt", "/in/e.txt"}));

    // Clearing the list and filling it again does not bring an old drag entry back.
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, EntryPoint(Files(), 1));
    form_->PushButton4()->click();
    FillFiles(kFive);
    EXPECT_EQ(form_->DragEntryIndex(), 0);
    PressFiles(EmptyPoint());
    MoveFiles(EntryPoint(Files(), 2));
    ReleaseFiles(EmptyPoint());
    EXPECT_EQ(Files().Texts(), kFive);
}

TEST_F(FileListTest, RemovingIsRefusedWhileTheHourglassShowsButReorderingIsNot) {
    FillFiles(kFive);
    form_->SetMousePointer(PointerState::Hourglass);

    form_->PushButton4()->click();
    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), kFive);

    Drag(1, 2);
    EXPECT_EQ(Files().Texts(),
              (QStringList{"/in/b.txt", "/in/a.txt", "/in/c.txt", "/in/d.txt", "/in/e.txt"}));
    EXPECT_EQ(form_->MousePointer(), PointerState::Hourglass);

    form_->SetMousePointer(PointerState::Default);
    DoubleClick(Files(), 2);
    form_->PushButton4()->click();
    EXPECT_EQ(Files().Count(), 0);
}

TEST_F(FileListTest, MovingOverTheListResetsTheHandPointer) {
    FillFiles(kFive);
    form_->SetMousePointer(PointerState::Custom);
    MoveFiles(EntryPoint(Files(), 3));
    EXPECT_EQ(form_->MousePointer(), PointerState::Default);
}

TEST_F(FileListTest, TheListPointerComesFromDragIcoLoadedAtEveryClick) {
    FillFiles(kFive);
    const QString icon = QString::fromStdString(dir_ / "drag.ico");
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);

    struct Row {
        const char* file; // what lies beside the program before the click
        Qt::CursorShape whilePressed;
    };
    for (const Row& row : {Row{"missing", Qt::DragMoveCursor}, Row{"icon", Qt::BitmapCursor},
                           Row{"garbage", Qt::DragMoveCursor}, Row{"icon", Qt::BitmapCursor},
                           Row{"missing", Qt::DragMoveCursor}}) {
        SCOPED_TRACE(row.file);
        QFile::remove(icon);
        if (QByteArray(row.file) == "icon") {
            ASSERT_TRUE(image.save(icon, "ICO"));
        } else if (QByteArray(row.file) == "garbage") {
            WriteBytes(icon.toStdString(), "not an icon");
        }
        PressFiles(EntryPoint(Files(), 2));
        EXPECT_EQ(Files().cursor().shape(), row.whilePressed);
        EXPECT_EQ(form_->DragEntryIndex(), 2);
        ReleaseFiles(EntryPoint(Files(), 2));
        EXPECT_EQ(Files().cursor().shape(), Qt::ArrowCursor);
    }
}

// The screen row of the pointer decides which neighbour of the exchanged entry is scrolled into view.
TEST_F(FileListTest, ScreenRowsDecideWhichNeighbourIsScrolledIntoView) {
    struct Row {
        int screenRow;
        bool entryAboveShown; // after exchanging with the top visible entry
        bool entryBelowShown; // after exchanging with the bottom visible entry
    };
    const Row rows[] = {{0, true, false},    {304, true, false}, {305, false, false},
                        {364, false, false}, {365, false, true}, {2000, false, true}};
    // Shown in full, give or take the one pixel row the toolkit leaves under an entry it scrolls to the
    // bottom.
    const auto shownWhole = [this](int index) {
        const QRect rect = Files().visualItemRect(Files().topLevelItem(index - 1));
        return rect.top() >= 0 && rect.bottom() <= Files().viewport()->height();
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.screenRow);
        form_->SetPointerScreenRowSource([&row] { return row.screenRow; });
        Files().clear();
        for (int i = 1; i <= 60; ++i) {
            Files().Append(QStringLiteral("/in/%1.txt").arg(i));
        }

        // Entry 20 at the very top, entry 19 just above it, out of sight.
        Files().scrollToItem(Files().topLevelItem(19), QAbstractItemView::PositionAtTop);
        ASSERT_TRUE(shownWhole(20));
        ASSERT_FALSE(shownWhole(19));
        ASSERT_TRUE(shownWhole(22));
        Drag(22, 20);
        ASSERT_EQ(Files().Text(20), QStringLiteral("/in/22.txt"));
        EXPECT_EQ(shownWhole(19), row.entryAboveShown);
        EXPECT_TRUE(shownWhole(20));

        // Entry 40 at the very bottom, entry 41 just below it, out of sight.
        Files().scrollToItem(Files().topLevelItem(39), QAbstractItemView::PositionAtBottom);
        ASSERT_TRUE(shownWhole(40));
        ASSERT_FALSE(shownWhole(41));
        ASSERT_TRUE(shownWhole(38));
        Drag(38, 40);
        ASSERT_EQ(Files().Text(40), QStringLiteral("/in/38.txt"));
        EXPECT_EQ(shownWhole(41), row.entryBelowShown);
        EXPECT_TRUE(shownWhole(40));
    }
}

// Dragging into the bottom row while it was only partly in view used to scroll two entries on at once,
// so the next step exchanged across the skipped entry and two other files changed places.
TEST_F(FileListTest, DraggingIntoAPartlyShownRowScrollsOneEntryAtATime) {
    QStringList sixty;
    for (int i = 1; i <= 60; ++i) {
        sixty.append(QStringLiteral("/in/%1.txt").arg(i));
    }
    FillFiles(sixty);
    // Make sure the bottom row is cut in half.
    const int rowHeight = Files().visualItemRect(Files().topLevelItem(0)).height();
    const int cut = Files().viewport()->height() % rowHeight;
    Files().resize(Files().width(), Files().height() + (rowHeight / 2 - cut + rowHeight) % rowHeight);
    QCoreApplication::processEvents();
    ASSERT_EQ(Files().viewport()->height() % rowHeight, rowHeight / 2);
    Files().scrollToTop();
    const QPoint bottom(EntryPoint(Files(), 1).x(), Files().viewport()->height() - 2);
    const int partlyShown = Files().IndexAt(bottom);
    ASSERT_GT(partlyShown, 3);

    form_->SetPointerScreenRowSource([] { return 700; });
    PressFiles(EntryPoint(Files(), 2));
    for (int i = 3; i < partlyShown; ++i) {
        MoveFiles(EntryPoint(Files(), i));
    }
    for (int step = 0; step < 8; ++step) {
        MoveFiles(bottom + QPoint(step % 2, 0));
    }
    ReleaseFiles(bottom);

    // The moved text went further down than the first view reached, and every entry it passed moved
    // up by exactly one place.
    const int landed = static_cast<int>(Files().Texts().indexOf("/in/2.txt")) + 1;
    EXPECT_GT(landed, partlyShown);
    QStringList shifted = sixty;
    shifted.move(1, landed - 1);
    EXPECT_EQ(Files().Texts(), shifted);
}

} // namespace
} // namespace brantlewick::testing
