// The window's small parts on their own: the title, the boxes' texts, the dialogs' answers, the stored
// character list, the list view and the progress bar.
#include "CharacterList.h"
#include "ProgressBar.h"
#include "QtDesktopServices.h"
#include "TestWindow.h"
#include "WindowShell.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace brantlewick::testing {
namespace {

TEST(WindowPartsTest, TheApplicationTitleIsCutAtTheLastSpace) {
    const std::pair<QString, QString> rows[] = {
        {"Brantlewick", "Brantlewick"},
        {"Brantlewick Text Tool", "Brantlewick Text"},
        {"A very long product name that goes on and on past forty", "A very long product name that goes on"},
        {"Averyveryveryveryveryveryveryverylongproductname", "Averyveryveryveryveryveryveryverylongpro"},
    };
    for (const auto& [product, title] : rows) {
        EXPECT_EQ(ShortApplicationTitle(product), title);
    }
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
        EXPECT_EQ((*label)->textFormat(), Qt::PlainText);
    }
    EXPECT_EQ(input->textValue(), "<b>");
}

TEST(WindowPartsTest, TheDialogsAnswerInTheProgramsForm) {
    // The picker: no trailing separator except for the root.
    for (const auto& [chosen, result] : {std::pair{"", ""}, {"/", "/"}, {"//", "/"}, {"/a b/", "/a b"}}) {
        EXPECT_EQ(FolderPickerResult(chosen), result);
    }
    // The file dialog's buffer: one file is its path and a NUL; several are "/d", a NUL, each name and a
    // NUL, and a final NUL, all within 30000 characters.
    EXPECT_TRUE(SelectionFitsOpenFilesBuffer({"/" + QString(29998, u'a')}));
    EXPECT_FALSE(SelectionFitsOpenFilesBuffer({"/" + QString(29999, u'a')}));
    const QString name(14997, u'n');
    EXPECT_TRUE(SelectionFitsOpenFilesBuffer({"/d/" + name, "/d/" + name.left(14996) + "m"}));
    EXPECT_FALSE(SelectionFitsOpenFilesBuffer({"/d/" + name, "/d/" + name + "m"}));
    QtDesktopServices desktop;
    int lowest = 101, highest = 0;
    for (int i = 0; i < 20000; ++i) {
        const int draw = desktop.RandomDraw();
        lowest = std::min(lowest, draw);
        highest = std::max(highest, draw);
    }
    EXPECT_EQ(QString("%1-%2").arg(lowest).arg(highest), "1-100");
}

// The stored list splits at every three backslashes; pieces of spaces only are dropped.
TEST(WindowPartsTest, TheStoredCharacterListIsSplitAndBlankPiecesDropped) {
    const std::pair<QString, QStringList> rows[] = {
        {"", {}},
        {"\\\\\\.\\\\\\", {"."}},
        {". \\\\\\   \\\\\\ ?", {". ", " ?"}},
        {".\\\\\\\\\\\\\\\\\\!", {".", "!"}},
        {"a\\\\b", {"a\\\\b"}}, // two backslashes are no separator; four are one and a backslash after it
        {"a\\\\\\\\b", {"a", "\\b"}},
    };
    for (const auto& [stored, entries] : rows) {
        EXPECT_EQ(SplitCharacterList(stored), entries) << stored.toStdString();
    }
}

TEST(WindowPartsTest, AListEntryKeepsItsWholeTextAndTheBarShowsItsTextLiterally) {
    ListView list;
    const QString longText(ListView::kShownCharacters + 10, u'x');
    list.AppendAll({"first", longText});
    EXPECT_EQ(list.Text(2), longText);
    EXPECT_EQ(list.topLevelItem(1)->text(0).size(), ListView::kShownCharacters);
    EXPECT_EQ(list.Text(5), "");
    ProgressBar bar;
    bar.SetText("Processing: 100%p %v.txt");
    bar.setValue(50);
    EXPECT_EQ(bar.text(), "Processing: 100%p %v.txt");
}

} // namespace
} // namespace brantlewick::testing
