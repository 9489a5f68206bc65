// SPDX-License-Identifier: GPL-3.0-or-later
// The list views of the main window, on QTreeWidget.
#include "brantlewick/window/ListView.h"
#include "Controls.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace brantlewick {
namespace {

constexpr int kTextRole = Qt::UserRole;

// The start and the end of a text too long to draw, with an ellipsis between them.
QString Shortened(const QString& text) {
    constexpr qsizetype kHalf = ListView::kShownCharacters / 2;
    if (text.size() <= ListView::kShownCharacters) {
        return text;
    }
    return text.left(kHalf) + QChar(0x2026) + text.right(kHalf - 1);
}

} // namespace

void ListView::SetEntryText(QTreeWidgetItem& entry, const QString& text) const {
    entry.setData(0, kTextRole, text);
    entry.setText(0, Shortened(text));
    if (wholeTextTooltips_) {
        entry.setToolTip(0, Shortened(text));
    }
}

QTreeWidgetItem* ListView::NewEntry(const QString& text) const {
    auto* entry = new QTreeWidgetItem();
    SetEntryText(*entry, text);
    entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return entry;
}

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    // The column keeps its set width; the user widens it by dragging its border to read long paths.
    header()->setStretchLastSection(false);
    setHeaderLabels({QString()});
    setHeaderHidden(true);
}

void ListView::ShowLongTextsWhole() {
    wholeTextTooltips_ = true;
    setTextElideMode(Qt::ElideMiddle);
}

void ListView::SetColumn(const QString& header, int widthTwips) {
    setHeaderLabels({header});
    setColumnWidth(0, TwipsToPixels(widthTwips));
    setHeaderHidden(false);
}

QString ListView::Text(int index) const {
    const QTreeWidgetItem* entry = topLevelItem(index - 1);
    return entry != nullptr ? entry->data(0, kTextRole).toString() : QString();
}

void ListView::SetText(int index, const QString& text) {
    if (QTreeWidgetItem* entry = topLevelItem(index - 1)) {
        SetEntryText(*entry, text);
    }
}

void ListView::Append(const QString& text) {
    addTopLevelItem(NewEntry(text));
}

void ListView::AppendAll(const QStringList& texts) {
    QList<QTreeWidgetItem*> entries;
    entries.reserve(texts.size());
    for (const QString& text : texts) {
        entries.append(NewEntry(text));
    }
    addTopLevelItems(entries);
}

void ListView::Remove(int index) {
    delete takeTopLevelItem(index - 1);
}

QStringList ListView::Texts() const {
    QStringList texts;
    texts.reserve(Count());
    for (int i = 1; i <= Count(); ++i) {
        texts.append(Text(i));
    }
    return texts;
}

int ListView::SelectedIndex() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOfTopLevelItem(selected.front()) + 1;
}

void ListView::Select(int index) {
    if (QTreeWidgetItem* entry = topLevelItem(index - 1)) {
        setCurrentItem(entry);
    }
}

int ListView::IndexAt(const QPoint& viewportPosition) const {
    if (!viewport()->rect().contains(viewportPosition)) {
        return 0;
    }
    QTreeWidgetItem* entry = itemAt(viewportPosition);
    return entry != nullptr ? indexOfTopLevelItem(entry) + 1 : 0;
}

void ListView::EnsureVisible(int index) {
    if (const QTreeWidgetItem* entry = topLevelItem(index - 1)) {
        scrollToItem(entry, QAbstractItemView::EnsureVisible);
    }
}

void ListView::UsePointerReorder() {
    pointerReorder_ = true;
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    if (pointerReorder_ && event->buttons() != Qt::NoButton) {
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

} // namespace brantlewick
