// The stored form of the character list, and the list's buttons, double-click, save and restore.
#include "CharacterList.h"
#include "ListsFixture.h"

#include <QPushButton>

namespace brantlewick::testing {
namespace {

TEST(CharacterListTextTest, SplitsAtEveryThreeBackslashesAndDropsBlankPieces) {
    struct Row {
        QString stored;
        QStringList entries;
    };
    const Row rows[] = {
        {"", {}},
        {".\\\\\\!\\\\\\?", {".", "!", "?"}},
        {"...\\\\\\?!", {"...", "?!"}},
        {" ?\\\\\\a b ", {" ?", "a b "}},
        {"   ", {}},
        {" \\\\\\.\\\\\\  ", {"."}},
        {"\\\\\\.\\\\\\", {"."}},
        {".\\\\\\\\\\\\\\\\\\!", {".", "!"}},
        // Only spaces make a piece blank; a tab is a text like any other.
        {"\t\\\\\\.", {"\t", "."}},
        // Two backslashes are no separator; four are one separator and a backslash after it.
        {"a\\\\b", {"a\\\\b"}},
        {".\\\\\\\\", {".", "\\"}},
        {"\u3002\\\\\\\u2026", {"\u3002", "\u2026"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored.toStdString());
        EXPECT_EQ(SplitCharacterList(row.stored), row.entries);
    }
}

TEST(CharacterListTextTest, JoinsWithTheSeparatorBetweenEntriesOnly) {
    EXPECT_EQ(JoinCharacterList({}), QString());
    EXPECT_EQ(JoinCharacterList({"."}), QStringLiteral("."));
    EXPECT_EQ(JoinCharacterList({".", "!", "?"}), QStringLiteral(".\\\\\\!\\\\\\?"));
    EXPECT_EQ(JoinCharacterList({" ", "..."}), QStringLiteral(" \\\\\\..."));
    EXPECT_EQ(kDefaultCharacterListText, QStringLiteral(".\\\\\\!\\\\\\?"));
}

class CharacterListTest : public ListsFixture {
protected:
    void SetUp() override { Open(); }

    // Closes this window (saving the list) and opens a new one on the same store.
    void Restart() {
        form_->Form_QueryUnload();
        form_ = std::make_unique<Form1>(store_, desktop_, QString::fromStdString(dir_.Path()));
        Open();
    }
    void SetEntries(const QStringList& entries) {
        Characters().clear();
        for (const QString& entry : entries) {
            Characters().Append(entry);
        }
    }
};

TEST_F(CharacterListTest, FirstStartShowsTheDefaults) {
    EXPECT_EQ(Characters().Texts(), (QStringList{".", "!", "?"}));
}

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
        EXPECT_EQ(store_.GetSetting(setting::kListView2, "missing"), row.stored);
        EXPECT_EQ(Characters().Texts(), row.restored);
    }
    // An emptied list stays empty through a further start instead of coming back as the defaults.
    Restart();
    EXPECT_EQ(Characters().Count(), 0);
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(CharacterListTest, AddCharactersAppendsTheTextExactlyAsTyped) {
    struct Row {
        QString typed; // the empty string is what Cancel gives
        QStringList after;
    };
    const Row rows[] = {
        {"...", {".", "!", "?", "..."}},
        {"", {".", "!", "?", "..."}},
        {" ", {".", "!", "?", "...", " "}},
        {".", {".", "!", "?", "...", " ", "."}},
        {" \u3002 ", {".", "!", "?", "...", " ", ".", " \u3002 "}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        desktop_.inputAnswers.push_back(row.typed);
        form_->PushButton9()->click();
        EXPECT_EQ(Characters().Texts(), row.after);
        ASSERT_FALSE(desktop_.inputBoxes.empty());
        EXPECT_EQ(desktop_.inputBoxes.back().prompt, QStringLiteral("Enter Character to add:"));
        EXPECT_EQ(desktop_.inputBoxes.back().caption, form_->ApplicationTitle());
        EXPECT_EQ(desktop_.inputBoxes.back().defaultText, QString());
    }
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(CharacterListTest, DeleteSelectedAndDoubleClickRemoveOneEntry) {
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
}

TEST_F(CharacterListTest, ResetGivesExactlyTheDefaults) {
    for (const QStringList& before : {QStringList{}, QStringList{"?", ".", "!", "?", "..."}}) {
        SetEntries(before);
        form_->PushButton11()->click();
        EXPECT_EQ(Characters().Texts(), (QStringList{".", "!", "?"}));
    }
}

TEST_F(CharacterListTest, HelpShowsItsText) {
    form_->PushButton12()->click();
    ASSERT_EQ(desktop_.messages.size(), 1U);
    EXPECT_EQ(desktop_.messages[0].text,
              QStringLiteral("These characters will be the ones that new lines are added after."));
    EXPECT_EQ(desktop_.messages[0].caption, form_->ApplicationTitle());
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

    desktop_.inputAnswers.push_back("!!");
    form_->PushButton9()->click();
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "b", "!!"}));
    EXPECT_TRUE(desktop_.messages.empty());
}

} // namespace
} // namespace brantlewick::testing
