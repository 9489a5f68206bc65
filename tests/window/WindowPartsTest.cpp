// The window's small parts on their own: titles, paths, the stored character list, the list view and the
// progress bar.
#include "CharacterList.h"
#include "Form1.h"
#include "ListView.h"
#include "ProgressBar.h"
#include "QtDesktopServices.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

TEST(WindowPartsTest, TheApplicationTitleIsCutAtTheLastSpace) {
    const std::pair<QString, QString> rows[] = {
        {"Brantlewick", "Brantlewick"},
        {"Brantlewick Text Tool", "Brantlewick Text"},
        {"Brantlewick ", "Brantlewick"},
        {"A very long product name that goes on and on past forty", "A very long product name that goes on"},
        {"Averyveryveryveryveryveryveryverylongproductname", "Averyveryveryveryveryveryveryverylongpro"},
        {"", ""},
    };
    for (const auto& [product, title] : rows) {
        EXPECT_EQ(ShortApplicationTitle(product), title) << product.toStdString();
    }
}

TEST(WindowPartsTest, TheFolderPickerAnswersWithoutATrailingSeparatorExceptForTheRoot) {
    const std::pair<QString, QString> rows[] = {{"", ""},
                                                {"/", "/"},
                                                {"//", "/"},
                                                {"/home/a", "/home/a"},
                                                {"/home/a/", "/home/a"},
                                                {"/media/usb b/", "/media/usb b"}};
    for (const auto& [chosen, result] : rows) {
        EXPECT_EQ(FolderPickerResult(chosen), result) << chosen.toStdString();
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

// A file name is data: "<b>" must show as typed, and markup would also swallow the report's line breaks.
TEST(WindowPartsTest, MessageAndInputBoxesShowTheirTextsPlainWithTheirLineBreaks) {
    const QString text = "Cannot open <b>big.txt</b> & <i>x</i>&amp;\r\nin X at line 100\r\rPlease";
    const QString shown = "Cannot open <b>big.txt</b> & <i>x</i>&amp;\nin X at line 100\n\nPlease";
    const auto message =
        MakeMessageBox(nullptr, text, "Application Error", MessageIcon::Warning, MessageButtons::Ok);
    const auto input = MakeInputBox(nullptr, text, "Brantlewick", "<b>");
    for (QDialog* box : std::initializer_list<QDialog*>{message.get(), input.get()}) {
        const QList<QLabel*> labels = box->findChildren<QLabel*>();
        const auto label =
            std::find_if(labels.begin(), labels.end(), [&](const QLabel* l) { return l->text() == shown; });
        ASSERT_NE(label, labels.end()) << box->metaObject()->className();
        EXPECT_EQ((*label)->textFormat(), Qt::PlainText) << box->metaObject()->className();
    }
    EXPECT_EQ(input->textValue(), "<b>");
}

// The stored list splits at every three backslashes; pieces of spaces only are dropped.
TEST(WindowPartsTest, TheStoredCharacterListIsSplitAndBlankPiecesDropped) {
    const std::pair<QString, QStringList> rows[] = {
        {"", {}},
        {".\\\\\\!\\\\\\?", {".", "!", "?"}},
        {"...\\\\\\?!", {"...", "?!"}},
        {" ?\\\\\\a b ", {" ?", "a b "}},
        {"   ", {}},
        {". \\\\\\   \\\\\\ ?", {". ", " ?"}},
        {"\\\\\\.\\\\\\", {"."}},
        {"\\\\\\\\\\\\", {}},
        {".\\\\\\\\\\\\\\\\\\!", {".", "!"}},
        {".\\\\\\.", {".", "."}},
        // Only spaces make a piece blank; a tab is a text like any other.
        {"\t\\\\\\.", {"\t", "."}},
        // Two backslashes are no separator; four are one separator and a backslash after it.
        {"a\\\\b", {"a\\\\b"}},
        {"a\\\\\\\\b", {"a", "\\b"}},
        {"\u3002\\\\\\\u2026", {"\u3002", "\u2026"}},
    };
    for (const auto& [stored, entries] : rows) {
        EXPECT_EQ(SplitCharacterList(stored), entries) << stored.toStdString();
    }
}

TEST(WindowPartsTest, AListEntryKeepsItsWholeTextButShowsABoundedPart) {
    ListView list;
    const QString longText(ListView::kShownCharacters + 10, u'x');
    list.AppendAll({"first", longText, "third"});
    EXPECT_EQ(list.Text(2), longText);
    EXPECT_EQ(list.topLevelItem(1)->text(0).size(), ListView::kShownCharacters);
    list.SetText(1, "changed");
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
