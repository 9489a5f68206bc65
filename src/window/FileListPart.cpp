// SPDX-License-Identifier: GPL-3.0-or-later
// The file list and its reorder gesture: a press picks an entry, and each move with a button held
// exchanges the picked entry with the one under the pointer.
#include "FileListPart.h"

#include "Controls.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "brantlewick/window/ListView.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

namespace brantlewick {
namespace {

constexpr QLatin1StringView kTooltip("Drag and drop files here. Double-click item to remove it. Move | "
                                     "line to right and out of window to reveal full names.");

// Screen rows that decide which neighbour of an exchanged entry is scrolled into view.
constexpr int kScrollUpAboveRow = 305;
constexpr int kScrollDownFromRow = 365;

} // namespace

FileListPart::FileListPart(QWidget& window, WindowShell& shell)
    : shell_(shell), list_(*MakeControl<ListView>(window, "ListView1", {120, 120, 7800, 4890})) {
    list_.setToolTip(kTooltip);
    list_.ShowLongTextsWhole();
    list_.viewport()->setAcceptDrops(true);
    list_.UsePointerReorder();
    QPushButton* clear =
        MakeButton(window, "PushButton4", QStringLiteral("&Clear List"), {120, 5620, 3840, 405});
    connect(clear, &QPushButton::clicked, this, [this] { WithoutTrap([&] { ClearList(); }); });
    connect(&list_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) {
        WithoutTrap([&] { PickDragEntry(list_.indexOfTopLevelItem(item)); });
    });
    list_.viewport()->installEventFilter(this);
    list_.header()->viewport()->installEventFilter(this);
    list_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { WithoutTrap([&] { ContextMenu(position); }); });
}

void FileListPart::ShowColumn() {
    list_.SetColumn(QStringLiteral("File(s)"), 7000);
}

bool FileListPart::Contains(const QString& text) const {
    for (int i = 1; i <= list_.Count(); ++i) {
        if (list_.Text(i) == text) {
            return true;
        }
    }
    return false;
}

bool FileListPart::eventFilter(QObject* watched, QEvent* event) {
    const bool onEntries = watched == list_.viewport();
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        // Moves over the header come in list coordinates too (above the first entry).
        const QPoint position = list_.viewport()->mapFromGlobal(
            static_cast<QWidget*>(watched)->mapToGlobal(move->position().toPoint()));
        WithoutTrap([&] { MoveStep(move->buttons(), position); });
        return false;
    }
    case QEvent::MouseButtonPress:
        if (onEntries) {
            pressed_ = true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (onEntries) {
            Release();
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (onEntries) {
            WithoutTrap([&] { RemoveSelected(); });
        }
        return onEntries;
    default:
        return false;
    }
}

void FileListPart::ClearList() {
    ErrorTrap trap = shell_.Trap(location::kClearList);
    const bool busy = trap.Line(100, [&] { return shell_.Busy(); }).value_or(false);
    if (!busy) {
        trap.Line(102, [&] { list_.clear(); });
    }
}

void FileListPart::RemoveSelected() {
    if (shell_.Busy() || list_.Count() == 0) {
        return;
    }
    if (const int selected = list_.SelectedIndex(); selected >= 1) {
        list_.Remove(selected);
    }
}

void FileListPart::ContextMenu(const QPoint& position) {
    // The menu takes the release of the press that opened it: the press must not stay a gesture.
    Release();
    const int selected = list_.SelectedIndex();
    if (selected < 1) {
        return;
    }
    const QString entry = list_.Text(selected);
    const int chosen = shell_.Desktop().PopupMenu(&list_, list_.viewport()->mapToGlobal(position),
                                                  {QStringLiteral("&Preview Result...\tCtrl+P"),
                                                   QStringLiteral("Open &Containing Folder"),
                                                   QStringLiteral("&Remove From List")});
    if (chosen == 0 && preview_) {
        preview_();
    } else if (chosen == 1) {
        shell_.Desktop().OpenFolder(QFileInfo(entry).absolutePath());
    } else if (chosen == 2) {
        RemoveSelected();
    }
}

void FileListPart::PickDragEntry(int row) {
    // Read from the file at every click, never from a cache: the image beside the program may change. An
    // icon has no hot spot of its own; the pointer points with its centre.
    const QImage image = QImageReader(shell_.ProgramFolder() + QStringLiteral("/drag.ico")).read();
    list_.setCursor(image.isNull() ? QCursor(Qt::DragMoveCursor) : QCursor(QPixmap::fromImage(image)));
    list_.setDragEnabled(false);
    if (row >= 0) {
        dragEntry_ = QPersistentModelIndex(list_.model()->index(row, 0));
    }
}

void FileListPart::Release() {
    pressed_ = false;
    list_.setCursor(Qt::ArrowCursor);
}

void FileListPart::MoveStep(Qt::MouseButtons buttons, const QPoint& position) {
    shell_.PointerOverResettingControl();
    // A release that never reached the list (a dialog took the pointer meanwhile) must not leave the
    // gesture running: moving with no button held never reorders.
    if (buttons == Qt::NoButton) {
        pressed_ = false;
    }
    // An entry removed from the list since it was picked leaves an invalid index: no drag entry.
    const int drag = dragEntry_.isValid() ? dragEntry_.row() + 1 : 0;
    const int hover = list_.IndexAt(position);
    if (!pressed_ || drag == 0 || hover == 0) {
        return;
    }
    const QString dragText = list_.Text(drag);
    const QString hoverText = list_.Text(hover);
    if (dragText == hoverText) {
        return;
    }
    // Exchange, never shift: the entries between the two keep their texts.
    list_.SetText(drag, hoverText);
    list_.SetText(hover, dragText);
    list_.Select(hover);
    dragEntry_ = QPersistentModelIndex(list_.model()->index(hover - 1, 0));

    const int row = shell_.Desktop().PointerScreenRow();
    if (row < kScrollUpAboveRow && hover > 1) {
        list_.EnsureVisible(hover - 1);
    } else if (row >= kScrollDownFromRow && hover < list_.Count()) {
        list_.EnsureVisible(hover + 1);
    }
}

} // namespace brantlewick
