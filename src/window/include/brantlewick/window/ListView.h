// SPDX-License-Identifier: GPL-3.0-or-later
// A list view in report style with one headed column, whose entries are plain texts numbered from 1.
// Read and write entries through Text()/SetText()/Append(): a cell shows at most kShownCharacters of its
// text, its start and its end (a text of millions of characters would take seconds to draw), the entry
// keeps all of it.
#pragma once

#include <QTreeWidget>

namespace brantlewick {

class ListView : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kShownCharacters = 4096;

    explicit ListView(QWidget* parent = nullptr);

    // Shows the header row with the one column.
    void SetColumn(const QString& header, int widthTwips);
    // For paths that share a long folder prefix: an entry too long for the column is cut in the middle,
    // keeping the end that tells it from the others, and its whole text is its tooltip.
    void ShowLongTextsWhole();

    int Count() const { return topLevelItemCount(); }
    // The text of entry `index`, counted from 1.
    QString Text(int index) const;
    void SetText(int index, const QString& text);
    void Append(const QString& text);
    // Appends the texts in order in one insertion: the view lays itself out once, not once per entry.
    void AppendAll(const QStringList& texts);
    void Remove(int index);
    // All texts, in display order.
    QStringList Texts() const;
    // The selected entry counted from 1; 0 when none is selected.
    int SelectedIndex() const;
    void Select(int index);

    // The entry under a point of the viewport, counted from 1; 0 over empty space and anywhere outside
    // the viewport (over the header, or beyond the edges while a button is held).
    int IndexAt(const QPoint& viewportPosition) const;
    // Scrolls as little as needed to show entry `index` whole.
    void EnsureVisible(int index);
    // Hands the pointer over to the program's own reorder gesture: a move with a button held no longer
    // drags the selection along (the gesture alone decides what is selected and what scrolls), and the
    // list scrolls by pixels, so that showing the next entry in full moves the entries under a resting
    // pointer on by exactly one, also from a row that was only partly in view.
    void UsePointerReorder();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetEntryText(QTreeWidgetItem& entry, const QString& text) const;
    QTreeWidgetItem* NewEntry(const QString& text) const;

    bool pointerReorder_ = false;
    bool wholeTextTooltips_ = false;
};

} // namespace brantlewick
