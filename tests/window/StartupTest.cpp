// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown against a settings file in a temporary folder, bad files included.
#include "TestWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

namespace brantlewick::testing {
namespace {

QString Shown(const TestWindow& test) {
    return test.Get<QLineEdit>("Text1").text() + "|" + test.Get<QLineEdit>("Text3").text() + "|" +
           QString::number(test.Get<QRadioButton>("Option1").isChecked()) +
           QString::number(test.Get<QRadioButton>("Option2").isChecked()) +
           QString::number(test.Get("Frame2").isEnabled()) + "|" + test.Characters().Texts().join(' ') + "|" +
           QString::number(test.Get<QCheckBox>("Check1").isChecked()) +
           QString::number(test.Get("Combo1").isEnabled()) + " " +
           test.Get<QComboBox>("Combo1").currentData().toString() + " " +
           test.Get<QComboBox>("Combo2").currentData().toString();
}

// On an empty store the window shows its defaults and writes back only the two boxes, the desktop folder
// with exactly one separator; the web site opens once in a hundred starts, when the draw is 7. Stored
// values are shown unchecked (the second option is applied last); a word that is no boolean is reported
// and the option keeps its state, as does a sentence choice that is none of its list's (the language's
// default is the locale's).
TEST(StartupTest, TheWindowShowsWhatIsStoredOrItsDefaults) {
    ::unsetenv("LC_ALL");
    ::setenv("LC_MESSAGES", "nl_NL.UTF-8", 1);
    const QString mismatch =
        "Type mismatch: the setting \"%1\" holds \"%2\", which is neither True, False nor a number.";
    const QString notOne = "The setting \"%1\" holds \"%2\", which is not one of %3.";
    const std::tuple<const char*, const char*, int, const char*, QStringList> cases[] = {
        {"", "/home/t/Desktop", 7, "1|/home/t/Desktop/|101|. ! ?|00 nl join", {}},
        {"", "/home/t/Schreibtisch//", 8, "1|/home/t/Schreibtisch/|101|. ! ?|00 nl join", {}},
        {"", "/", 6, "1|/|101|. ! ?|00 nl join", {}},
        {"Text1=abc\nOutput%20Folder=\nOption2=True\nListView2=...\\\\\\\\\\\\ ?\\\\\\\\\\\\ \n"
         "SentenceMode=1\nLanguage=DE\nLineBreaks=Reflow\n",
         "/d",
         1,
         "abc||010|...  ?|11 de reflow",
         {}},
        {"Option1=maybe\nLanguage=pt\nLineBreaks=wrap\n",
         "/d",
         1,
         "1|/d/|101|. ! ?|00 nl join",
         {Report(mismatch.arg("Option1", "maybe"), "Form1.Form_Load", 116),
          Report(notOne.arg("Language", "pt", "en, de, fr, es, it, ru, nl, ja, zh"), "Form1.Form_Load", 128),
          Report(notOne.arg("LineBreaks", "wrap", "join, keep, reflow"), "Form1.Form_Load", 130)}},
        {"Option1=0\nOption2=Yes\nSentenceMode=Yes\n",
         "/d",
         1,
         "1|/d/|000|. ! ?|00 nl join",
         {Report(mismatch.arg("Option2", "Yes"), "Form1.Form_Load", 118),
          Report(mismatch.arg("SentenceMode", "Yes"), "Form1.Form_Load", 126)}},
    };
    for (const auto& [stored, desktop, draw, shown, reports] : cases) {
        TestWindow test;
        if (*stored) {
            test.WriteSettings(stored);
        }
        test.desktop.desktopLocation = desktop;
        test.desktop.draws = {draw};
        test.Load();
        EXPECT_EQ(test.form->windowTitle() + " " + Shown(test), QString("Brantlewick ") + shown);
        EXPECT_EQ(test.ErrorReports(), reports);
        EXPECT_EQ(test.desktop.opened,
                  draw == 7 ? QStringList{"https://brantlewick.example/"} : QStringList{});
        if (!*stored) {
            EXPECT_EQ(ReadBytes(test.SettingsPath()),
                      "[Brantlewick]\nOutput%20Folder=" + Shown(test).section('|', 1, 1).toStdString() +
                          "\nText1=1\n");
        }
    }
    ::unsetenv("LC_MESSAGES");
}

// Without a desktop the output folder is neither read nor shown; a folder in place of the settings file
// fails every read and write, each reported, and the window still opens and closes; a value longer than
// its box holds is refused, not cut, and kept in the file.
TEST(StartupTest, BadStartsAreReportedAndNothingStoredIsLost) {
    TestWindow test;
    test.desktop.desktopLocation = "";
    test.WriteSettings("Output%20Folder=/stored/\nText1=" + std::string(40000, '7') + "\n");
    test.Load();
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{Report("The setting \"Text1\" holds 40000 characters, more than the "
                                  "32767 the box holds; it is left in the settings file and not shown.",
                                  "Form1.Form_Load", 112),
                           Report("Invalid argument: the desktop folder cannot be located.",
                                  "Form1.Form_Load", 114)}));
    EXPECT_EQ(Shown(test).section(' ', 0, -3), "||101|. ! ?|00");
    test.form->close();
    EXPECT_EQ(test.Stored(setting::kText1).size() + test.Stored(setting::kOutputFolder).size(), 40008);

    TestWindow broken;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(broken.SettingsPath())));
    broken.Load();
    broken.form->close();
    QStringList expected;
    for (int line : {112, 114, 116, 118, 124, 126, 128, 130, 100}) {
        expected.append(Report(QString::fromStdString("Cannot read the settings file " +
                                                      broken.SettingsPath() + ": it is a folder."),
                               line == 100 ? "Form1.Form_QueryUnload" : "Form1.Form_Load", line));
    }
    EXPECT_EQ(broken.ErrorReports(), expected);
    EXPECT_EQ(broken.desktop.endProgramCount, 1);
}

// A "#" line used to fail every read at every start and every write after them. The file is set aside
// once, said once, and what could be read of it is used and saved from then on.
TEST(StartupTest, ADamagedSettingsFileIsSetAsideOnceAndWhatCouldBeReadIsUsed) {
    TestWindow test;
    test.WriteSettings("Text1=3\nOption2=True\n");
    WriteBytes(test.SettingsPath(), "# my notes\n" + ReadBytes(test.SettingsPath()));
    test.Load();
    EXPECT_EQ(test.desktop.messages.size() + test.desktop.messages.at(0).text.contains(".damaged-"), 2u);
    EXPECT_EQ(test.desktop.messages[0].caption, "Brantlewick");
    EXPECT_EQ(Shown(test).section('|', 0, 0) + Shown(test).section('|', 2, 3), "3010|. ! ?");
    test.Get<QLineEdit>("Text1").setText("4");
    test.form->close();
    test.form.reset();
    test.Load();
    EXPECT_EQ(test.desktop.messages.size(), 1u);
    EXPECT_EQ(test.Get<QLineEdit>("Text1").text(), "4");
}

// The boxes store every keystroke and the options every click; a store that refuses them is told once
// a session, with its reason, and the window goes on working.
TEST(StartupTest, SettingsThatCannotBeSavedAreToldOnce) {
    TestWindow unsaved;
    WriteBytes(unsaved.dir / "config", "a file in the way");
    unsaved.Load();
    unsaved.Get<QLineEdit>("Text1").setText("5");
    unsaved.Get<QLineEdit>("Text3").setText("/out/");
    unsaved.Click("Option2");
    unsaved.Click("Check1");
    EXPECT_EQ(unsaved.desktop.MessageTexts(),
              QStringList{QString::fromStdString(
                  "Your settings cannot be saved for the next start.\r\rCannot write the settings file " +
                  unsaved.SettingsPath() + ": the folder " + unsaved.dir.Path() +
                  "/config cannot be created or written.\r\rThe program goes on working "
                  "with the choices you make now.")});
    EXPECT_EQ(Shown(unsaved).section(' ', 0, -3), "5|/out/|010|. ! ?|11");
}

} // namespace
} // namespace brantlewick::testing
