// SPDX-License-Identifier: GPL-3.0-or-later
// The option controls, the character list and the message and input boxes: what each change stores, the
// numeric check of the number of Enters, the pickers, and texts shown as typed.
#include "Rows.h"
#include "TestWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace brantlewick::testing {
namespace {

// Each click stores the pair, also over a stale value; the folder box is usable only with Option1.
TEST(OptionsTest, EachOptionClickStoresThePairAndSetsTheFolderBox) {
    const std::pair<const char*, QString> rows[] = {
        {"Option2", "False True off"}, {"Option2", "False True off"}, {"Option1", "True False on"}};
    TestWindow test;
    test.Show();
    FOR_EACH_ROW(row, rows) {
        const auto& [clicked, after] = row;
        test.settings.SaveSetting(setting::kOption1, "stale");
        QTest::mouseClick(&test.Get(clicked), Qt::LeftButton);
        const bool usable = test.Get("Text3").isEnabled() && test.Get("PushButton7").isEnabled();
        EXPECT_EQ(test.Stored(setting::kOption1) + " " + test.Stored(setting::kOption2) +
                      (usable ? " on" : " off"),
                  after);
    }
}

// Leaving the box with a text that is no number shows the message once per attempt and sends the focus
// back; the text stays, stored as typed. Switching windows (the message box does) is no attempt. A press
// on a button that takes the focus neither leaves the button half pressed nor clicks it on release.
TEST(OptionsTest, LeavingTheNumberBoxWithANonNumericTextSendsTheFocusBack) {
    TestWindow test;
    test.Show();
    auto& enters = test.Get<QLineEdit>("Text1");
    for (const auto& [text, refused] :
         {std::pair{"12", false}, {" 1.5 ", false}, {"1E3", false}, {"", true}, {"12a", true}}) {
        test.desktop.messages.clear();
        enters.setFocus();
        enters.setText(text);
        QTest::keyClick(&enters, Qt::Key_Tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(test.desktop.MessageTexts(), refused ? QStringList{"Must be numeric."} : QStringList{})
            << text;
        EXPECT_EQ(QString::number(QApplication::focusWidget() == &enters) + test.Stored(setting::kText1),
                  QString::number(refused) + text);
    }
    QWidget other;
    test.desktop.onMessage = [&](const ShownMessage&) {
        other.show();
        (void)QTest::qWaitForWindowActive(&other);
        test.form->activateWindow();
        (void)QTest::qWaitForWindowActive(test.form.get());
    };
    auto& help = test.Get<QAbstractButton>("PushButton12");
    QTest::mousePress(&help, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(help.isDown());
    QTest::mouseRelease(&help, Qt::LeftButton);
    EXPECT_EQ(test.desktop.MessageTexts(), QStringList(2, "Must be numeric."));
    EXPECT_EQ(QApplication::focusWidget(), &enters);
}

// The picker opens where it was left last time, whatever the box says now; it stores what it returned
// and adds one separator to the box.
TEST(OptionsTest, ThePickerStoresWhatItReturnedAndAddsOneSeparatorToTheBox) {
    TestWindow test;
    test.Load();
    test.settings.SaveSetting(setting::kLastFolderDot, "/earlier");
    for (const auto& [picked, openedAt, shown] : {std::tuple{"", "/earlier", "typed over"},
                                                  {"/data/out", "/earlier", "/data/out/"},
                                                  {"/", "/data/out", "/"}}) {
        test.Get<QLineEdit>("Text3").setText("typed over");
        test.desktop.folderAnswers.push_back(picked);
        test.Click("PushButton7");
        EXPECT_EQ(test.desktop.dialogs.back(), (QStringList{"Please select folder:", openedAt}));
        EXPECT_EQ(test.Stored(setting::kOutputFolder) + " " + test.Stored(setting::kLastFolderDot),
                  QString(shown) + " " + (*picked ? picked : "/earlier"));
    }
}

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
    FOR_EACH_ROW(row, rows) {
        const auto& [entries, stored, restored] = row;
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
// Adding used to select the new entry, so that "Delete Selected" right after removed it instead of the
// entry the user had chosen: the new entry is brought into sight, the selection stays.
TEST(CharacterListTest, TheButtonsAddRemoveResetAndHelpAndOnlyAddingWorksDuringARun) {
    TestWindow test;
    test.Show();
    test.Characters().Select(2);
    test.desktop.inputAnswers = {"...", "", " "}; // the empty text is what Cancel gives
    for (int i = 0; i < 3; ++i) {
        test.Click("PushButton9");
    }
    EXPECT_EQ(test.desktop.dialogs[0], (QStringList{"Enter Character to add:", "Brantlewick", ""}));
    const QRect added = test.Characters().visualItemRect(test.Characters().topLevelItem(4));
    EXPECT_TRUE(test.Characters().viewport()->rect().contains(added));
    test.Click("PushButton10");
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|?|...| ");
    test.WhileBusy([&] {
        test.desktop.inputAnswers = {"\u3002"};
        for (const char* button : {"PushButton9", "PushButton10", "PushButton11"}) {
            test.Click(button);
        }
        TestWindow::DoubleClick(test.Characters(), 3);
    });
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|?|...| |\u3002");
    test.Characters().Select(2);
    test.Click("PushButton10");
    TestWindow::DoubleClick(test.Characters(), 4);
    test.Characters().clearSelection();
    test.Click("PushButton10");
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|...| ");
    test.Click("PushButton11");
    test.Click("PushButton12");
    EXPECT_EQ(test.Characters().Texts().join('|'), ".|!|?");
    EXPECT_EQ(test.desktop.MessageTexts(),
              QStringList{"These characters will be the ones that new lines are added after."});
}

// A file name is data: "<b>" must show as typed, and markup would also swallow the report's line breaks.
TEST(WindowPartsTest, MessageAndInputBoxesShowTheirTextsPlainWithTheirLineBreaks) {
    const QString text = "Cannot open <b>big.txt</b> & <i>x</i>&amp;\r\nin X at line 100\r\rPlease";
    const auto message =
        MakeMessageBox(nullptr, text, "Application Error", MessageIcon::Warning, MessageButtons::Ok);
    const auto input = MakeInputBox(nullptr, text, "Brantlewick", "<b>");
    for (const QLabel* label :
         {message->findChild<QLabel*>("qt_msgbox_label"), input->findChild<QLabel*>()}) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "Cannot open <b>big.txt</b> & <i>x</i>&amp;\nin X at line 100\n\nPlease");
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_EQ(input->textValue(), "<b>");
    // A short text under a long caption: the box is sized for the caption, which a title bar would cut.
    const QString caption = "Brantlewick Text Reformatter For Many Files At Once";
    const auto done = MakeMessageBox(nullptr, "Done.", caption, MessageIcon::None, MessageButtons::Ok);
    EXPECT_GT(done->sizeHint().width(), done->fontMetrics().horizontalAdvance(caption) + 100);
}

} // namespace
} // namespace brantlewick::testing
