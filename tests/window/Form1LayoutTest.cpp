// The main window as designed: every control's container, place, caption, font, and the tab order.
#include "ListView.h"
#include "ProgressBar.h"
#include "TestWindow.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

using testing::TestWindow;

struct Placement {
    const char* name;
    QWidget* (*control)(const Form1&);
    QWidget* (*container)(const Form1&);
    QRect pixels; // the twips of the design divided by 15
};

template <auto Accessor> QWidget* Get(const Form1& form) {
    return (form.*Accessor)();
}
QWidget* Window(const Form1& form) {
    return const_cast<Form1*>(&form);
}

const Placement kPlacements[] = {
    {"ListView1", Get<&Form1::ListView1>, Window, {8, 8, 520, 326}},
    {"PushButton1", Get<&Form1::PushButton1>, Window, {8, 340, 256, 27}},
    {"PushButton3", Get<&Form1::PushButton3>, Window, {272, 340, 256, 27}},
    {"PushButton4", Get<&Form1::PushButton4>, Window, {8, 375, 256, 27}},
    {"PushButton5", Get<&Form1::PushButton5>, Window, {272, 375, 256, 27}},
    {"ListView2", Get<&Form1::ListView2>, Window, {536, 8, 520, 73}},
    {"PushButton9", Get<&Form1::PushButton9>, Window, {536, 87, 256, 27}},
    {"PushButton10", Get<&Form1::PushButton10>, Window, {800, 87, 257, 27}},
    {"PushButton11", Get<&Form1::PushButton11>, Window, {536, 121, 256, 27}},
    {"PushButton12", Get<&Form1::PushButton12>, Window, {800, 121, 256, 27}},
    {"Frame3", Get<&Form1::Frame3>, Window, {536, 151, 520, 58}},
    {"Text1", Get<&Form1::Text1>, Get<&Form1::Frame3>, {176, 20, 329, 23}},
    {"Frame5", Get<&Form1::Frame5>, Window, {536, 212, 520, 121}},
    {"Option1", Get<&Form1::Option1>, Get<&Form1::Frame5>, {16, 20, 241, 17}},
    {"Frame2", Get<&Form1::Frame2>, Get<&Form1::Frame5>, {32, 34, 456, 54}},
    {"Text3", Get<&Form1::Text3>, Get<&Form1::Frame2>, {16, 20, 378, 23}},
    {"PushButton7", Get<&Form1::PushButton7>, Get<&Form1::Frame2>, {400, 20, 40, 23}},
    {"Option2", Get<&Form1::Option2>, Get<&Form1::Frame5>, {16, 94, 241, 17}},
    {"PushButton2", Get<&Form1::PushButton2>, Window, {536, 340, 520, 27}},
    {"ProgressBar1", Get<&Form1::ProgressBar1>, Window, {536, 375, 520, 27}},
};

TEST(Form1LayoutTest, EveryControlSitsAtItsPlaceInItsContainer) {
    TestWindow test;
    const Form1& form = test.Create();
    EXPECT_EQ(form.size(), QSize(1064, 409));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    for (const Placement& placement : kPlacements) {
        SCOPED_TRACE(placement.name);
        EXPECT_EQ(placement.control(form)->geometry(), placement.pixels);
        EXPECT_EQ(placement.control(form)->parentWidget(), placement.container(form));
    }
}

TEST(Form1LayoutTest, TheLabelShowsItsWholeCaptionWithoutReachingTheBox) {
    TestWindow test;
    const Form1& form = test.Create();
    const QRect label = form.Label1()->geometry();
    EXPECT_EQ(form.Label1()->parentWidget(), form.Frame3());
    EXPECT_EQ(label.topLeft(), QPoint(16, 24));
    EXPECT_EQ(label.height(), 15);
    EXPECT_GE(label.width(), 146);
    EXPECT_GE(label.width(), form.Label1()->sizeHint().width());
    EXPECT_LT(label.right(), form.Text1()->geometry().left());
}

TEST(Form1LayoutTest, CaptionsAndFonts) {
    TestWindow test;
    const Form1& form = test.Create();
    const struct {
        QPushButton* button;
        const char* caption;
    } buttons[] = {
        {form.PushButton1(), "Add File(s)"},
        {form.PushButton3(), "Add All File(s) In Folder"},
        {form.PushButton4(), "Clear List"},
        {form.PushButton5(), "Load Sample/Example Files"},
        {form.PushButton9(), "Add Characters"},
        {form.PushButton10(), "Delete Selected"},
        {form.PushButton11(), "Reset To Default"},
        {form.PushButton12(), "Help"},
        {form.PushButton7(), "..."},
        {form.PushButton2(), "Start Adding"},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.caption);
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(b.button->font().pointSizeF(), 11.25);
        EXPECT_TRUE(b.button->font().bold());
    }
    EXPECT_EQ(form.Frame3()->title(), "Enter Option");
    EXPECT_EQ(form.Frame5()->title(), "Save Option");
    EXPECT_EQ(form.Frame2()->title(), "");
    EXPECT_EQ(form.Label1()->text(), "Number Of Enters To Add:");
    EXPECT_EQ(form.Option1()->text(), "Save results to this folder:");
    EXPECT_EQ(form.Option2()->text(), "Save results in folder of original file");
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             &form, form.ListView1(), form.Label1(), form.Text1(), form.Option2(), form.ProgressBar1()}) {
        EXPECT_EQ(control->font().family(), "Arial");
        EXPECT_DOUBLE_EQ(control->font().pointSizeF(), 9.0);
        EXPECT_TRUE(control->font().bold());
    }
}

TEST(Form1LayoutTest, DesignStateBeforeTheStartUp) {
    TestWindow test;
    const Form1& form = test.Create();
    EXPECT_TRUE(form.Option1()->isChecked());
    EXPECT_FALSE(form.Option2()->isChecked());
    EXPECT_TRUE(form.Frame2()->isEnabled());
    EXPECT_EQ(form.Text1()->text(), "");
    EXPECT_EQ(form.Text3()->text(), "");
    EXPECT_EQ(form.ListView1()->Count(), 0);
    EXPECT_EQ(form.ListView1()->toolTip(),
              "Drag and drop files here. Double-click item to remove it. Move | line to "
              "right and out of window to reveal full names.");
    EXPECT_EQ(form.ListView2()->toolTip(), "");
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->minimum(), 0);
    EXPECT_EQ(form.ProgressBar1()->maximum(), 100);
    EXPECT_EQ(form.ProgressBar1()->text(), "Progress Bar");
    EXPECT_TRUE(form.ProgressBar1()->isTextVisible());
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
    EXPECT_FALSE(form.RunInProgress());
}

TEST(Form1LayoutTest, TheListsGetTheirHeadedColumnAtStartUp) {
    TestWindow test;
    const Form1& form = test.Load();
    const struct {
        ListView* list;
        const char* header;
    } lists[] = {{form.ListView1(), "File(s)"}, {form.ListView2(), "Sentence Ending Characters"}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.header);
        EXPECT_FALSE(l.list->isHeaderHidden());
        EXPECT_EQ(l.list->columnCount(), 1);
        EXPECT_EQ(l.list->headerItem()->text(0), l.header);
        EXPECT_EQ(l.list->columnWidth(0), 467);
    }
}

TEST(Form1LayoutTest, TabOrderFollowsTheTabIndex) {
    TestWindow test;
    Form1& form = test.Create();
    const QList<QWidget*> expected = {
        form.ListView1(),    form.PushButton1(),  form.PushButton3(), form.PushButton4(),
        form.PushButton5(),  form.ListView2(),    form.PushButton9(), form.PushButton10(),
        form.PushButton11(), form.PushButton12(), form.Text1(),       form.Option1(),
        form.Text3(),        form.Option2(),      form.PushButton2(), form.PushButton7()};
    QList<QWidget*> chain;
    QWidget* widget = form.ListView1();
    do {
        if (expected.contains(widget) && !chain.contains(widget)) {
            chain.append(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != form.ListView1());
    EXPECT_EQ(chain, expected);
    for (QWidget* silent : std::initializer_list<QWidget*>{form.ProgressBar1(), form.Label1(), form.Frame2(),
                                                           form.Frame3(), form.Frame5()}) {
        EXPECT_EQ(silent->focusPolicy(), Qt::NoFocus);
    }
}

} // namespace
} // namespace brantlewick
