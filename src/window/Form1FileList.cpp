// The file list: clearing it, removing an entry by double-click, and the reorder gesture.
#include "Form1.h"

namespace brantlewick {

void Form1::PushButton4_Click() {}

void Form1::ListView1_ItemClick(QTreeWidgetItem* /*item*/) {}

void Form1::ListView1_MouseDown(Qt::MouseButton /*button*/, const QPoint& /*position*/) {}

void Form1::ListView1_MouseUp(Qt::MouseButton /*button*/, const QPoint& /*position*/) {}

void Form1::ListView1_MouseMove(Qt::MouseButtons /*buttons*/, const QPoint& /*position*/) {
    // The styling's pointer reset comes first.
    PointerResetMove();
}

void Form1::ListView1_DblClick() {}

} // namespace brantlewick
