// The pointer rules: the hand over the buttons, the arrow elsewhere, the hourglass during a run.
#include "TestWindow.h"

#include <QMouseEvent>

namespace brantlewick::testing {
namespace {

void MoveOver(QWidget& widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget.mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
}

// The hand over the push buttons, the arrow over the background and the resetting controls; the others
// leave the pointer as it is and do not pass the move on to their frame. The hourglass stays throughout.
TEST(StylingTest, PointerMovesFollowTheControlUnderThePointer) {
    TestWindow test;
    test.Show();
    QString shapes;
    const auto move = [&](QWidget& from, const char* over) {
        MoveOver(from);
        MoveOver(*over == 'v' ? *test.Get<QAbstractScrollArea>(over + 1).viewport()
                 : *over      ? test.Get(over)
                              : *test.form);
        shapes += QString::number(test.Pointer()) + " ";
    };
    for (const char* button :
         {"PushButton1", "PushButton2", "PushButton3", "PushButton4", "PushButton5", "PushButton7",
          "PushButton9", "PushButton10", "PushButton11", "PushButton12"}) {
        move(*test.form, button);
    }
    for (const char* over : {"", "Label1", "Frame3", "Text1", "Text3", "vListView1", "vListView2", "Frame5",
                             "Frame2", "Option1", "ProgressBar1"}) {
        move(test.Get("PushButton1"), over);
    }
    test.WhileBusy([&] {
        move(test.Get("PushButton2"), "Text1");
        move(*test.form, "vListView1");
    });
    // 13 is the hand, 0 the arrow, 3 the hourglass.
    EXPECT_EQ(shapes, "13 13 13 13 13 13 13 13 13 13 0 0 0 0 0 0 13 13 13 13 13 3 3 ");
}

} // namespace
} // namespace brantlewick::testing
