// The character list's buttons, double-click, save and restore.
#include "TestWindow.h"

namespace brantlewick::testing {
namespace {

TEST(CharacterListTest, SaveAndRestoreRoundTripsAndAnEmptiedListStaysEmpty) {
    const struct {
        QStringList entries;
        QString stored;
        QStringList restored;
    } rows[] = {
        {{" ?", "! ", " ?"}, " ?\\\\\\! \\\\\\ ?", {" ?", "! ", " ?"}},
        {{"a\\\\\\b"}, "a\\\\\\b", {"a", "b"}},
        {{" ", "\t"}, " \\\\\\\t", {"\t"}}, // only spaces make a piece blank
        {{}, "", {}},
    };
    TestWindow test;
    for (const auto& [entries, stored, restored] : rows) {
        test.Load().findChild<ListView*>("ListView2")->clear();
        test.Characters().AppendAll(entries);
        test.form->close();
        test.form.reset();
        test.Load();
        EXPECT_EQ(test.Stored(setting::kListView2), stored);
        EXPECT_EQ(test.Characters().Texts(), restored);
    }
}

// Adding takes the text exactly as typed, also during a run; removing and resetting are refused then.
TEST(CharacterListTest, TheButtonsAddRemoveResetAndHelpAndOnlyAddingWorksDuringARun) {
    TestWindow test;
    test.Show();
    test.desktop.inputAnswers = {"...", "", " "}; // the empty text is what Cancel gives
    for (int i = 0; i < 3; ++i) {
        test.Click("PushButton9");
    }
    EXPECT_EQ(test.desktop.dialogs[0], (QStringList{"Enter Character to add:", "Brantlewick", ""}));
    const QRect added = test.Characters().visualItemRect(test.Characters().topLevelItem(4));
    EXPECT_EQ(test.Characters().SelectedIndex(), 5); // the last entry added, in sight
    EXPECT_TRUE(test.Characters().viewport()->rect().contains(added));
    test.Characters().Select(2);
    test.WhileBusy([&] {
        test.desktop.inputAnswers = {"\u3002"};
        for (const char* button : {"PushButton9", "PushButton10", "PushButton11"}) {
            test.Click(button);
        }
        TestWindow::DoubleClick(test.Characters(), 3);
    });
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|!|?|...| |\u3002");
    test.Characters().Select(2);
    test.Click("PushButton10");
    TestWindow::DoubleClick(test.Characters(), 4);
    test.Characters().clearSelection();
    test.Click("PushButton10");
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|?|...|\u3002");
    test.Click("PushButton11");
    test.Click("PushButton12");
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|!|?");
    EXPECT_EQ(test.desktop.MessageTexts(),
              QStringList{"These characters will be the ones that new lines are added after."});
}

} // namespace
} // namespace brantlewick::testing
