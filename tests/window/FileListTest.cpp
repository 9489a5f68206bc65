// The file list driven with the pointer: removal, clearing, and the reorder gesture with its scrolling.
#include "TestWindow.h"

#include <QFile>
#include <QImage>

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

class FileListTest : public ::testing::Test, public TestWindow {
protected:
    void SetUp() override { Show(); }
    QPoint At(int index) { return Files().visualItemRect(Files().topLevelItem(index - 1)).center(); }
    // A point of the list beside every entry (the list is far taller than a few entries).
    QPoint Beside() { return QPoint(10, Files().viewport()->height() - 5); }
    void Press(const QPoint& at) { QTest::mousePress(Files().viewport(), Qt::LeftButton, {}, at); }
    void Move(const QPoint& to) { QTest::mouseMove(Files().viewport(), to); }
    void Release(const QPoint& at) { QTest::mouseRelease(Files().viewport(), Qt::LeftButton, {}, at); }
    // Presses at `press`, moves over the entries of `path` in turn and releases on the last.
    void Gesture(const QPoint& press, const std::vector<int>& path) {
        Press(press);
        for (const int over : path) {
            Move(At(over));
        }
        Release(At(path.back()));
    }
    void Drag(int from, int to) { Gesture(At(from), {to}); }
    void Fill(const QStringList& texts) {
        Files().clear();
        Files().AppendAll(texts);
    }
    QStringList FillSixty() {
        QStringList sixty;
        for (int i = 1; i <= 60; ++i) {
            sixty.append(QStringLiteral("/in/%1.txt").arg(i));
        }
        Fill(sixty);
        return sixty;
    }
};

TEST_F(FileListTest, DoubleClickRemovesTheEntryUnderThePointerAndNoKeyChangesTheList) {
    Fill(kFive);
    DoubleClick(Files(), 2);
    EXPECT_EQ(Files().Texts(), Paths("acde"));
    Files().Select(1);
    DoubleClick(Files(), 0);
    Files().setFocus();
    for (const int key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_F2, Qt::Key_Return, Qt::Key_Space}) {
        QTest::keyClick(&Files(), static_cast<Qt::Key>(key));
        QTest::keyClick(&Files(), Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    }
    EXPECT_EQ(Files().Texts(), Paths("acde"));
    EXPECT_FALSE(Files().dragEnabled());
}

TEST_F(FileListTest, EachMoveStepExchangesThePickedEntryWithTheOneUnderThePointer) {
    const struct {
        const char* before;
        int clicked;           // 0: no click before the gesture
        int pressed;           // 0: the press lands beside the entries
        std::vector<int> path; // the entries moved over, then released on the last
        const char* after;
        int selected; // also the drag entry
    } rows[] = {
        {"abcde", 0, 1, {4}, "dbcae", 4},       // one step from 1 onto 4 exchanges the two
        {"abcde", 0, 1, {2, 3, 4}, "bcdae", 4}, // step by step the text travels one place per entry
        {"aba", 0, 1, {3}, "aba", 1},           // equal texts are never exchanged
        {"abcde", 2, 0, {5}, "aecdb", 5},       // the picked entry stays picked after the release
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.after);
        Fill(Paths(row.before));
        if (row.clicked > 0) {
            QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(row.clicked));
        }
        Gesture(row.pressed > 0 ? At(row.pressed) : Beside(), row.path);
        EXPECT_EQ(Files().Texts(), Paths(row.after));
        EXPECT_EQ(Files().SelectedIndex(), row.selected);
    }
}

TEST_F(FileListTest, MovesWithoutAPressedButtonOrOutsideTheEntriesNeverReorder) {
    Fill(kFive);
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(1));
    Move(At(3));
    // A press whose release never reached the list (a box took the pointer) ends at the next move
    // without a button.
    Press(At(1));
    QMouseEvent noButton(QEvent::MouseMove, At(2), Files().viewport()->mapToGlobal(At(2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Files().viewport(), &noButton);
    QMouseEvent held(QEvent::MouseMove, At(3), Files().viewport()->mapToGlobal(At(3)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Files().viewport(), &held);
    EXPECT_EQ(Files().Texts(), kFive);
    // Over the header, below the viewport and left of it there is no entry, even with hidden ones there.
    const QStringList sixty = FillSixty();
    Files().scrollToItem(Files().topLevelItem(19), QAbstractItemView::PositionAtTop);
    Press(At(22));
    const int rowHeight = Files().visualItemRect(Files().topLevelItem(19)).height();
    for (const QPoint& outside : {QPoint(At(20).x(), -rowHeight - 2), QPoint(-5, At(20).y()),
                                  QPoint(At(20).x(), Files().viewport()->height() + 2 * rowHeight)}) {
        Move(outside);
    }
    Release(Beside());
    EXPECT_EQ(Files().Texts(), sixty);
}

// A removed drag entry counts as none, also after the list was cleared and filled again.
TEST_F(FileListTest, ARemovedDragEntryIsNeverMovedAgain) {
    Fill(kFive);
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(3));
    Files().Remove(1); // the picked entry moves up with the others
    Gesture(Beside(), {1});
    EXPECT_EQ(Files().Texts(), Paths("cbde"));
    DoubleClick(Files(), 1);
    Gesture(Beside(), {1, 3});
    EXPECT_EQ(Files().Texts(), Paths("bde"));
    QTest::mouseClick(Files().viewport(), Qt::LeftButton, {}, At(1));
    Click("PushButton4");
    Files().AppendAll(kFive);
    Gesture(Beside(), {2});
    EXPECT_EQ(Files().Texts(), kFive);
}

TEST_F(FileListTest, RemovingIsRefusedWhileTheHourglassShowsButReorderingIsNot) {
    Fill(kFive);
    WhileBusy([&] {
        Click("PushButton4");
        DoubleClick(Files(), 2);
        Drag(1, 2);
    });
    EXPECT_EQ(Files().Texts(), Paths("bacde"));
    Click("PushButton4");
    EXPECT_EQ(Files().Count(), 0);
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(FileListTest, TheListPointerComesFromDragIcoLoadedAtEveryPress) {
    Fill(kFive);
    const QString icon = QString::fromStdString(ProgramFolder() + "/drag.ico");
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    const std::pair<QString, Qt::CursorShape> rows[] = {{"missing", Qt::DragMoveCursor},
                                                        {"icon", Qt::BitmapCursor},
                                                        {"garbage", Qt::DragMoveCursor},
                                                        {"icon", Qt::BitmapCursor}};
    for (const auto& [file, whilePressed] : rows) {
        QFile::remove(icon);
        if (file == "icon") {
            ASSERT_TRUE(image.save(icon, "ICO"));
        } else if (file == "garbage") {
            WriteBytes(icon.toStdString(), "not an icon");
        }
        Press(At(2));
        EXPECT_EQ(Files().cursor().shape(), whilePressed) << file.toStdString();
        Release(At(2));
        EXPECT_EQ(Files().cursor().shape(), Qt::ArrowCursor);
    }
}

// The pointer's screen row decides which neighbour of the exchanged entry is scrolled into view.
TEST_F(FileListTest, ScreenRowsDecideWhichNeighbourIsScrolledIntoView) {
    const struct {
        int screenRow;
        bool aboveShown, belowShown;
    } rows[] = {{304, true, false}, {305, false, false}, {364, false, false}, {365, false, true}};
    // Shown in full, give or take the one pixel row the toolkit leaves under an entry scrolled to the bottom.
    const auto shownWhole = [this](int index) {
        const QRect rect = Files().visualItemRect(Files().topLevelItem(index - 1));
        return rect.top() >= 0 && rect.bottom() <= Files().viewport()->height();
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.screenRow);
        desktop.pointerRow = row.screenRow;
        FillSixty();
        Files().scrollToItem(Files().topLevelItem(19), QAbstractItemView::PositionAtTop);
        ASSERT_TRUE(shownWhole(20) && !shownWhole(19));
        Drag(22, 20);
        EXPECT_EQ(shownWhole(19), row.aboveShown);
        Files().scrollToItem(Files().topLevelItem(39), QAbstractItemView::PositionAtBottom);
        ASSERT_TRUE(shownWhole(40) && !shownWhole(41));
        Drag(38, 40);
        EXPECT_EQ(shownWhole(41), row.belowShown);
        EXPECT_EQ(Files().Text(40), QStringLiteral("/in/38.txt"));
    }
}

// Dragging into the bottom row while it was only partly in view used to scroll two entries on at once,
// so the next step exchanged across the skipped entry and two other files changed places.
TEST_F(FileListTest, DraggingIntoAPartlyShownRowScrollsOneEntryAtATime) {
    const QStringList sixty = FillSixty();
    const int rowHeight = Files().visualItemRect(Files().topLevelItem(0)).height();
    const int cut = Files().viewport()->height() % rowHeight;
    Files().resize(Files().width(), Files().height() + (rowHeight / 2 - cut + rowHeight) % rowHeight);
    QCoreApplication::processEvents();
    ASSERT_EQ(Files().viewport()->height() % rowHeight, rowHeight / 2);
    Files().scrollToTop();
    const QPoint bottom(At(1).x(), Files().viewport()->height() - 2);
    const int partlyShown = Files().IndexAt(bottom);
    desktop.pointerRow = 700;
    Press(At(2));
    for (int i = 3; i < partlyShown; ++i) {
        Move(At(i));
    }
    for (int step = 0; step < 8; ++step) {
        Move(bottom + QPoint(step % 2, 0));
    }
    Release(bottom);
    // The text went further down than the first view reached, and every entry it passed moved up by one.
    const int landed = static_cast<int>(Files().Texts().indexOf("/in/2.txt")) + 1;
    EXPECT_GT(landed, partlyShown);
    QStringList shifted = sixty;
    shifted.move(1, landed - 1);
    EXPECT_EQ(Files().Texts(), shifted);
}

} // namespace
} // namespace brantlewick::testing
