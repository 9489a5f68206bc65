// The character list's buttons, double-click, save and restore.
#include "ListsFixture.h"

#include <QPushButton>

namespace brantlewick::testing {
namespace {

class CharacterListTest : public ListsFixture {
protected:
    // Closes this window (saving the list) and opens a new one on the same store.
    void Restart() {
        form_->Form_QueryUnload();
        form_ = std::make_unique<Form1>(store_, desktop_, QString::fromStdString(dir_.Path()));
        Open();
    }
    void SetEntries(const QStringList& entries) {
        Characters().clear();
        Characters().AppendAll(entries);
    }
};

TEST_F(CharacterListTest, SaveAndRestoreRoundTrips) {
    struct Row {
        QStringList entries;
        QString stored;
        QStringList restored;
    };
    const Row rows[] = {
        {{"...", "?"}, "...\\\\\\?", {"...", "?"}},
        {{".", "."}, ".\\\\\\.", {".", "."}},
        {{" ?", "! "}, " ?\\\\\\! ", {" ?", "! "}},
        {{"a\\\\\\b"}, "a\\\\\\b", {"a", "b"}},
        {{" ", "."}, " \\\\\\.", {"."}},
        {{" "}, " ", {}},
        {{}, "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored.toStdString());
        SetEntries(row.entries);
        Restart();
        EXPECT_EQ(Stored(setting::kListView2), row.stored);
        EXPECT_EQ(Characters().Texts(), row.restored);
    }
    // An emptied list stays empty through a further start instead of coming back as the defaults.
    Restart();
    EXPECT_EQ(Characters().Count(), 0);
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(CharacterListTest, AddCharactersAppendsTheTextExactlyAsTyped) {
    // What is typed (the empty string is what Cancel gives), and the list after it.
    const std::pair<QString, QStringList> rows[] = {
        {"...", {".", "!", "?", "..."}},
        {"", {".", "!", "?", "..."}},
        {" ", {".", "!", "?", "...", " "}},
        {".", {".", "!", "?", "...", " ", "."}},
        {" \u3002 ", {".", "!", "?", "...", " ", ".", " \u3002 "}},
    };
    for (const auto& [typed, after] : rows) {
        SCOPED_TRACE(typed.toStdString());
        desktop_.inputAnswers.push_back(typed);
        form_->PushButton9()->click();
        EXPECT_EQ(Characters().Texts(), after);
        ASSERT_FALSE(desktop_.inputBoxes.empty());
        EXPECT_EQ(desktop_.inputBoxes.back().prompt, "Enter Character to add:");
        EXPECT_EQ(desktop_.inputBoxes.back().caption, "Brantlewick");
        EXPECT_EQ(desktop_.inputBoxes.back().defaultText, "");
    }
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(CharacterListTest, DeleteDoubleClickResetAndHelp) {
    SetEntries({"a", "b", "c", "d"});
    Characters().Select(2);
    form_->PushButton10()->click();
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c", "d"}));
    DoubleClick(Characters(), 3);
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c"}));
    // Nothing selected, then an empty list: nothing happens and nothing is said.
    Characters().clearSelection();
    form_->PushButton10()->click();
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c"}));
    SetEntries({});
    form_->PushButton10()->click();
    form_->ListView2_DblClick();
    EXPECT_EQ(Characters().Count(), 0);
    EXPECT_TRUE(desktop_.messages.empty());
    // Reset gives exactly the defaults, from an empty list and from one with duplicates of them.
    for (const QStringList& before : {QStringList{}, QStringList{"?", ".", "!", "?", "..."}}) {
        SetEntries(before);
        form_->PushButton11()->click();
        EXPECT_EQ(Characters().Texts(), (QStringList{".", "!", "?"}));
    }

    form_->PushButton12()->click();
    ASSERT_EQ(desktop_.messages.size(), 1U);
    EXPECT_EQ(desktop_.messages[0].text, "These characters will be the ones that new lines are added after.");
    EXPECT_EQ(desktop_.messages[0].caption, "Brantlewick");
    EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(desktop_.messages[0].buttons, MessageButtons::Ok);
}

TEST_F(CharacterListTest, RemovingAndResettingAreRefusedWhileTheHourglassShows) {
    SetEntries({"a", "b"});
    Characters().Select(1);
    form_->SetMousePointer(PointerState::Hourglass);
    form_->PushButton10()->click();
    form_->PushButton11()->click();
    DoubleClick(Characters(), 2);
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "b"}));
    // Adding is not refused.
    desktop_.inputAnswers.push_back("!!");
    form_->PushButton9()->click();
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "b", "!!"}));
    EXPECT_TRUE(desktop_.messages.empty());
}

} // namespace
} // namespace brantlewick::testing
