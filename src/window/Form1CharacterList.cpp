// The sentence-ending character list: its buttons, the double-click removal, restore and save.
#include "Form1.h"

#include "CharacterList.h"
#include "ListView.h"
#include "SettingsStore.h"

namespace brantlewick {
namespace {

const QString kAddPrompt = QStringLiteral("Enter Character to add:");
const QString kHelpText = QStringLiteral("These characters will be the ones that new lines are added after.");

} // namespace

void Form1::PushButton9_Click() {
    // Adding is allowed during a run: the entry takes effect from the next file the run converts.
    ErrorTrap trap = Trap(location::kPushButton9Click);
    QString entry;
    trap.Line(100, [&] { entry = AskText(kAddPrompt); });
    if (entry.isEmpty()) {
        return;
    }
    trap.Line(102, [&] { listView2_->Append(entry); });
}

void Form1::PushButton10_Click() {
    ErrorTrap trap = Trap(location::kPushButton10Click);
    bool busy = false;
    trap.Line(100, [&] { busy = MousePointer() == PointerState::Hourglass; });
    if (busy) {
        return;
    }
    int selected = 0;
    trap.Line(102, [&] { selected = listView2_->SelectedIndex(); });
    if (selected >= 1) {
        trap.Line(104, [&] { listView2_->Remove(selected); });
    }
}

void Form1::PushButton11_Click() {
    if (MousePointer() == PointerState::Hourglass) {
        return;
    }
    listView2_->clear();
    listView2_->Append(QStringLiteral("."));
    listView2_->Append(QStringLiteral("!"));
    listView2_->Append(QStringLiteral("?"));
}

void Form1::PushButton12_Click() {
    ErrorTrap trap = Trap(location::kPushButton12Click);
    trap.Line(100, [&] { ShowMessage(kHelpText); });
}

void Form1::ListView2_DblClick() {
    if (MousePointer() == PointerState::Hourglass) {
        return;
    }
    const int selected = listView2_->SelectedIndex();
    if (selected >= 1) {
        listView2_->Remove(selected);
    }
}

void Form1::RestoreCharacterList() {
    // A list the user emptied is stored as the empty string and comes back empty, not as the defaults.
    const QString stored = settings_.GetSetting(setting::kListView2, kDefaultCharacterListText);
    for (const QString& entry : SplitCharacterList(stored)) {
        listView2_->Append(entry);
    }
}

void Form1::SaveCharacterList() {
    settings_.SaveSetting(setting::kListView2, JoinCharacterList(listView2_->Texts()));
}

} // namespace brantlewick
