// The file list: clearing it, removing an entry by double-click, and the reorder gesture.
#include "Form1.h"

#include "ListView.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace brantlewick {
namespace {

// Screen rows that decide which neighbour of an exchanged entry is scrolled into view.
constexpr int kScrollUpBelowRow = 305;
constexpr int kScrollDownFromRow = 365;

} // namespace

bool Form1::IsInList(const ListView* list, const QString& text) {
    for (int i = 1; i <= list->Count(); ++i) {
        if (list->Text(i) == text) {
            return true;
        }
    }
    return false;
}

void Form1::PushButton4_Click() {
    ErrorTrap trap = Trap(location::kPushButton4Click);
    bool busy = false;
    trap.Line(100, [&] { busy = MousePointer() == PointerState::Hourglass; });
    if (busy) {
        return;
    }
    trap.Line(102, [&] { listView1_->clear(); });
}

void Form1::ListView1_DblClick() {
    if (MousePointer() == PointerState::Hourglass || listView1_->Count() == 0) {
        return;
    }
    const int selected = listView1_->SelectedIndex();
    if (selected >= 1) {
        listView1_->Remove(selected);
    }
}

QCursor Form1::DragPointer() const {
    // Read from the file at every click, never from a cache: the image beside the program may change.
    QImageReader reader(programFolder_ + QStringLiteral("/drag.ico"));
    const QImage image = reader.read();
    if (image.isNull()) {
        return QCursor(Qt::DragMoveCursor);
    }
    // An icon has no hot spot of its own; the pointer points with its centre.
    return QCursor(QPixmap::fromImage(image));
}

void Form1::ListView1_ItemClick(QTreeWidgetItem* item) {
    listView1_->setCursor(DragPointer());
    listView1_->setDragEnabled(false);
    const int index = listView1_->indexOfTopLevelItem(item);
    if (index >= 0) {
        dragEntry_ = QPersistentModelIndex(listView1_->model()->index(index, 0));
    }
}

void Form1::ListView1_MouseDown(Qt::MouseButton /*button*/, const QPoint& /*position*/) {
    listPressed_ = true;
}

void Form1::ListView1_MouseUp(Qt::MouseButton /*button*/, const QPoint& /*position*/) {
    listPressed_ = false;
    listView1_->setCursor(Qt::ArrowCursor);
}

int Form1::DragEntryIndex() const {
    // An entry removed from the list since it was picked leaves an invalid index: no drag entry.
    return dragEntry_.isValid() ? dragEntry_.row() + 1 : 0;
}

void Form1::SetPointerScreenRowSource(std::function<int()> source) {
    pointerScreenRow_ = std::move(source);
}

void Form1::ListView1_MouseMove(Qt::MouseButtons buttons, const QPoint& position) {
    PointerResetMove();
    // A release that never reached the list (a dialog took the pointer meanwhile) must not leave the
    // gesture running: moving with no button held never reorders.
    if (buttons == Qt::NoButton) {
        listPressed_ = false;
    }
    if (!listPressed_) {
        return;
    }
    const int drag = DragEntryIndex();
    const int hover = listView1_->IndexAt(position);
    if (drag == 0 || hover == 0) {
        return;
    }
    const QString dragText = listView1_->Text(drag);
    const QString hoverText = listView1_->Text(hover);
    if (dragText == hoverText) {
        return;
    }
    // Exchange, never shift: the entries between the two keep their texts.
    listView1_->SetText(drag, hoverText);
    listView1_->SetText(hover, dragText);
    listView1_->Select(hover);
    dragEntry_ = QPersistentModelIndex(listView1_->model()->index(hover - 1, 0));

    const int row = pointerScreenRow_ ? pointerScreenRow_() : QCursor::pos().y();
    if (row < kScrollUpBelowRow) {
        if (hover > 1) {
            listView1_->EnsureVisible(hover - 1);
        }
    } else if (row >= kScrollDownFromRow) {
        if (hover < listView1_->Count()) {
            listView1_->EnsureVisible(hover + 1);
        }
    }
}

} // namespace brantlewick
