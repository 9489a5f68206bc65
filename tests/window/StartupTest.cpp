// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown against a settings file in a temporary folder, bad files included.
#include "Rows.h"
#include "TestWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

#include <sys/stat.h>
#include <unistd.h>

namespace brantlewick::testing {
namespace {

QString Shown(const TestWindow& test) {
    const auto bit = [](bool on) { return QString(on ? "1" : "0"); };
    return test.Get<QLineEdit>("Text1").text() + "|" + test.Get<QLineEdit>("Text3").text() + "|" +
           bit(test.Get<QRadioButton>("Option1").isChecked()) +
           bit(test.Get<QRadioButton>("Option2").isChecked()) + bit(test.Get("Frame2").isEnabled()) + "|" +
           test.Characters().Texts().join(' ') + "|" + bit(test.Get<QCheckBox>("Check1").isChecked()) +
           bit(test.Get("Combo1").isEnabled()) + " " +
           test.Get<QComboBox>("Combo1").currentData().toString() + " " +
           test.Get<QComboBox>("Combo2").currentData().toString();
}

// On an empty store the window shows its defaults and writes back only the two boxes, the desktop folder
// with exactly one separator; the web site opens once in a hundred starts, when the draw is 7. Stored
// values are shown unchecked (the second option is applied last); a word that is no boolean is reported
// in plain words, naming the settings file and what the user can do, and the option keeps its state, as
// does a sentence choice that is none of its list's (the language's default is the locale's).
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
         {mismatch.arg("Option1", "maybe"),
          notOne.arg("Language", "pt", "en, de, fr, es, it, ru, nl, ja, zh"),
          notOne.arg("LineBreaks", "wrap", "join, keep, reflow")}},
        {"Option1=0\nOption2=Yes\nSentenceMode=Yes\n",
         "/d",
         1,
         "1|/d/|000|. ! ?|00 nl join",
         {mismatch.arg("Option2", "Yes"), mismatch.arg("SentenceMode", "Yes")}},
    };
    FOR_EACH_ROW(row, cases) {
        const auto& [stored, desktop, draw, shown, problems] = row;
        TestWindow test;
        if (*stored != '\0') {
            test.WriteSettings(stored);
        }
        test.desktop.desktopLocation = desktop;
        test.desktop.draws = {draw};
        test.Load();
        EXPECT_EQ(test.form->windowTitle() + " " + Shown(test), QString("Brantlewick ") + shown);
        EXPECT_EQ(test.ErrorReports(), QStringList{});
        EXPECT_EQ(test.Problems(), problems);
        for (const QString& text : test.desktop.MessageTexts()) {
            EXPECT_TRUE(text.endsWith(QString::fromStdString(
                "\r\rCheck that you may read and write " + test.SettingsPath() +
                " and its folder. To start again with the default settings, rename or remove that file.")));
        }
        EXPECT_EQ(test.desktop.opened,
                  draw == 7 ? QStringList{"https://brantlewick.example/"} : QStringList{});
        if (*stored == '\0') {
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
    EXPECT_EQ(test.Problems(),
              QStringList{"The setting \"Text1\" holds 40000 characters, more than the 32767 "
                          "the box holds; it is left in the settings file and not shown."});
    EXPECT_EQ(test.ErrorReports(),
              QStringList{
                  Report("Invalid argument: the desktop folder cannot be located.", "Form1.Form_Load", 114)});
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
    FOR_EACH_ROW(row, rows) {
        const auto& [reason, make, kind] = row;
        TestWindow test;
        test.WriteSettings("");
        ASSERT_EQ(::unlink(test.SettingsPath().c_str()) == 0 && make(test.SettingsPath()), true);
        test.Load();
        test.Get<QLineEdit>("Text1").setText("5");
        test.Click("Option2");
        test.form->close();
        EXPECT_EQ(test.desktop.messages.size(), 1u);
        EXPECT_EQ(test.Problems(), QStringList{QString::fromStdString("Cannot read the settings file " +
                                                                      test.SettingsPath() + ": ") +
                                               reason +
                                               ". The program goes on with the default settings and saves "
                                               "none of your changes."});
        EXPECT_EQ(Shown(test).section('|', 2), "010|. ! ?|00 en join");
        EXPECT_EQ(test.desktop.endProgramCount, 1);
        struct stat info {};
        EXPECT_EQ(::lstat(test.SettingsPath().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, kind);
        EXPECT_EQ(ListNames(test.dir / "config"), "Kestrova.ini");
    }
    ::alarm(0);
}

// A damaged file used to fail every read at every start and every write after them, and a "#" line
// counted as damage. The file is set aside once, said once (naming the copy, which holds the damaged file
// whole), and what could be read of it is used and saved from then on; comments of both kinds stay.
TEST(StartupTest, ADamagedSettingsFileIsSetAsideOnceAndWhatCouldBeReadIsUsed) {
    const std::string damaged = "# my notes\n; more\n[Brantlewick]\nText1=3\nnot a setting\n";
    TestWindow test;
    test.WriteSettings("");
    WriteBytes(test.SettingsPath(), damaged);
    test.Load();
    const QString copy = QString::fromStdString(ListNames(test.dir / "config")).section('|', 1);
    EXPECT_EQ(test.desktop.messages.size(), 1u);
    EXPECT_EQ(test.desktop.messages.at(0).caption, "Brantlewick");
    EXPECT_TRUE(copy.startsWith("Kestrova.ini.damaged-") && test.desktop.messages.at(0).text.contains(copy));
    EXPECT_EQ(ReadBytes(test.dir / "config/" + copy.toStdString()), damaged);
    test.Get<QLineEdit>("Text1").setText(test.Get<QLineEdit>("Text1").text() + "4");
    test.form->close();
    test.form.reset();
    test.Load();
    EXPECT_EQ(test.desktop.messages.size(), 1u);
    EXPECT_EQ(test.Get<QLineEdit>("Text1").text(), "34");
    EXPECT_TRUE(ReadBytes(test.SettingsPath()).starts_with("# my notes\n; more\n[Brantlewick]\n"));
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

// Every control has its designed caption, place and size (in twips, 15 to a pixel, each within the
// nearest pixel) in its container. A caption's "&" marks its access key and is not shown: the visible
// captions are the designed ones. The sentence option row below the designed area is this program's own.
TEST(StartupTest, EveryControlHasItsCaptionAndPlace) {
    const struct {
        const char* name;
        const char* container;
        QString caption;
        int left, top, width, height;
    } rows[] = {
        {"ListView1", "Form1", "File(s)", 120, 120, 7800, 4890},
        {"PushButton1", "Form1", "&Add File(s)", 120, 5100, 3840, 405},
        {"PushButton3", "Form1", "Add All File(s) &In Folder", 4080, 5100, 3840, 405},
        {"PushButton4", "Form1", "&Clear List", 120, 5620, 3840, 405},
        {"PushButton5", "Form1", "Load Sample/&Example Files", 4080, 5620, 3840, 405},
        {"ListView2", "Form1", "Sentence Ending Characters", 8040, 120, 7800, 1095},
        {"PushButton9", "Form1", "Add Charac&ters", 8040, 1310, 3840, 405},
        {"PushButton10", "Form1", "&Delete Selected", 12000, 1310, 3850, 405},
        {"PushButton11", "Form1", "&Reset To Default", 8040, 1820, 3840, 405},
        {"PushButton12", "Form1", "&Help", 12000, 1820, 3840, 405},
        {"Frame3", "Form1", "Enter Option", 8040, 2265, 7800, 870},
        {"Label1", "Frame3", "&Number Of Enters To Add:", 240, 360, 2190, 225},
        {"Text1", "Frame3", "1", 2640, 300, 4935, 345},
        {"Frame5", "Form1", "Save Option", 8040, 3180, 7800, 1815},
        {"Option1", "Frame5", "Sa&ve results to this folder:", 240, 300, 3615, 255},
        {"Frame2", "Frame5", "", 480, 510, 6840, 810},
        {"Text3", "Frame2", "/d/", 240, 300, 5670, 345},
        {"PushButton7", "Frame2", "...", 6000, 300, 600, 345},
        {"Option2", "Frame5", "Save results in folder of &original file", 240, 1410, 3615, 255},
        {"PushButton2", "Form1", "&Start Adding", 8040, 5100, 7800, 405},
        {"ProgressBar1", "Form1", "Progress Bar", 8040, 5620, 7800, 405},
    };
    TestWindow test;
    test.desktop.desktopLocation = "/d";
    test.Show();
    EXPECT_EQ(test.form->objectName() + " " + test.form->windowTitle(), "Form1 Brantlewick");
    EXPECT_EQ(test.form->width(), 1064);
    EXPECT_GE(test.form->height(), 409);
    FOR_EACH_ROW(row, rows) {
        const QWidget& control = test.Get(row.name);
        const auto* list = qobject_cast<const ListView*>(&control);
        const QString caption =
            list != nullptr ? list->headerItem()->text(0)
                            : control.property(control.inherits("QGroupBox") ? "title" : "text").toString();
        EXPECT_EQ(caption, row.caption);
        EXPECT_EQ(control.parentWidget()->objectName(), row.container);
        const QRect place = control.geometry();
        // The label grows towards its box rather than cut its caption in the stand-in for Arial.
        const bool grows = QByteArray(row.name) == "Label1";
        const int placed[] = {place.x(), place.y(), place.width(), place.height()};
        const int designed[] = {row.left, row.top, row.width, row.height};
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(std::abs(placed[i] * 15 - designed[i]) <= 7 ||
                        (grows && i == 2 && placed[i] * 15 >= designed[i]))
                << "twips " << designed[i] << ", pixels " << placed[i];
        }
    }
    EXPECT_EQ(test.Get("ListView1").toolTip(),
              "Drag and drop files here. Double-click item to remove it. Move "
              "| line to right and out of window to reveal full names.");
    EXPECT_EQ(test.Get("ListView2").toolTip(), "");
}

} // namespace
} // namespace brantlewick::testing
