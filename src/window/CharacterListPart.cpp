// SPDX-License-Identifier: GPL-3.0-or-later
// The character list: adding, removing, resetting and explaining its entries, and keeping them between
// starts.
#include "CharacterListPart.h"

#include "CharacterList.h"
#include "Controls.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"

#include <QEvent>
#include <QPushButton>

namespace brantlewick {
namespace {

constexpr QLatin1StringView kAddPrompt("Enter Character to add:");
constexpr QLatin1StringView kHelpText("These characters will be the ones that new lines are added after.");

} // namespace

CharacterListPart::CharacterListPart(QWidget& window, WindowShell& shell)
    : shell_(shell), list_(*MakeControl<ListView>(window, "ListView2", {8040, 120, 7800, 1095})) {
    const auto button = [&](const char* name, const QString& caption, TwipsPlace place,
                            void (CharacterListPart::*handler)()) {
        connect(MakeButton(window, name, caption, place), &QPushButton::clicked, this,
                [this, handler] { WithoutTrap([&] { (this->*handler)(); }); });
    };
    button("PushButton9", QStringLiteral("Add Charac&ters"), {8040, 1310, 3840, 405},
           &CharacterListPart::AddCharacters);
    button("PushButton10", QStringLiteral("&Delete Selected"), {12000, 1310, 3850, 405},
           &CharacterListPart::DeleteSelected);
    button("PushButton11", QStringLiteral("&Reset To Default"), {8040, 1820, 3840, 405},
           &CharacterListPart::ResetToDefault);
    button("PushButton12", QStringLiteral("&Help"), {12000, 1820, 3840, 405}, &CharacterListPart::Help);
    list_.viewport()->installEventFilter(this);
}

QStringList CharacterListPart::Entries() const {
    return list_.Texts();
}

bool CharacterListPart::Empty() const {
    return list_.Count() < 1;
}

void CharacterListPart::ShowColumn() {
    list_.SetColumn(QStringLiteral("Sentence Ending Characters"), 7000);
}

void CharacterListPart::Restore() {
    list_.AppendAll(SplitCharacterList(
        shell_.Settings().GetSetting(setting::kListView2, JoinCharacterList(DefaultCharacterList()))));
}

void CharacterListPart::Save() {
    shell_.Settings().SaveSetting(setting::kListView2, JoinCharacterList(list_.Texts()));
}

bool CharacterListPart::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() != QEvent::MouseButtonDblClick) {
        return false;
    }
    WithoutTrap([&] { RemoveSelected(); });
    return true;
}

void CharacterListPart::AddCharacters() {
    // Adding is allowed during a run: the entry takes effect from the next file the run converts.
    ErrorTrap trap = shell_.Trap(location::kAddCharacters);
    const QString entry = trap.Line(100, [&] { return shell_.AskText(kAddPrompt); }).value_or(QString());
    if (!entry.isEmpty()) {
        trap.Line(102, [&] {
            list_.Append(entry);
            // The new entry in sight, however long the list has grown; the selection stays where the user
            // put it, so that "Delete Selected" next removes what they chose.
            list_.EnsureVisible(list_.Count());
        });
    }
}

void CharacterListPart::DeleteSelected() {
    ErrorTrap trap = shell_.Trap(location::kDeleteSelectedCharacter);
    const bool busy = trap.Line(100, [&] { return shell_.Busy(); }).value_or(false);
    if (busy) {
        return;
    }
    const int selected = trap.Line(102, [&] { return list_.SelectedIndex(); }).value_or(0);
    if (selected >= 1) {
        trap.Line(104, [&] { list_.Remove(selected); });
    }
}

void CharacterListPart::ResetToDefault() {
    if (!shell_.Busy()) {
        list_.clear();
        list_.AppendAll(DefaultCharacterList());
    }
}

void CharacterListPart::Help() {
    ErrorTrap trap = shell_.Trap(location::kCharacterListHelp);
    trap.Line(100, [&] { shell_.ShowMessage(kHelpText); });
}

void CharacterListPart::RemoveSelected() {
    if (shell_.Busy()) {
        return;
    }
    if (const int selected = list_.SelectedIndex(); selected >= 1) {
        list_.Remove(selected);
    }
}

} // namespace brantlewick
