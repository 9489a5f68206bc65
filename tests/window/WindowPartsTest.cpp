// The window's small parts on their own: titles, paths, the persisted character list, the list view and
// the progress bar.
#include "CharacterList.h"
#include "Form1.h"
#include "ListView.h"
#include "ProgressBar.h"
#include "QtDesktopServices.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brantlewick {
namespace {

TEST(WindowPartsTest, TheApplicationTitleIsCutAtTheLastSpace) {
    const struct {
        const char* product;
        const char* title;
    } cases[] = {
        {"Brantlewick", "Brantlewick"},
        {"Brantlewick Text Tool", "Brantlewick Text"},
        {"Brantlewick ", "Brantlewick"},
        {"A very long product name that goes on and on past forty", "A very long product name that goes on"},
        {"Averyveryveryveryveryveryveryverylongproductname", "Averyveryveryveryveryveryveryverylongpro"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product);
        EXPECT_EQ(ShortApplicationTitle(c.product), c.title);
    }
}

TEST(WindowPartsTest, TheFolderPickerAnswersWithoutATrailingSeparatorExceptForTheRoot) {
    const struct {
        const char* chosen;
        const char* result;
    } cases[] = {
        {"", ""},
        {"/", "/"},
        {"//", "/"},
        {"/home/a", "/home/a"},
        {"/home/a/", "/home/a"},
        {"/media/usb b/", "/media/usb b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        EXPECT_EQ(FolderPickerResult(c.chosen), c.result);
    }
}

TEST(WindowPartsTest, ASelectionFitsTheFileDialogsBufferUpTo30000Characters) {
    // One file: its path and a NUL.
    EXPECT_TRUE(SelectionFitsOpenFilesBuffer({}));
    EXPECT_TRUE(SelectionFitsOpenFilesBuffer({"/" + QString(29998, u'a')}));
    EXPECT_FALSE(SelectionFitsOpenFilesBuffer({"/" + QString(29999, u'a')}));
    // Several: "/d", NUL, then each name and a NUL, then the final NUL: 3 + 2 * (n + 1) + 1.
    const QString name(14997, u'n');
    EXPECT_TRUE(SelectionFitsOpenFilesBuffer({"/d/" + name, "/d/" + name.left(14996) + "m"}));
    EXPECT_FALSE(SelectionFitsOpenFilesBuffer({"/d/" + name, "/d/" + name + "m"}));
}

TEST(WindowPartsTest, MessagesKeepTheirLineEndsUntilTheyAreDisplayed) {
    EXPECT_EQ(DisplayedMessageText("Disk full\r\nin X at line 100\r\rPlease"),
              "Disk full\nin X at line 100\n\nPlease");
    EXPECT_EQ(DisplayedMessageText("Enter file extension to load:\r\r(* for all files)"),
              "Enter file extension to load:\n\n(* for all files)");
}

TEST(WindowPartsTest, TheStoredCharacterListIsSplitAndBlankPiecesDropped) {
    const struct {
        const char* stored;
        QStringList entries;
    } cases[] = {
        {".\\\\\\!\\\\\\?", {".", "!", "?"}},
        {"", {}},
        {"...", {"..."}},
        {". \\\\\\   \\\\\\ ?", {". ", " ?"}},
        {"\\\\\\\\\\\\", {}},
        {"a\\\\b", {"a\\\\b"}},
        {"a\\\\\\\\b", {"a", "\\b"}},
        {"\t", {"\t"}},
        {".\\\\\\.", {".", "."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(SplitCharacterList(c.stored), c.entries);
    }
}

TEST(WindowPartsTest, AListEntryKeepsItsWholeTextButShowsABoundedPart) {
    ListView list;
    const QString longText(ListView::kShownCharacters + 10, u'x');
    list.Append("first");
    list.Append(longText);
    list.Append("third");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Text(2), longText);
    EXPECT_EQ(list.topLevelItem(1)->text(0).size(), ListView::kShownCharacters);
    list.SetText(1, "changed");
    EXPECT_EQ(list.Texts(), (QStringList{"changed", longText, "third"}));
    EXPECT_EQ(list.SelectedIndex(), 0);
    list.Select(3);
    EXPECT_EQ(list.SelectedIndex(), 3);
    list.Remove(2);
    EXPECT_EQ(list.Texts(), (QStringList{"changed", "third"}));
    EXPECT_EQ(list.Text(5), "");
}

TEST(WindowPartsTest, TheProgressBarShowsItsTextLiterally) {
    ProgressBar bar;
    bar.SetText("Processing: 100%p %v.txt");
    bar.setValue(50);
    EXPECT_EQ(bar.text(), "Processing: 100%p %v.txt");
}

TEST(WindowPartsTest, TheDrawStaysWithinOneToAHundred) {
    QtDesktopServices desktop;
    int lowest = 101;
    int highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const int draw = desktop.RandomDraw();
        lowest = std::min(lowest, draw);
        highest = std::max(highest, draw);
    }
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 100);
}

} // namespace
} // namespace brantlewick
