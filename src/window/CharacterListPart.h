// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence-ending character list with its four buttons, restored at start-up and saved at close.
#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

namespace brantlewick {

class ListView;
class WindowShell;

class CharacterListPart final : public QObject {
    Q_OBJECT

public:
    CharacterListPart(QWidget& window, WindowShell& shell);

    // The entries in list order, as the conversion applies them.
    QStringList Entries() const;
    bool Empty() const;

    // The header row with its one column, shown when the window loads.
    void ShowColumn();
    // A list the user emptied is stored as the empty string and comes back empty, not as the defaults.
    void Restore();
    void Save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddCharacters();
    void DeleteSelected();
    void ResetToDefault();
    void Help();
    void RemoveSelected();

    WindowShell& shell_;
    ListView& list_;
};

} // namespace brantlewick
