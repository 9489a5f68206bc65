// SPDX-License-Identifier: GPL-3.0-or-later
// The file list: the inputs of a run, emptied by "Clear List", pruned by double-click, reordered by dragging.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QPoint;
class QWidget;

namespace brantlewick {

class ListView;
class WindowShell;

class FileListPart final : public QObject {
    Q_OBJECT

public:
    FileListPart(QWidget& window, WindowShell& shell);

    ListView& List() const { return list_; }
    // Whether an entry holds exactly this text (letter case counts).
    bool Contains(const QString& text) const;
    // The header row with its one column, shown when the window loads.
    void ShowColumn();
    // What "Preview Result..." in the context menu does.
    void OnPreview(std::function<void()> preview) { preview_ = std::move(preview); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearList();
    void RemoveSelected();
    void PickDragEntry(int row);
    void Release();
    // One step of the reorder gesture, with the pointer at `position` of the list's viewport.
    void MoveStep(Qt::MouseButtons buttons, const QPoint& position);
    // The selected entry's menu, at `position` of the list's viewport.
    void ContextMenu(const QPoint& position);

    WindowShell& shell_;
    ListView& list_;
    bool pressed_ = false;
    // Follows the entry itself, and turns invalid when that entry leaves the list.
    QPersistentModelIndex dragEntry_;
    std::function<void()> preview_;
};

} // namespace brantlewick
