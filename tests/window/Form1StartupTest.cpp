// The main window's start-up and shutdown against a settings file in a temporary folder, bad files included.
#include "ListView.h"
#include "QtDesktopServices.h"
#include "TestWindow.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>

namespace brantlewick {
namespace {

using testing::ExpectedReport;
using testing::ReadBytes;
using testing::TestWindow;

const QString kLoad = QStringLiteral("in Moravelle2021/08/31.Form1.Form_Load ");
const QString kQueryUnload = QStringLiteral("in Moravelle2021/08/31.Form1.Form_QueryUnload ");

// On an empty store the window shows its defaults and writes back only the two boxes; the desktop folder
// gets exactly one trailing separator. The web site opens once in a hundred starts: when the draw is 7.
TEST(Form1StartupTest, FirstStartShowsTheDefaultsAndStoresTheTwoBoxes) {
    const struct {
        QString desktop;
        std::string shown;
        int draw;
        QStringList opened;
    } rows[] = {{"/home/tester/Desktop", "/home/tester/Desktop/", 7, {"https://brantlewick.example/"}},
                {"/home/tester/Desktop/", "/home/tester/Desktop/", 6, {}},
                {"/home/tester/Schreibtisch//", "/home/tester/Schreibtisch/", 8, {}},
                {"/", "/", 1, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        TestWindow test;
        test.desktop.desktopLocation = row.desktop;
        test.desktop.draws = {row.draw};
        Form1& form = test.Load();
        EXPECT_EQ(form.windowTitle(), "Brantlewick");
        EXPECT_EQ(form.Text1()->text(), "1");
        EXPECT_EQ(form.Text3()->text(), QString::fromStdString(row.shown));
        EXPECT_TRUE(form.Option1()->isChecked() && !form.Option2()->isChecked() && form.Text3()->isEnabled());
        EXPECT_EQ(form.ListView1()->Count(), 0);
        EXPECT_EQ(form.ListView2()->Texts(), (QStringList{".", "!", "?"}));
        EXPECT_EQ(test.desktop.drawCount, 1);
        EXPECT_EQ(test.desktop.openedAddresses, row.opened);
        EXPECT_TRUE(test.desktop.messages.empty());
        EXPECT_EQ(ReadBytes(test.SettingsPath()),
                  "[Brantlewick]\nOutput%20Folder=" + row.shown + "\nText1=1\n");
    }
}

TEST(Form1StartupTest, StoredValuesAreShownUnchecked) {
    TestWindow test;
    test.WriteSettings(
        "[Brantlewick]\nText1=abc\nOutput%20Folder=\nListView2=...\\\\\\\\\\\\ ?\\\\\\\\\\\\ \n");
    Form1& form = test.Load();
    EXPECT_EQ(form.Text1()->text(), "abc");
    // An emptied box stays empty; it does not fall back to the desktop folder.
    EXPECT_EQ(form.Text3()->text(), "");
    EXPECT_EQ(form.ListView2()->Texts(), (QStringList{"...", " ?"}));
    EXPECT_TRUE(test.desktop.messages.empty());
}

TEST(Form1StartupTest, TheStoredOptionsSelectTheSaveOption) {
    const QString mismatch =
        "Type mismatch: the setting \"%1\" holds \"%2\", which is neither True, False nor a number.";
    const struct {
        const char* option1; // nullptr: never written
        const char* option2;
        bool selected1;
        bool selected2;
        QStringList reports;
    } cases[] = {
        {"True", "False", true, false, {}},
        {"False", "True", false, true, {}},
        // The second option is applied last, and the two form one group.
        {"True", "True", false, true, {}},
        {"False", "False", false, false, {}},
        {"1", "0", true, false, {}},
        {"-1", nullptr, true, false, {}},
        {"0", nullptr, false, false, {}},
        // A word that is no boolean is reported; the option keeps the state it had.
        {"maybe", nullptr, true, false, {ExpectedReport(mismatch.arg("Option1", "maybe"), kLoad, 116)}},
        {"False", "Yes", false, false, {ExpectedReport(mismatch.arg("Option2", "Yes"), kLoad, 118)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option1) + " / " + (c.option2 ? c.option2 : "-"));
        TestWindow test;
        test.WriteSettings(std::string("[Brantlewick]\nOption1=") + c.option1 + "\n" +
                           (c.option2 ? std::string("Option2=") + c.option2 + "\n" : ""));
        Form1& form = test.Load();
        EXPECT_EQ(form.Option1()->isChecked(), c.selected1);
        EXPECT_EQ(form.Option2()->isChecked(), c.selected2);
        EXPECT_EQ(form.Frame2()->isEnabled(), c.selected1);
        EXPECT_EQ(test.ErrorReports(), c.reports);
        // Reading the options writes nothing back to them.
        EXPECT_EQ(test.settings.GetSetting(setting::kOption1, "-"), c.option1);
        EXPECT_EQ(test.settings.GetSetting(setting::kOption2, "-"), c.option2 ? c.option2 : "-");
    }
}

TEST(Form1StartupTest, WithoutADesktopTheOutputFolderIsLeftAlone) {
    TestWindow test;
    test.desktop.desktopLocation = "";
    test.WriteSettings("[Brantlewick]\nOutput%20Folder=/stored/\n");
    Form1& form = test.Load();
    EXPECT_EQ(
        test.ErrorReports(),
        (QStringList{ExpectedReport("Invalid argument: the desktop folder cannot be located.", kLoad, 114)}));
    EXPECT_EQ(form.Text3()->text(), "");
    EXPECT_EQ(form.Text1()->text(), "1");
    EXPECT_EQ(test.settings.GetSetting(setting::kOutputFolder, ""), "/stored/");
}

TEST(Form1StartupTest, TheDesktopFolderComesFromTheUsersFolderSettingsAndNeedNotExist) {
    testing::TempDir home;
    ASSERT_EQ(::setenv("HOME", home.Path().c_str(), 1), 0);
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1), 0);
    QtDesktopServices desktop;
    EXPECT_EQ(desktop.DesktopLocation(), QString::fromStdString(home / "Desktop"));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home / ".config")));
    testing::WriteBytes(home / ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(desktop.DesktopLocation(), QString::fromStdString(home / "Schreibtisch"));
}

// Every read and write at start-up fails on a folder in place of the file; each failing step is reported,
// the window still opens and closes, and the folder is not touched.
TEST(Form1StartupTest, AnUnreadableSettingsFileIsReportedAndLeftAsItIs) {
    TestWindow test;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(test.SettingsPath() + "/inside")));
    const QString failure =
        QString::fromStdString("Cannot read the settings file " + test.SettingsPath() + ": it is a folder.");
    Form1& form = test.Load();
    EXPECT_EQ(test.desktop.MessageTexts(),
              (QStringList{ExpectedReport(failure, kLoad, 112), ExpectedReport(failure, kLoad, 114),
                           ExpectedReport(failure, kLoad, 116), ExpectedReport(failure, kLoad, 118),
                           ExpectedReport(failure, kLoad, 124)}));
    EXPECT_TRUE(form.Option1()->isChecked());
    EXPECT_EQ(form.ListView2()->headerItem()->text(0), "Sentence Ending Characters");
    test.desktop.messages.clear();
    form.close();
    EXPECT_EQ(test.ErrorReports(), (QStringList{ExpectedReport(failure, kQueryUnload, 100)}));
    EXPECT_EQ(test.desktop.endProgramCount, 1);
    EXPECT_TRUE(QDir(QString::fromStdString(test.SettingsPath() + "/inside")).exists());
}

// A "#" line used to fail every read at every start and every write after them. The file is set aside
// once, said once, and what could be read of it is used and saved from then on.
TEST(Form1StartupTest, ADamagedSettingsFileIsSetAsideOnceAndWhatCouldBeReadIsUsed) {
    TestWindow test;
    test.WriteSettings("# my notes\n[Brantlewick]\nText1=3\nOption2=True\n");
    Form1& form = test.Load();
    ASSERT_EQ(test.desktop.messages.size(), 1U);
    EXPECT_EQ(test.desktop.messages[0].caption, "Brantlewick");
    EXPECT_TRUE(test.desktop.messages[0].text.contains(".damaged-"));
    EXPECT_EQ(form.Text1()->text(), "3");
    EXPECT_TRUE(form.Option2()->isChecked());
    form.Text1()->setText("4");
    form.close();
    // The next start finds a sound file: nothing more is said, and what was typed is there.
    Form1 next(test.settings, test.desktop, QString::fromStdString(test.ProgramFolder()));
    next.Form_Load();
    EXPECT_EQ(test.desktop.messages.size(), 1U);
    EXPECT_EQ(next.Text1()->text(), "4");
    EXPECT_EQ(next.ListView2()->Count(), 3);
}

// The boxes store every keystroke and the options every click; a store that refuses them is told once a
// session with its reason, not once a keystroke, and the window goes on working.
TEST(Form1StartupTest, SettingsThatCannotBeSavedAreToldOnceAndTheWindowGoesOn) {
    TestWindow test;
    testing::WriteBytes(test.dir / "config", "a file in the way");
    const QString reason =
        QString::fromStdString("Cannot write the settings file " + test.SettingsPath() + ": the folder " +
                               test.dir.Path() + "/config cannot be created or written.");
    Form1& form = test.Load();
    form.Text1()->setText("5");
    form.Text3()->setText("/out/");
    form.Option2()->click();
    ASSERT_EQ(test.desktop.MessageTexts(),
              QStringList{"Your settings cannot be saved for the next start.\r\r" + reason +
                          "\r\rThe program goes on working with the choices you make now."});
    EXPECT_EQ(test.desktop.messages[0].caption, "Brantlewick");
    EXPECT_FALSE(form.Frame2()->isEnabled());
    test.desktop.messages.clear();
    form.close();
    EXPECT_EQ(test.ErrorReports(), (QStringList{ExpectedReport(reason, kQueryUnload, 100)}));
    EXPECT_EQ(test.desktop.endProgramCount, 1);
}

TEST(Form1StartupTest, ExtremelyLongStoredValuesAreNeitherCutNorLost) {
    TestWindow test;
    const std::string longText(40000, '7');
    const std::string longEntry(1000000, '.');
    test.WriteSettings("[Brantlewick]\nText1=" + longText + "\nOutput%20Folder=/out/" + longText +
                       "\nListView2=" + longEntry + "\n");
    Form1& form = test.Load();
    const QString refused =
        "The setting \"%1\" holds %2 characters, more than the 32767 the box holds; it is "
        "left in the settings file and not shown.";
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{ExpectedReport(refused.arg("Text1", "40000"), kLoad, 112),
                           ExpectedReport(refused.arg("Output Folder", "40005"), kLoad, 114)}));
    EXPECT_EQ(form.Text1()->text(), "");
    EXPECT_EQ(form.Text3()->text(), "");
    ASSERT_EQ(form.ListView2()->Count(), 1);
    EXPECT_EQ(form.ListView2()->Text(1).size(), 1000000);
    form.close();
    EXPECT_EQ(test.settings.GetSetting(setting::kText1, ""), QString::fromStdString(longText));
    EXPECT_EQ(test.settings.GetSetting(setting::kOutputFolder, ""),
              QString::fromStdString("/out/" + longText));
    EXPECT_EQ(test.settings.GetSetting(setting::kListView2, ""), QString::fromStdString(longEntry));
}

TEST(Form1StartupTest, ClosingSavesTheCharacterListThenLetsEventsRunTwiceAndEnds) {
    TestWindow test;
    Form1& form = test.Load();
    form.show();
    form.ListView2()->Append("...");
    form.ListView2()->Append(" ?");
    QStringList storedWhileProcessing;
    test.desktop.onProcessEvents = [&] {
        storedWhileProcessing.append(test.settings.GetSetting(setting::kListView2, "not yet"));
    };
    // A run in progress does not hold the close up.
    form.SetMousePointer(PointerState::Hourglass);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    const QString saved = ".\\\\\\!\\\\\\?\\\\\\...\\\\\\ ?";
    EXPECT_EQ(storedWhileProcessing, (QStringList{saved, saved}));
    EXPECT_EQ(test.desktop.endProgramCount, 1);
    EXPECT_TRUE(test.desktop.messages.empty());
}

} // namespace
} // namespace brantlewick
