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
    void SetUp() override { Open(); }

    QString Stored(const QString& key) { return store_.GetSetting(key, QStringLiteral("<none>")); }
    // Lets what the window posted for later run (focus changes, the letting go of a pressed button).
    static void Settle() { QCoreApplication::processEvents(); }
};

TEST_F(OptionsTest, EachOptionClickStoresThePairAndSetsTheFolderBox) {
    struct Row {
        QRadioButton* (Form1::*option)() const;
        const char* option1;
        const char* option2;
        bool folderBoxEnabled;
    };
    const Row rows[] = {
        {&Form1::Option2, "False", "True", false},
        {&Form1::Option2, "False", "True", false},
        {&Form1::Option1, "True", "False", true},
    };
    for (const Row& row : rows) {
        // A stale value shows that a click on the selected option stores the pair again.
        store_.SaveSetting(setting::kOption1, "stale");
        QTest::mouseClick((form_.get()->*row.option)(), Qt::LeftButton);
        EXPECT_EQ(Stored(setting::kOption1), QString::fromUtf8(row.option1));
        EXPECT_EQ(Stored(setting::kOption2), QString::fromUtf8(row.option2));
        EXPECT_EQ(form_->Frame2()->isEnabled(), row.folderBoxEnabled);
        EXPECT_EQ(form_->Text3()->isEnabled(), row.folderBoxEnabled);
        EXPECT_EQ(form_->PushButton7()->isEnabled(), row.folderBoxEnabled);
    }
}

TEST_F(OptionsTest, EveryKeystrokeIsStored) {
    form_->Text1()->clear();
    EXPECT_EQ(Stored(setting::kText1), QString());
    form_->Text1()->setFocus();
    QTest::keyClick(form_->Text1(), Qt::Key_1);
    EXPECT_EQ(Stored(setting::kText1), QStringLiteral("1"));
    QTest::keyClick(form_->Text1(), Qt::Key_2);
    EXPECT_EQ(Stored(setting::kText1), QStringLiteral("12"));

    form_->Text3()->clear();
    form_->Text3()->setFocus();
    QTest::keyClicks(form_->Text3(), "/o ");
    EXPECT_EQ(Stored(setting::kOutputFolder), QStringLiteral("/o "));
}

TEST_F(OptionsTest, LeavingTheNumberBoxWithANonNumericTextSendsTheFocusBack) {
    struct Row {
        QString text;
        bool refused;
    };
    const Row rows[] = {
        {"12", false}, {" 1.5 ", false}, {"-3", false}, {"1E3", false}, {"", true},
        {"   ", true}, {"abc", true},    {"12a", true}, {"1.5.", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        desktop_.messages.clear();
        form_->Text1()->setFocus();
        form_->Text1()->setText(row.text);
        QTest::keyClick(form_->Text1(), Qt::Key_Tab);
        Settle();
        if (row.refused) {
            ASSERT_EQ(desktop_.messages.size(), 1U);
            EXPECT_EQ(desktop_.messages[0].text, QStringLiteral("Must be numeric."));
            EXPECT_EQ(desktop_.messages[0].caption, form_->ApplicationTitle());
            EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::None);
            EXPECT_EQ(desktop_.messages[0].buttons, MessageButtons::Ok);
            EXPECT_EQ(QApplication::focusWidget(), form_->Text1());
        } else {
            EXPECT_TRUE(desktop_.messages.empty());
            EXPECT_NE(QApplication::focusWidget(), form_->Text1());
        }
        EXPECT_EQ(form_->Text1()->text(), row.text);
        EXPECT_EQ(Stored(setting::kText1), row.text);
    }
}

TEST_F(OptionsTest, EachAttemptToLeaveShowsTheMessageOnceAndNoMore) {
    form_->Text1()->setFocus();
    form_->Text1()->setText("x");
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
}

// A press on a button that takes the focus from a non-numeric box shows the message instead of pressing
// the button: the button is neither left half pressed nor clicked by the release.
TEST_F(OptionsTest, APressThatLeavesTheBoxDoesNotPressTheButton) {
    form_->Text1()->setFocus();
    form_->Text1()->setText("x");
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
    EXPECT_EQ(desktop_.messages.back().text.left(16), QStringLiteral("These characters"));
}

TEST_F(OptionsTest, SwitchingToAnotherWindowIsNotLeavingTheBox) {
    form_->Text1()->setFocus();
    form_->Text1()->setText("x");
    QWidget other;
    other.resize(100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Settle();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    Settle();
    EXPECT_TRUE(desktop_.messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), form_->Text1());
}

TEST_F(OptionsTest, ThePickerStoresWhatItReturnedAndAddsOneSeparatorToTheBox) {
    struct Row {
        QString picked; // empty: the user cancelled
        QString text3;
        QString lastFolderDot;
    };
    const Row rows[] = {
        {"/data/out", "/data/out/", "/data/out"},
        {"", "typed over", "/data/out"},
        {"/", "/", "/"},
        {"/with space/x y", "/with space/x y/", "/with space/x y"},
    };
    QString openedAt;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.picked.toStdString());
        form_->Text3()->setText("typed over");
        desktop_.folderAnswers.push_back(row.picked);
        QTest::mouseClick(form_->PushButton7(), Qt::LeftButton);

        ASSERT_FALSE(desktop_.folderPickers.empty());
        const ShownFolderPicker& shown = desktop_.folderPickers.back();
        EXPECT_EQ(shown.owner, form_.get());
        EXPECT_EQ(shown.title, QStringLiteral("Please select folder:"));
        // It opens where it was left last time, whatever the box says now.
        EXPECT_EQ(shown.initialFolder, openedAt);
        EXPECT_EQ(form_->Text3()->text(), row.text3);
        EXPECT_EQ(Stored(setting::kOutputFolder), form_->Text3()->text());
        EXPECT_EQ(Stored(setting::kLastFolderDot), row.lastFolderDot);
        openedAt = row.lastFolderDot;
    }
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(OptionsTest, ThePickerOpensAtTheFolderStoredByAnEarlierStart) {
    store_.SaveSetting(setting::kLastFolderDot, "/earlier");
    desktop_.folderAnswers.push_back(QString());
    form_->PushButton7()->click();
    ASSERT_EQ(desktop_.folderPickers.size(), 1U);
    EXPECT_EQ(desktop_.folderPickers[0].initialFolder, QStringLiteral("/earlier"));
    EXPECT_EQ(Stored(setting::kLastFolderDot), QStringLiteral("/earlier"));
}

TEST_F(OptionsTest, APickerThatCannotStoreReportsAndStillFillsTheBox) {
    // A store that is a folder can be neither read nor written.
    const std::string folder = dir_ / "store-is-a-folder";
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    SettingsStore broken(QString::fromStdString(folder));
    Form1 form(broken, desktop_, QString::fromStdString(dir_.Path()));
    desktop_.folderAnswers.push_back("/picked");

    form.PushButton7()->click();

    ASSERT_EQ(desktop_.messages.size(), 2U);
    EXPECT_EQ(desktop_.messages[0].caption, QStringLiteral("Application Error"));
    EXPECT_TRUE(desktop_.messages[0].text.contains(
        "\r\nin Moravelle2021/08/31.Form1.PushButton7_Click at line 100\r\r"));
    EXPECT_TRUE(desktop_.messages[1].text.contains(
        "\r\nin Moravelle2021/08/31.Form1.PushButton7_Click at line 104\r\r"));
    EXPECT_EQ(form.Text3()->text(), QStringLiteral("/picked/"));
    EXPECT_EQ(form.LastFolderDot(), QStringLiteral("/picked"));
}

} // namespace
} // namespace brantlewick::testing
