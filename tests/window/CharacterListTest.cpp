// The character list's buttons, double-click, save and restore.
#include "TestWindow.h"

namespace brantlewick::testing {
namespace {

class CharacterListTest : public ::testing::Test, public TestWindow {
protected:
    void SetUp() override { Show(); }
    void SetEntries(const QStringList& entries) {
        Characters().clear();
        Characters().AppendAll(entries);
    }
    // Closes the window (which saves the list) and opens a new one on the same store.
    void Restart() {
        form->close();
        form.reset();
        Show();
    }
};

TEST_F(CharacterListTest, SaveAndRestoreRoundTrips) {
    const struct {
        QStringList entries;
        QString stored;
        QStringList restored;
    } rows[] = {
        {{"...", "?"}, "...\\\\\\?", {"...", "?"}},
        {{".", "."}, ".\\\\\\.", {".", "."}},
        {{" ?", "! "}, " ?\\\\\\! ", {" ?", "! "}},
        {{"a\\\\\\b"}, "a\\\\\\b", {"a", "b"}},
        {{" ", "\t"}, " \\\\\\\t", {"\t"}}, // only spaces make a piece blank
        {{}, "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored.toStdString());
        SetEntries(row.entries);
        Restart();
        EXPECT_EQ(Stored(setting::kListView2), row.stored);
        EXPECT_EQ(Characters().Texts(), row.restored);
    }
    // An emptied list stays empty through a further start instead of coming back as the defaults.
    Restart();
    EXPECT_EQ(Characters().Count(), 0);
}

TEST_F(CharacterListTest, AddCharactersAppendsTheTextExactlyAsTypedEvenDuringARun) {
    for (const QString typed : {"...", "", " "}) { // the empty text is what Cancel gives
        desktop.inputAnswers.push_back(typed);
        Click("PushButton9");
    }
    WhileBusy([&] {
        desktop.inputAnswers.push_back(" \u3002 ");
        Click("PushButton9");
    });
    EXPECT_EQ(Characters().Texts(), (QStringList{".", "!", "?", "...", " ", " \u3002 "}));
    EXPECT_EQ(desktop.inputBoxes[0], (QStringList{"Enter Character to add:", "Brantlewick", ""}));
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(CharacterListTest, DeleteDoubleClickResetAndHelp) {
    SetEntries({"a", "b", "c", "d"});
    Characters().Select(2);
    Click("PushButton10");
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c", "d"}));
    DoubleClick(Characters(), 3);
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c"}));
    Characters().clearSelection();
    Click("PushButton10");
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "c"}));
    SetEntries({"?", ".", "!", "?"});
    Click("PushButton11");
    EXPECT_EQ(Characters().Texts(), (QStringList{".", "!", "?"}));
    EXPECT_TRUE(desktop.messages.empty());
    Click("PushButton12");
    ASSERT_EQ(desktop.messages.size(), 1U);
    EXPECT_EQ(desktop.messages[0].text, "These characters will be the ones that new lines are added after.");
    EXPECT_EQ(desktop.messages[0].caption, "Brantlewick");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::None);
}

TEST_F(CharacterListTest, RemovingAndResettingAreRefusedWhileTheHourglassShows) {
    SetEntries({"a", "b"});
    Characters().Select(1);
    WhileBusy([&] {
        Click("PushButton10");
        Click("PushButton11");
        DoubleClick(Characters(), 2);
    });
    EXPECT_EQ(Characters().Texts(), (QStringList{"a", "b"}));
}

} // namespace
} // namespace brantlewick::testing
