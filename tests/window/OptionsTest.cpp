// The option controls: what each change stores, the numeric check of the number of Enters, the picker.
#include "TestWindow.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace brantlewick::testing {
namespace {

class OptionsTest : public ::testing::Test, public TestWindow {
protected:
    void SetUp() override { Show(); }
    QLineEdit& Enters() { return Get<QLineEdit>("Text1"); }
    // Lets what the window posted for later run (focus changes, the letting go of a pressed button).
    static void Settle() { QCoreApplication::processEvents(); }
};

TEST_F(OptionsTest, EachOptionClickStoresThePairAndSetsTheFolderBox) {
    // The second click on the selected Option2 stores the pair again over a stale value.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"Option2", "False", "True"}, {"Option2", "False", "True"}, {"Option1", "True", "False"}};
    for (const auto& [option, option1, option2] : rows) {
        settings.SaveSetting(setting::kOption1, "stale");
        QTest::mouseClick(&Get(option), Qt::LeftButton);
        EXPECT_EQ(Stored(setting::kOption1) + Stored(setting::kOption2), QString(option1) + option2);
        const bool enabled = QString(option1) == "True";
        EXPECT_EQ(Get("Text3").isEnabled() && Get("PushButton7").isEnabled(), enabled);
    }
}

TEST_F(OptionsTest, LeavingTheNumberBoxWithANonNumericTextSendsTheFocusBack) {
    const std::pair<QString, bool> rows[] = {{"12", false}, {" 1.5 ", false}, {"-3", false}, {"1E3", false},
                                             {"", true},    {"   ", true},    {"abc", true}, {"12a", true}};
    for (const auto& [text, refused] : rows) {
        SCOPED_TRACE(text.toStdString());
        desktop.messages.clear();
        Enters().setFocus();
        Enters().setText(text);
        QTest::keyClick(&Enters(), Qt::Key_Tab);
        Settle();
        EXPECT_EQ(desktop.MessageTexts(), refused ? QStringList{"Must be numeric."} : QStringList{});
        EXPECT_EQ(QApplication::focusWidget() == &Enters(), refused);
        EXPECT_EQ(Enters().text(), text);
        EXPECT_EQ(Stored(setting::kText1), text);
    }
}

// While the box shows it takes the focus from the window and hands it back when it closes; that, and
// switching to another window and back, is not leaving the box again.
TEST_F(OptionsTest, EachAttemptToLeaveShowsTheMessageOnceAndNoMore) {
    Enters().setFocus();
    Enters().setText("x");
    QWidget other;
    other.resize(100, 100);
    desktop.onMessage = [&](const ShownMessage&) {
        other.show();
        other.activateWindow();
        (void)QTest::qWaitForWindowActive(&other);
        form->activateWindow();
        (void)QTest::qWaitForWindowActive(form.get());
    };
    for (const char* next : {"PushButton11", "Text3"}) {
        Get(next).setFocus(Qt::MouseFocusReason);
        Settle();
        Settle();
        EXPECT_EQ(QApplication::focusWidget(), &Enters());
    }
    EXPECT_EQ(desktop.messages.size(), 2U);
    desktop.onMessage = nullptr;
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Settle();
    EXPECT_EQ(desktop.messages.size(), 2U);
}

// A press on a button that takes the focus from a non-numeric box shows the message instead of pressing
// the button: the button is neither left half pressed nor clicked by the release.
TEST_F(OptionsTest, APressThatLeavesTheBoxDoesNotPressTheButton) {
    Enters().setFocus();
    Enters().setText("x");
    auto& help = Get<QAbstractButton>("PushButton12");
    QTest::mousePress(&help, Qt::LeftButton);
    Settle();
    EXPECT_FALSE(help.isDown());
    QTest::mouseRelease(&help, Qt::LeftButton);
    EXPECT_EQ(desktop.MessageTexts(), QStringList{"Must be numeric."});
    Enters().setText("3");
    QTest::mouseClick(&help, Qt::LeftButton);
    EXPECT_EQ(desktop.messages.size(), 2U);
}

// The picker opens where it was left last time (by this or an earlier start), whatever the box says now;
// it stores what it returned and adds one separator to the box.
TEST_F(OptionsTest, ThePickerStoresWhatItReturnedAndAddsOneSeparatorToTheBox) {
    const struct {
        QString picked; // empty: the user cancelled
        QString openedAt, text3, lastFolderDot;
    } rows[] = {
        {"", "/earlier", "typed over", "/earlier"},
        {"/data/out", "/earlier", "/data/out/", "/data/out"},
        {"/", "/data/out", "/", "/"},
    };
    settings.SaveSetting(setting::kLastFolderDot, "/earlier");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.picked.toStdString());
        Get<QLineEdit>("Text3").setText("typed over");
        desktop.folderAnswers.push_back(row.picked);
        Click("PushButton7");
        EXPECT_EQ(desktop.folderPickers.back(), (QStringList{"Please select folder:", row.openedAt}));
        EXPECT_EQ(desktop.dialogOwners.back(), form.get());
        EXPECT_EQ(Get<QLineEdit>("Text3").text(), row.text3);
        EXPECT_EQ(Stored(setting::kOutputFolder), row.text3);
        EXPECT_EQ(Stored(setting::kLastFolderDot), row.lastFolderDot);
    }
    EXPECT_TRUE(desktop.messages.empty());
}

// A store that is a folder can be neither read nor written: the picker reports both and still fills the
// box, whose own write is the one message that tells the settings cannot be saved.
TEST_F(OptionsTest, APickerThatCannotStoreReportsAndStillFillsTheBox) {
    ::unlink(SettingsPath().c_str());
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(SettingsPath())));
    desktop.folderAnswers.push_back("/picked");
    Click("PushButton7");
    const QString failure =
        QString::fromStdString("Cannot read the settings file " + SettingsPath() + ": it is a folder.");
    EXPECT_EQ(ErrorReports(), (QStringList{Report(failure, "Form1.PushButton7_Click", 100),
                                           Report(failure, "Form1.PushButton7_Click", 104)}));
    EXPECT_EQ(desktop.messages.size(), 3U);
    EXPECT_EQ(Get<QLineEdit>("Text3").text(), "/picked/");
}

} // namespace
} // namespace brantlewick::testing
