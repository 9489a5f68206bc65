// The file list driven with the pointer: removal, clearing, and the reorder gesture with its scrolling.
#include "ListsFixture.h"

#include <QFile>
#include <QImage>
#include <QPushButton>

#include <vector>

namespace brantlewick::testing {
namespace {

// One file "/in/x.txt" for every letter x.
QStringList Paths(const char* letters) {
    QStringList paths;
    for (const char* letter = letters; *letter != 0; ++letter) {
        paths.append(QStringLiteral("/in/%1.txt").arg(QLatin1Char(*letter)));
    }
    return paths;
}
const QStringList kFive = Paths("abcde");

class FileListTest : public ListsFixture {
protected:
    // Presses at `press`, moves over the entries of `path` in turn and releases at `release`.
    void Gesture(const QPoint& press, const std::vector<int>& path, const QPoint& release) {
        PressFiles(press);
        for (const int over : path) {
            MoveFiles(EntryPoint(Files(), over));
        }
        ReleaseFiles(release);
    }
    // Presses on entry `from`, moves straight onto entry `to` (one move step) and releases there.
    void Drag(int from, int to) { Gesture(EntryPoint(Files(), from), {to}, EntryPoint(Files(), to)); }
    // Sixty entries, scrolled so that some lie hidden above and below the visible ones.
    QStringList FillSixty() {
        QStringList sixty;
        for (int i = 1; i <= 60; ++i) {
            sixty.append(QStringLiteral("/in/%1.txt").arg(i));
        }
        Files().clear();
        Files().AppendAll(sixty);
        return sixty;
    }
};

TEST_F(FileListTest, FindsOnlyExactTextsAndDoubleClickRemovesTheEntryUnderThePointer) {
    for (const char* text : {"/Docs/A.txt", "/b.txt", "/Docs/A.txt"}) {
        Files().Append(text);
    }
    EXPECT_TRUE(Form1::IsInList(&Files(), "/Docs/A.txt"));
    EXPECT_FALSE(Form1::IsInList(&Files(), "/docs/a.txt"));
    EXPECT_FALSE(Form1::IsInList(&Files(), "/Docs/A.txt "));
    EXPECT_FALSE(Form1::IsInList(&Characters(), "/b.txt"));

    DoubleClick(Files(), 1);
    EXPECT_EQ(Files().Texts(), (QStringList{"/b.txt", "/Docs/A.txt"}));
    // A double-click beside the entries removes nothing, also when an entry was selected before.
    Files().Select(1);
    DoubleClickAt(Files(), EmptyPoint());
    EXPECT_EQ(Files().Texts(), (QStringList{"/b.txt", "/Docs/A.txt"}));
}

TEST_F(FileListTest, NoKeyChangesTheList) {
    Files().AppendAll(kFive);
    Files().setFocus();
    Files().Select(2);
    for (const int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_F2, Qt::Key_Return, Qt::Key_Enter,
                          Qt::Key_Space, Qt::Key_X}) {
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key));
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key), Qt::ControlModifier);
        QTest::keyClick(&Files(), Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    }
    EXPECT_EQ(Files().Texts(), kFive);
    // No editor opened on an entry, no drag of entries, but files dropped from outside still arrive.
    EXPECT_EQ(QApplication::focusWidget(), &Files());
    EXPECT_FALSE(Files().dragEnabled());
    EXPECT_TRUE(Files().viewport()->acceptDrops());
}

TEST_F(FileListTest, EachMoveStepExchangesThePickedEntryWithTheOneUnderThePointer) {
    struct Row {
        const char* before;
        int clicked;           // 0: no click before the gesture
        int pressed;           // 0: the press lands beside the entries
        std::vector<int> path; // the entries moved over, then released on the last
        const char* after;
        int selected; // also the drag entry
    };
    const Row rows[] = {
        {"abcde", 0, 1, {4}, "dbcae", 4},       // one step from 1 onto 4 exchanges the two
        {"abcde", 0, 1, {2, 3, 4}, "bcdae", 4}, // step by step the text travels one place per entry
        {"aba", 0, 1, {3}, "aba", 1},           // equal texts are never exchanged
        {"abcde", 2, 0, {5}, "aecdb", 5},       // the picked entry stays picked after the release
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.after);
        Files().clear();
        Files().AppendAll(Paths(row.before));
        if (row.clicked > 0) {
            ClickFiles(row.clicked);
        }
        Gesture(row.pressed > 0 ? EntryPoint(Files(), row.pressed) : EmptyPoint(), row.path,
                EntryPoint(Files(), row.path.back()));
        EXPECT_EQ(Files().Texts(), Paths(row.after));
        EXPECT_EQ(Files().SelectedIndex(), row.selected);
        EXPECT_EQ(form_->DragEntryIndex(), row.selected);
    }
}

TEST_F(FileListTest, MovesWithoutAPressedButtonOrOutsideTheEntriesNeverReorder) {
    Files().AppendAll(kFive);
    ClickFiles(1);
    for (const int over : {3, 5}) {
        MoveFiles(EntryPoint(Files(), over));
    }
    // A press whose release never reached the list (a dialog took the pointer) ends with the next move
    // that holds no button.
    PressFiles(EntryPoint(Files(), 1));
    form_->ListView1_MouseMove(Qt::NoButton, EntryPoint(Files(), 2));
    form_->ListView1_MouseMove(Qt::LeftButton, EntryPoint(Files(), 3));
    EXPECT_EQ(Files().Texts(), kFive);

    // Over the header, below the viewport and left of it there is no entry, even with hidden ones there.
    const QStringList sixty = FillSixty();
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
    Files().AppendAll(kFive);
    ClickFiles(3);
    // Removing an entry in front keeps the picked entry, now one place up.
    Files().Remove(1);
    EXPECT_EQ(form_->DragEntryIndex(), 2);

    DoubleClick(Files(), 2);
    EXPECT_EQ(form_->DragEntryIndex(), 0);
    Gesture(EmptyPoint(), {1, 3}, EmptyPoint());
    EXPECT_EQ(Files().Texts(), Paths("bde"));

    // Clearing the list and filling it again does not bring an old drag entry back.
    ClickFiles(1);
    form_->PushButton4()->click();
    Files().AppendAll(kFive);
    EXPECT_EQ(form_->DragEntryIndex(), 0);
    Gesture(EmptyPoint(), {2}, EmptyPoint());
    EXPECT_EQ(Files().Texts(), kFive);
}

TEST_F(FileListTest, RemovingIsRefusedWhileTheHourglassShowsButReorderingIsNot) {
    Files().AppendAll(kFive);
    form_->SetMousePointer(PointerState::Hourglass);
    form_->PushButton4()->click();
    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), kFive);

    Drag(1, 2);
    EXPECT_EQ(Files().Texts(), Paths("bacde"));
    EXPECT_EQ(form_->MousePointer(), PointerState::Hourglass);

    form_->SetMousePointer(PointerState::Default);
    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), Paths("bcde"));
    // Clear List asks nothing.
    form_->PushButton4()->click();
    EXPECT_EQ(Files().Count(), 0);
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(FileListTest, TheListPointerComesFromDragIcoLoadedAtEveryClick) {
    Files().AppendAll(kFive);
    const QString icon = QString::fromStdString(dir_ / "drag.ico");
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    // What lies beside the program before the click, and the pointer while the button is held.
    const std::pair<QString, Qt::CursorShape> rows[] = {{"missing", Qt::DragMoveCursor},
                                                        {"icon", Qt::BitmapCursor},
                                                        {"garbage", Qt::DragMoveCursor},
                                                        {"icon", Qt::BitmapCursor},
                                                        {"missing", Qt::DragMoveCursor}};
    for (const auto& [file, whilePressed] : rows) {
        SCOPED_TRACE(file.toStdString());
        QFile::remove(icon);
        if (file == "icon") {
            ASSERT_TRUE(image.save(icon, "ICO"));
        } else if (file == "garbage") {
            WriteBytes(icon.toStdString(), "not an icon");
        }
        PressFiles(EntryPoint(Files(), 2));
        EXPECT_EQ(Files().cursor().shape(), whilePressed);
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
        FillSixty();
        // Entry 20 at the very top, entry 19 just above it, out of sight.
        Files().scrollToItem(Files().topLevelItem(19), QAbstractItemView::PositionAtTop);
        ASSERT_TRUE(shownWhole(20) && !shownWhole(19) && shownWhole(22));
        Drag(22, 20);
        ASSERT_EQ(Files().Text(20), QStringLiteral("/in/22.txt"));
        EXPECT_EQ(shownWhole(19), row.entryAboveShown);
        EXPECT_TRUE(shownWhole(20));
        // Entry 40 at the very bottom, entry 41 just below it, out of sight.
        Files().scrollToItem(Files().topLevelItem(39), QAbstractItemView::PositionAtBottom);
        ASSERT_TRUE(shownWhole(40) && !shownWhole(41) && shownWhole(38));
        Drag(38, 40);
        ASSERT_EQ(Files().Text(40), QStringLiteral("/in/38.txt"));
        EXPECT_EQ(shownWhole(41), row.entryBelowShown);
        EXPECT_TRUE(shownWhole(40));
    }
}

// Dragging into the bottom row while it was only partly in view used to scroll two entries on at once,
// so the next step exchanged across the skipped entry and two other files changed places.
TEST_F(FileListTest, DraggingIntoAPartlyShownRowScrollsOneEntryAtATime) {
    const QStringList sixty = FillSixty();
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
