// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown against a settings file in a temporary folder, bad files included.
#include "TestWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <sys/stat.h>
#include <unistd.h>

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

// Without a desktop the output folder is neither read nor shown; a value longer than its box holds is
// refused, not cut, and kept in the file.
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
    EXPECT_EQ(test.Stored(setting::kText1), QString(40000, u'7'));
    EXPECT_EQ(test.Stored(setting::kOutputFolder), "/stored/");
}

// A folder, a pipe or a device in the place of the settings file used to fail every read and write,
// each reported (nine boxes, none saying why), and a pipe kept the window from ever appearing. Now it is
// reported once, with the reason, the window shows the defaults, and the thing in its place is left as it
// is, also when the user changes a choice and closes the window.
TEST(StartupTest, ASettingsFileThatCannotBeUsedIsReportedOnceAndTheDefaultsServe) {
    const struct {
        const char* reason;
        std::function<bool(const std::string&)> make;
        mode_t kind;
    } rows[] = {
        {"it is a folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; }, S_IFDIR},
        {"it is not a regular file", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; },
         S_IFIFO},
        {"it is not a regular file",
         [](const std::string& p) { return ::symlink("/dev/zero", p.c_str()) == 0; }, S_IFLNK},
    };
    ::alarm(60); // a window that waits on the pipe fails here instead of hanging the run
    for (const auto& [reason, make, kind] : rows) {
        TestWindow test;
        QDir().mkpath(QString::fromStdString(test.dir / "config"));
        ASSERT_TRUE(make(test.SettingsPath()));
        test.Load();
        test.Get<QLineEdit>("Text1").setText("5");
        test.Click("Option2");
        test.form->close();
        EXPECT_EQ(test.desktop.MessageTexts(),
                  QStringList{Report(
                      QString::fromStdString("Cannot read the settings file " + test.SettingsPath() + ": ") +
                          reason +
                          ". The program goes on with the default settings and saves none of "
                          "your changes.",
                      "Form1.Form_Load", 112)});
        EXPECT_EQ(Shown(test).section('|', 2), "010|. ! ?|00 en join");
        EXPECT_EQ(test.desktop.endProgramCount, 1);
        struct stat info {};
        EXPECT_EQ(::lstat(test.SettingsPath().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, reason[6] == 'a'                      ? S_IFDIR
                                         : *reason == 'i' && info.st_size == 0 ? S_IFIFO
                                                                               : S_IFLNK);
        EXPECT_EQ(ListNames(test.dir / "config"), "Kestrova.ini");
    }
    ::alarm(0);
}

// A damaged file used to fail every read at every start and every write after them, and a "#" line
// counted as damage. The file is set aside once, said once (naming the copy, which holds the damaged file
// whole), and what could be read of it is used and saved from then on; comments of both kinds stay.
TEST(StartupTest, ADamagedSettingsFileIsSetAsideOnceAndWhatCouldBeReadIsUsed) {
    const std::string damaged = "# my notes\n; more\n[Other]\nx=1\n[Brantlewick]\nText1=3\nnot a setting\n";
    TestWindow test;
    QDir().mkpath(QString::fromStdString(test.dir / "config"));
    WriteBytes(test.SettingsPath(), damaged);
    test.Load();
    const QString copy = QString::fromStdString(ListNames(test.dir / "config")).section('|', 1);
    ASSERT_TRUE(copy.startsWith("Kestrova.ini.damaged-")) << qPrintable(copy);
    EXPECT_EQ(test.desktop.messages.size(), 1u);
    EXPECT_EQ(test.desktop.messages.at(0).caption, "Brantlewick");
    EXPECT_EQ(
        test.desktop.messages.at(0).text,
        QString::fromStdString("The settings file " + test.SettingsPath() +
                               " was damaged at line 7 and could not be used as it was.\r\rA copy of it "
                               "is kept as " +
                               test.dir / "config/") +
            copy + ". Every setting that could be read is kept; 1 line that could not be read was left out.");
    EXPECT_EQ(ReadBytes(test.dir / "config/" + copy.toStdString()), damaged);
    EXPECT_EQ(Shown(test).section('|', 0, 0), "3");
    test.Get<QLineEdit>("Text1").setText("4");
    test.form->close();
    test.form.reset();
    test.Load();
    EXPECT_EQ(test.desktop.messages.size(), 1u);
    EXPECT_EQ(test.Get<QLineEdit>("Text1").text(), "4");
    EXPECT_TRUE(
        ReadBytes(test.SettingsPath()).starts_with("# my notes\n; more\n[Other]\nx=1\n[Brantlewick]\n"));
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
    // Nor is the character list's failure at close reported again.
    unsaved.form->close();
    EXPECT_EQ(unsaved.desktop.messages.size(), 1u);
}

} // namespace
} // namespace brantlewick::testing
