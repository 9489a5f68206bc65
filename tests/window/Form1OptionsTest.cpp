// The option controls: what each change stores, the numeric check of the number of Enters, the picker.
#include "ListsFixture.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>

namespace brantlewick::testing {
namespace {

class OptionsTest : public ListsFixture {
protected:
    // Lets what the window posted for later run (focus changes, the letting go of a pressed button).
    static void Settle() { QCoreApplication::processEvents(); }
    // Types a text that is no number into the number box, which keeps the focus.
    void TypeNonNumeric() {
        form_->Text1()->setFocus();
        form_->Text1()->setText("x");
    }
};

TEST_F(OptionsTest, EachOptionClickStoresThePairAndSetsTheFolderBox) {
    struct Row {
        QRadioButton* (Form1::*option)() const;
        const char* option1;
        const char* option2;
        bool folderBoxEnabled;
    };
    // The second click on the selected Option2 stores the pair again over a stale value.
    const Row rows[] = {{&Form1::Option2, "False", "True", false},
                        {&Form1::Option2, "False", "True", false},
                        {&Form1::Option1, "True", "False", true}};
    for (const Row& row : rows) {
        store_.SaveSetting(setting::kOption1, "stale");
        QTest::mouseClick((form_.get()->*row.option)(), Qt::LeftButton);
        EXPECT_EQ(Stored(setting::kOption1), row.option1);
        EXPECT_EQ(Stored(setting::kOption2), row.option2);
        EXPECT_EQ(form_->Frame2()->isEnabled(), row.folderBoxEnabled);
        EXPECT_EQ(form_->Text3()->isEnabled() && form_->PushButton7()->isEnabled(), row.folderBoxEnabled);
    }
}

TEST_F(OptionsTest, LeavingTheNumberBoxWithANonNumericTextSendsTheFocusBack) {
    const std::pair<QString, bool> rows[] = {{"12", false},  {" 1.5 ", false}, {"-3", false},
                                             {"1E3", false}, {"", true},       {"   ", true},
                                             {"abc", true},  {"12a", true},    {"1.5.", true}};
    for (const auto& [text, refused] : rows) {
        SCOPED_TRACE(text.toStdString());
        desktop_.messages.clear();
        form_->Text1()->setFocus();
        form_->Text1()->setText(text);
        QTest::keyClick(form_->Text1(), Qt::Key_Tab);
        Settle();
        if (refused) {
            ASSERT_EQ(desktop_.messages.size(), 1U);
            EXPECT_EQ(desktop_.messages[0].text, "Must be numeric.");
            EXPECT_EQ(desktop_.messages[0].caption, "Brantlewick");
            EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::None);
            EXPECT_EQ(desktop_.messages[0].buttons, MessageButtons::Ok);
        }
        EXPECT_EQ(desktop_.messages.size(), refused ? 1U : 0U);
        EXPECT_EQ(QApplication::focusWidget() == form_->Text1(), refused);
        EXPECT_EQ(form_->Text1()->text(), text);
        EXPECT_EQ(Stored(setting::kText1), text);
    }
}

TEST_F(OptionsTest, EachAttemptToLeaveShowsTheMessageOnceAndNoMore) {
    TypeNonNumeric();
    QWidget other;
    other.resize(100, 100);
    // While the box shows, it takes the focus from the window, and hands it back when it closes.
    desktop_.onMessage = [&](const ShownMessage&) {
        other.show();
        other.activateWindow();
        (void)QTest::qWaitForWindowActive(&other);
        form_->activateWindow();
        (void)QTest::qWaitForWindowActive(form_.get());
    };
    form_->PushButton11()->setFocus(Qt::MouseFocusReason);
    Settle();
    Settle();
    EXPECT_EQ(desktop_.MessageTexts(), (QStringList{"Must be numeric."}));
    EXPECT_EQ(QApplication::focusWidget(), form_->Text1());
    form_->Text3()->setFocus(Qt::MouseFocusReason);
    Settle();
    EXPECT_EQ(desktop_.MessageTexts(), (QStringList{"Must be numeric.", "Must be numeric."}));
    EXPECT_EQ(QApplication::focusWidget(), form_->Text1());

    // Switching to another window and back is not leaving the box.
    desktop_.onMessage = nullptr;
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Settle();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    Settle();
    EXPECT_EQ(desktop_.messages.size(), 2U);
    EXPECT_EQ(QApplication::focusWidget(), form_->Text1());
}

// A press on a button that takes the focus from a non-numeric box shows the message instead of pressing
// the button: the button is neither left half pressed nor clicked by the release.
TEST_F(OptionsTest, APressThatLeavesTheBoxDoesNotPressTheButton) {
    TypeNonNumeric();
    QPushButton* help = form_->PushButton12();
    QTest::mousePress(help, Qt::LeftButton);
    Settle();
    EXPECT_FALSE(help->isDown());
    EXPECT_EQ(QApplication::focusWidget(), form_->Text1());
    QTest::mouseRelease(help, Qt::LeftButton);
    EXPECT_EQ(desktop_.MessageTexts(), (QStringList{"Must be numeric."}));
    // With a number in the box the same click goes through.
    form_->Text1()->setText("3");
    QTest::mouseClick(help, Qt::LeftButton);
    EXPECT_EQ(desktop_.messages.size(), 2U);
    EXPECT_EQ(desktop_.messages.back().text.left(16), "These characters");
}

// The picker opens where it was left last time (by this or an earlier start), whatever the box says now;
// it stores what it returned and adds one separator to the box.
TEST_F(OptionsTest, ThePickerStoresWhatItReturnedAndAddsOneSeparatorToTheBox) {
    struct Row {
        QString picked; // empty: the user cancelled
        QString openedAt;
        QString text3;
        QString lastFolderDot;
    };
    const Row rows[] = {
        {"", "/earlier", "typed over", "/earlier"},
        {"/data/out", "/earlier", "/data/out/", "/data/out"},
        {"", "/data/out", "typed over", "/data/out"},
        {"/", "/data/out", "/", "/"},
        {"/with space/x y", "/", "/with space/x y/", "/with space/x y"},
    };
    store_.SaveSetting(setting::kLastFolderDot, "/earlier");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picked.toStdString());
        form_->Text3()->setText("typed over");
        desktop_.folderAnswers.push_back(row.picked);
        QTest::mouseClick(form_->PushButton7(), Qt::LeftButton);
        ASSERT_FALSE(desktop_.folderPickers.empty());
        const ShownFolderPicker& shown = desktop_.folderPickers.back();
        EXPECT_EQ(shown.owner, form_.get());
        EXPECT_EQ(shown.title, "Please select folder:");
        EXPECT_EQ(shown.initialFolder, row.openedAt);
        EXPECT_EQ(form_->Text3()->text(), row.text3);
        EXPECT_EQ(Stored(setting::kOutputFolder), row.text3);
        EXPECT_EQ(Stored(setting::kLastFolderDot), row.lastFolderDot);
    }
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(OptionsTest, APickerThatCannotStoreReportsAndStillFillsTheBox) {
    // A store that is a folder can be neither read nor written.
    const std::string folder = dir_ / "store-is-a-folder";
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    SettingsStore broken(QString::fromStdString(folder));
    Form1 form(broken, desktop_, QString::fromStdString(dir_.Path()));
    desktop_.folderAnswers.push_back("/picked");
    form.PushButton7()->click();
    // The box's own write fails as well: that is the one message telling the settings cannot be saved.
    ASSERT_EQ(desktop_.messages.size(), 3U);
    EXPECT_TRUE(desktop_.messages[2].text.startsWith("Your settings cannot be saved"));
    EXPECT_EQ(desktop_.messages[0].caption, "Application Error");
    EXPECT_TRUE(desktop_.messages[0].text.contains(
        "\r\nin Moravelle2021/08/31.Form1.PushButton7_Click at line 100\r\r"));
    EXPECT_TRUE(desktop_.messages[1].text.contains(
        "\r\nin Moravelle2021/08/31.Form1.PushButton7_Click at line 104\r\r"));
    EXPECT_EQ(form.Text3()->text(), "/picked/");
    EXPECT_EQ(form.LastFolderDot(), "/picked");
}

} // namespace
} // namespace brantlewick::testing
