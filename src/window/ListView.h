// A list view in report style with one headed column, whose entries are plain texts numbered from 1.
// Read and write entries through Text()/SetText()/Append(): a cell shows at most kShownCharacters of its
// text (a text of millions of characters would take seconds to draw), the entry keeps all of it.
#pragma once

#include <QTreeWidget>

namespace brantlewick {

class ListView : public QTreeWidget {
public:
    static constexpr int kShownCharacters = 4096;

    explicit ListView(QWidget* parent = nullptr);

    // Shows the header row with the one column.
    void SetColumn(const QString& header, int widthTwips);

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
};

} // namespace brantlewick
