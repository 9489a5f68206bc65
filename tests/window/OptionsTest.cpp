// The option controls: what each change stores, the numeric check of the number of Enters, the picker.
#include "TestWindow.h"

#include <QLineEdit>

namespace brantlewick::testing {
namespace {

// Each click stores the pair, also over a stale value; the folder box is usable only with Option1.
TEST(OptionsTest, EachOptionClickStoresThePairAndSetsTheFolderBox) {
    TestWindow test;
    test.Show();
    for (const char* option : {"Option2", "Option2", "Option1"}) {
        test.settings.SaveSetting(setting::kOption1, "stale");
        QTest::mouseClick(&test.Get(option), Qt::LeftButton);
        EXPECT_EQ(test.Stored(setting::kOption1) + test.Stored(setting::kOption2) +
                      QString::number(test.Get("Text3").isEnabled() && test.Get("PushButton7").isEnabled()),
                  option[6] == '1' ? "TrueFalse1" : "FalseTrue0");
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

} // namespace
} // namespace brantlewick::testing
