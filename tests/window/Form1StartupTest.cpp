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

TEST(Form1StartupTest, FirstStartShowsTheDefaultsAndStoresTheTwoBoxes) {
    TestWindow test;
    test.desktop.desktopLocation = "/home/tester/Desktop";
    Form1& form = test.Load();

    EXPECT_EQ(form.windowTitle(), "Brantlewick");
    EXPECT_EQ(form.ApplicationTitle(), "Brantlewick");
    EXPECT_EQ(form.Text1()->text(), "1");
    EXPECT_EQ(form.Text3()->text(), "/home/tester/Desktop/");
    EXPECT_TRUE(form.Option1()->isChecked());
    EXPECT_FALSE(form.Option2()->isChecked());
    EXPECT_TRUE(form.Frame2()->isEnabled());
    EXPECT_TRUE(form.Text3()->isEnabled());
    EXPECT_EQ(form.ListView1()->Count(), 0);
    EXPECT_EQ(form.ListView2()->Texts(), (QStringList{".", "!", "?"}));
    EXPECT_TRUE(test.desktop.messages.empty());
    // The two boxes' change handling wrote them back; nothing else is written at start-up.
    EXPECT_EQ(ReadBytes(test.SettingsPath()),
              "[Brantlewick]\nOutput%20Folder=/home/tester/Desktop/\nText1=1\n");
}

TEST(Form1StartupTest, TheDefaultFolderHasExactlyOneTrailingSeparator) {
    const struct {
        const char* desktop;
        const char* shown;
    } cases[] = {
        {"/home/tester/Desktop", "/home/tester/Desktop/"},
        {"/home/tester/Desktop/", "/home/tester/Desktop/"},
        {"/home/tester/Schreibtisch//", "/home/tester/Schreibtisch/"},
        {"/", "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        TestWindow test;
        test.desktop.desktopLocation = c.desktop;
        EXPECT_EQ(test.Load().Text3()->text(), c.shown);
        EXPECT_EQ(test.settings.GetSetting(setting::kOutputFolder, "never written"), c.shown);
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

TEST(Form1StartupTest, AnEmptiedCharacterListStaysEmpty) {
    TestWindow test;
    {
        Form1& form = test.Load();
        while (form.ListView2()->Count() > 0) {
            form.ListView2()->Remove(1);
        }
        form.close();
    }
    EXPECT_EQ(test.settings.GetSetting(setting::kListView2, "never written"), "");
    TestWindow next;
    next.WriteSettings(ReadBytes(test.SettingsPath()));
    EXPECT_EQ(next.Load().ListView2()->Count(), 0);
}

TEST(Form1StartupTest, TheStoredOptionsSelectTheSaveOption) {
    const struct {
        const char* option1; // nullptr: never written
        const char* option2;
        bool selected1;
        bool selected2;
        QStringList reports;
    } cases[] = {
        {nullptr, nullptr, true, false, {}},
        {"True", "False", true, false, {}},
        {"False", "True", false, true, {}},
        // The second option is applied last, and the two form one group.
        {"True", "True", false, true, {}},
        {"False", "False", false, false, {}},
        {"false", "TRUE", false, true, {}},
        {"1", "0", true, false, {}},
        {"-1", nullptr, true, false, {}},
        {"0", nullptr, false, false, {}},
        // A word that is no boolean is reported; the option keeps the state it had.
        {"maybe",
         nullptr,
         true,
         false,
         {ExpectedReport(
             "Type mismatch: the setting \"Option1\" holds \"maybe\", which is neither True, False nor "
             "a number.",
             kLoad, 116)}},
        {"False",
         "Yes",
         false,
         false,
         {ExpectedReport(
             "Type mismatch: the setting \"Option2\" holds \"Yes\", which is neither True, False nor a "
             "number.",
             kLoad, 118)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option1 ? c.option1 : "-") + " / " + (c.option2 ? c.option2 : "-"));
        TestWindow test;
        std::string content = "[Brantlewick]\n";
        if (c.option1 != nullptr) {
            content += std::string("Option1=") + c.option1 + "\n";
        }
        if (c.option2 != nullptr) {
            content += std::string("Option2=") + c.option2 + "\n";
        }
        test.WriteSettings(content);
        Form1& form = test.Load();
        EXPECT_EQ(form.Option1()->isChecked(), c.selected1);
        EXPECT_EQ(form.Option2()->isChecked(), c.selected2);
        EXPECT_EQ(form.Frame2()->isEnabled(), c.selected1);
        EXPECT_EQ(test.ErrorReports(), c.reports);
        // Reading the options writes nothing back to them.
        EXPECT_EQ(test.settings.GetSetting(setting::kOption1, "unchanged"),
                  c.option1 ? c.option1 : "unchanged");
        EXPECT_EQ(test.settings.GetSetting(setting::kOption2, "unchanged"),
                  c.option2 ? c.option2 : "unchanged");
    }
}

TEST(Form1StartupTest, TheWebSiteOpensOnlyWhenTheDrawIsSeven) {
    const struct {
        int draw;
        QStringList opened;
    } cases[] = {
        {7, {"https://brantlewick.example/"}}, {1, {}}, {6, {}}, {8, {}}, {100, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.draw);
        TestWindow test;
        test.desktop.draws = {c.draw};
        test.Load();
        EXPECT_EQ(test.desktop.drawCount, 1);
        EXPECT_EQ(test.desktop.openedAddresses, c.opened);
        EXPECT_TRUE(test.desktop.messages.empty());
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
    EXPECT_TRUE(form.Option1()->isChecked());
    EXPECT_EQ(form.ListView2()->Count(), 3);
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

// Every read and write at start-up fails on these files; each failing step is reported, the window
// still opens and closes, and the file is not touched.
TEST(Form1StartupTest, AnUnusableSettingsFileIsReportedAndLeftAsItIs) {
    const struct {
        const char* name;
        std::string content; // empty: a folder where the file should be
        QString description;
    } cases[] = {
        {"garbage",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0garbage\n",
                     18),
         "The settings file %1 is damaged at line 1; it is left as it is and the program's settings are "
         "neither "
         "read from it nor saved."},
        {"truncated", "[Other]\nsize=12\n[Brantlewick]\nText1=3\nOpti",
         "The settings file %1 is damaged at line 5; it is left as it is and the program's settings are "
         "neither "
         "read from it nor saved."},
        {"unreadable", "", "Cannot read the settings file %1: it is a folder."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow test;
        if (c.content.empty()) {
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(test.SettingsPath())));
        } else {
            test.WriteSettings(c.content);
        }
        const QString description = c.description.arg(QString::fromStdString(test.SettingsPath()));
        Form1& form = test.Load();
        EXPECT_EQ(
            test.ErrorReports(),
            (QStringList{ExpectedReport(description, kLoad, 112), ExpectedReport(description, kLoad, 114),
                         ExpectedReport(description, kLoad, 116), ExpectedReport(description, kLoad, 118),
                         ExpectedReport(description, kLoad, 124)}));
        EXPECT_EQ(form.windowTitle(), "Brantlewick");
        EXPECT_TRUE(form.Option1()->isChecked());
        EXPECT_EQ(form.ListView2()->headerItem()->text(0), "Sentence Ending Characters");

        test.desktop.messages.clear();
        form.close();
        EXPECT_EQ(test.ErrorReports(), (QStringList{ExpectedReport(description, kQueryUnload, 100)}));
        EXPECT_EQ(test.desktop.endProgramCount, 1);
        if (!c.content.empty()) {
            EXPECT_EQ(ReadBytes(test.SettingsPath()), c.content);
        }
    }
}

TEST(Form1StartupTest, AConfigurationFolderThatCannotBeWrittenIsReportedOnceAtClose) {
    TestWindow test;
    testing::WriteBytes(test.dir / "config", "a file in the way");
    Form1& form = test.Load();
    // The boxes' own change handling has no trap: their failed writes are dropped silently.
    EXPECT_TRUE(test.desktop.messages.empty());
    EXPECT_EQ(form.Text1()->text(), "1");
    EXPECT_EQ(form.ListView2()->Count(), 3);
    form.Text1()->setText("5");
    EXPECT_TRUE(test.desktop.messages.empty());
    form.close();
    EXPECT_EQ(
        test.ErrorReports(),
        (QStringList{ExpectedReport(
            QString::fromStdString("Cannot write the settings file " + test.SettingsPath() + ": the folder " +
                                   test.dir.Path() + "/config cannot be created or written."),
            kQueryUnload, 100)}));
    EXPECT_EQ(test.desktop.processEventsCount, 2);
    EXPECT_EQ(test.desktop.endProgramCount, 1);
}

TEST(Form1StartupTest, ExtremelyLongStoredValuesAreNeitherCutNorLost) {
    TestWindow test;
    const std::string longText(40000, '7');
    const std::string longEntry(1000000, '.');
    const std::string content = "[Brantlewick]\nText1=" + longText + "\nOutput%20Folder=/out/" + longText +
                                "\nListView2=" + longEntry + "\n";
    test.WriteSettings(content);
    Form1& form = test.Load();
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{
                  ExpectedReport("The setting \"Text1\" holds 40000 characters, more than the 32767 the "
                                 "box holds; it is left in the settings file and not shown.",
                                 kLoad, 112),
                  ExpectedReport("The setting \"Output Folder\" holds 40005 characters, more than the 32767 "
                                 "the box holds; it is left in the settings file and not shown.",
                                 kLoad, 114)}));
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
