// The main window as designed: every control's container, place, caption, font, and the tab order.
#include "ListView.h"
#include "ProgressBar.h"
#include "TestWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace brantlewick {
namespace {

using testing::TestWindow;

// What a user reads on a control: a list's header, a frame's title, otherwise its text.
QString Caption(const QWidget* control) {
    if (const auto* list = dynamic_cast<const ListView*>(control)) {
        return list->headerItem()->text(0);
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
        return frame->title();
    }
    return control->property("text").toString();
}

TEST(Form1LayoutTest, EveryControlAsDesigned) {
    TestWindow test;
    const Form1& form = test.Load();
    const Form1* w = &form;
    const struct {
        const char* name;
        const QWidget* control;
        const QWidget* container;
        QRect pixels;        // the twips of the design divided by 15
        const char* caption; // nullptr: a text box, whose text is the user's
        double points;       // Arial bold
        int tabIndex;        // -1: takes no focus
    } rows[] = {
        {"ListView1", w->ListView1(), w, {8, 8, 520, 326}, "File(s)", 9, 0},
        {"PushButton1", w->PushButton1(), w, {8, 340, 256, 27}, "Add File(s)", 11.25, 1},
        {"PushButton3", w->PushButton3(), w, {272, 340, 256, 27}, "Add All File(s) In Folder", 11.25, 2},
        {"PushButton4", w->PushButton4(), w, {8, 375, 256, 27}, "Clear List", 11.25, 3},
        {"PushButton5", w->PushButton5(), w, {272, 375, 256, 27}, "Load Sample/Example Files", 11.25, 4},
        {"ListView2", w->ListView2(), w, {536, 8, 520, 73}, "Sentence Ending Characters", 9, 5},
        {"PushButton9", w->PushButton9(), w, {536, 87, 256, 27}, "Add Characters", 11.25, 6},
        {"PushButton10", w->PushButton10(), w, {800, 87, 257, 27}, "Delete Selected", 11.25, 7},
        {"PushButton11", w->PushButton11(), w, {536, 121, 256, 27}, "Reset To Default", 11.25, 8},
        {"PushButton12", w->PushButton12(), w, {800, 121, 256, 27}, "Help", 11.25, 9},
        {"ProgressBar1", w->ProgressBar1(), w, {536, 375, 520, 27}, "Progress Bar", 9, -1},
        {"Frame3", w->Frame3(), w, {536, 151, 520, 58}, "Enter Option", 9, -1},
        {"Text1", w->Text1(), w->Frame3(), {176, 20, 329, 23}, nullptr, 9, 11},
        {"Frame5", w->Frame5(), w, {536, 212, 520, 121}, "Save Option", 9, -1},
        {"Option1", w->Option1(), w->Frame5(), {16, 20, 241, 17}, "Save results to this folder:", 9, 12},
        {"Frame2", w->Frame2(), w->Frame5(), {32, 34, 456, 54}, "", 9, -1},
        {"Text3", w->Text3(), w->Frame2(), {16, 20, 378, 23}, nullptr, 9, 13},
        {"Option2",
         w->Option2(),
         w->Frame5(),
         {16, 94, 241, 17},
         "Save results in folder of original file",
         9,
         14},
        {"PushButton2", w->PushButton2(), w, {536, 340, 520, 27}, "Start Adding", 11.25, 15},
        {"PushButton7", w->PushButton7(), w->Frame2(), {400, 20, 40, 23}, "...", 11.25, 19},
    };
    EXPECT_EQ(form.size(), QSize(1064, 409));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    QList<std::pair<int, const QWidget*>> focusable;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.control->geometry(), row.pixels);
        EXPECT_EQ(row.control->parentWidget(), row.container);
        if (row.caption != nullptr) {
            EXPECT_EQ(Caption(row.control), row.caption);
        }
        EXPECT_EQ(row.control->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(row.control->font().pointSizeF(), row.points);
        EXPECT_TRUE(row.control->font().bold());
        EXPECT_EQ(row.control->focusPolicy() == Qt::NoFocus, row.tabIndex < 0);
        if (row.tabIndex >= 0) {
            focusable.append({row.tabIndex, row.control});
        }
    }
    // The focus chain visits the focusable controls in the order of their tab indexes.
    std::sort(focusable.begin(), focusable.end());
    QList<const QWidget*> expected;
    for (const auto& entry : focusable) {
        expected.append(entry.second);
    }
    QList<const QWidget*> chain;
    const QWidget* widget = form.ListView1();
    do {
        if (expected.contains(widget) && !chain.contains(widget)) {
            chain.append(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != form.ListView1());
    EXPECT_EQ(chain, expected);
}

TEST(Form1LayoutTest, TheLabelListsAndProgressBarAsDesigned) {
    TestWindow test;
    const Form1& form = test.Load();
    // The label shows its whole caption without reaching the box.
    const QRect label = form.Label1()->geometry();
    EXPECT_EQ(form.Label1()->parentWidget(), form.Frame3());
    EXPECT_EQ(form.Label1()->text(), "Number Of Enters To Add:");
    EXPECT_EQ(label.topLeft(), QPoint(16, 24));
    EXPECT_EQ(label.height(), 15);
    EXPECT_GE(label.width(), std::max(146, form.Label1()->sizeHint().width()));
    EXPECT_LT(label.right(), form.Text1()->geometry().left());
    EXPECT_EQ(form.Label1()->focusPolicy(), Qt::NoFocus);
    for (const ListView* list : {form.ListView1(), form.ListView2()}) {
        EXPECT_FALSE(list->isHeaderHidden());
        EXPECT_EQ(list->columnCount(), 1);
        EXPECT_EQ(list->columnWidth(0), 467);
    }
    EXPECT_EQ(form.ListView1()->toolTip(), "Drag and drop files here. Double-click item to remove it. Move | "
                                           "line to right and out of window to reveal full names.");
    EXPECT_EQ(form.ListView2()->toolTip(), "");
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->maximum(), 100);
    EXPECT_TRUE(form.ProgressBar1()->isTextVisible());
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
    EXPECT_FALSE(form.RunInProgress());
}

} // namespace
} // namespace brantlewick
