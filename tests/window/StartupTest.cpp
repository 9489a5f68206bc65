// The window's start-up and shutdown against a settings file in a temporary folder, bad files included,
// and the window as designed: its captions and the order of the Tab key.
#include "TestWindow.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>

namespace brantlewick::testing {
namespace {

// On an empty store the window shows its defaults and writes back only the two boxes; the desktop folder
// gets exactly one trailing separator. The web site opens once in a hundred starts: when the draw is 7.
TEST(StartupTest, FirstStartShowsTheDefaultsAndStoresTheTwoBoxes) {
    const struct {
        QString desktop;
        std::string shown;
        int draw;
        QStringList opened;
    } rows[] = {{"/home/tester/Desktop", "/home/tester/Desktop/", 7, {"https://brantlewick.example/"}},
                {"/home/tester/Schreibtisch//", "/home/tester/Schreibtisch/", 8, {}},
                {"/", "/", 6, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        TestWindow test;
        test.desktop.desktopLocation = row.desktop;
        test.desktop.draws = {row.draw};
        Form1& form = test.Load();
        EXPECT_EQ(form.windowTitle(), "Brantlewick");
        EXPECT_EQ(test.Get<QLineEdit>("Text1").text(), "1");
        EXPECT_EQ(test.Get<QLineEdit>("Text3").text(), QString::fromStdString(row.shown));
        EXPECT_TRUE(test.Get<QRadioButton>("Option1").isChecked() && test.Get("Frame2").isEnabled());
        EXPECT_EQ(test.Characters().Texts(), (QStringList{".", "!", "?"}));
        EXPECT_EQ(test.desktop.openedAddresses, row.opened);
        EXPECT_TRUE(test.desktop.messages.empty());
        EXPECT_EQ(ReadBytes(test.SettingsPath()),
                  "[Brantlewick]\nOutput%20Folder=" + row.shown + "\nText1=1\n");
    }
}

TEST(StartupTest, TheWindowShowsItsCaptionsAndTabsThroughTheControlsInOrder) {
    TestWindow test;
    test.Show();
    const std::pair<const char*, const char*> captions[] = {
        {"ListView1", "File(s)"},
        {"PushButton1", "Add File(s)"},
        {"PushButton3", "Add All File(s) In Folder"},
        {"PushButton4", "Clear List"},
        {"PushButton5", "Load Sample/Example Files"},
        {"ListView2", "Sentence Ending Characters"},
        {"PushButton9", "Add Characters"},
        {"PushButton10", "Delete Selected"},
        {"PushButton11", "Reset To Default"},
        {"PushButton12", "Help"},
        {"ProgressBar1", "Progress Bar"},
        {"Frame3", "Enter Option"},
        {"Label1", "Number Of Enters To Add:"},
        {"Frame5", "Save Option"},
        {"Option1", "Save results to this folder:"},
        {"Option2", "Save results in folder of original file"},
        {"PushButton2", "Start Adding"},
        {"PushButton7", "..."}};
    for (const auto& [name, caption] : captions) {
        const QWidget& control = test.Get(name);
        const auto* list = dynamic_cast<const ListView*>(&control);
        const auto* frame = qobject_cast<const QGroupBox*>(&control);
        EXPECT_EQ(list    ? list->headerItem()->text(0)
                  : frame ? frame->title()
                          : control.property("text").toString(),
                  caption);
    }
    EXPECT_EQ(test.Files().toolTip(),
              "Drag and drop files here. Double-click item to remove it. Move | line to "
              "right and out of window to reveal full names.");
    QStringList chain;
    QWidget* widget = &test.Files();
    for (int i = 0; i < 12; ++i, widget = widget->nextInFocusChain()) {
        while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty()) {
            widget = widget->nextInFocusChain();
        }
        chain.append(widget->objectName());
    }
    EXPECT_EQ(chain.join(' '),
              "ListView1 PushButton1 PushButton3 PushButton4 PushButton5 ListView2 PushButton9 "
              "PushButton10 PushButton11 PushButton12 Text1 Option1");
}

TEST(StartupTest, StoredValuesAreShownUnchecked) {
    const QString mismatch =
        "Type mismatch: the setting \"%1\" holds \"%2\", which is neither True, False nor a number.";
    const struct {
        const char* stored;
        bool selected1, selected2;
        QStringList reports;
    } cases[] = {
        {"Option1=False\nOption2=True\n", false, true, {}},
        // The second option is applied last, and the two form one group.
        {"Option1=True\nOption2=True\n", false, true, {}},
        {"Option1=False\nOption2=False\n", false, false, {}},
        {"Option1=-1\n", true, false, {}},
        {"Option1=0\n", false, false, {}},
        // A word that is no boolean is reported; the option keeps the state it had.
        {"Option1=maybe\n", true, false, {Report(mismatch.arg("Option1", "maybe"), "Form1.Form_Load", 116)}},
        {"Option1=False\nOption2=Yes\n",
         false,
         false,
         {Report(mismatch.arg("Option2", "Yes"), "Form1.Form_Load", 118)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        TestWindow test;
        test.WriteSettings(
            std::string(
                "[Brantlewick]\nText1=abc\nOutput%20Folder=\nListView2=...\\\\\\\\\\\\ ?\\\\\\\\\\\\ \n") +
            c.stored);
        test.Load();
        EXPECT_EQ(test.Get<QRadioButton>("Option1").isChecked(), c.selected1);
        EXPECT_EQ(test.Get<QRadioButton>("Option2").isChecked(), c.selected2);
        EXPECT_EQ(test.Get("Frame2").isEnabled(), c.selected1);
        EXPECT_EQ(test.ErrorReports(), c.reports);
        // An emptied box stays empty, a blank piece of the list is dropped.
        EXPECT_EQ(test.Get<QLineEdit>("Text1").text() + test.Get<QLineEdit>("Text3").text(), "abc");
        EXPECT_EQ(test.Characters().Texts(), (QStringList{"...", " ?"}));
        EXPECT_EQ(test.Stored(setting::kOption2), c.selected2 ? "True" : test.Stored(setting::kOption2));
    }
}

TEST(StartupTest, WithoutADesktopTheOutputFolderIsLeftAlone) {
    TestWindow test;
    test.desktop.desktopLocation = "";
    test.WriteSettings("[Brantlewick]\nOutput%20Folder=/stored/\n");
    test.Load();
    EXPECT_EQ(test.ErrorReports(),
              QStringList{
                  Report("Invalid argument: the desktop folder cannot be located.", "Form1.Form_Load", 114)});
    EXPECT_EQ(test.Get<QLineEdit>("Text3").text(), "");
    EXPECT_EQ(test.Stored(setting::kOutputFolder), "/stored/");
}

// Every read and write at start-up fails on these files; each failing step is reported, the window still
// opens and closes, and the file is not touched.
TEST(StartupTest, AnUnusableSettingsFileIsReportedAndLeftAsItIs) {
    TestWindow test;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(test.SettingsPath())));
    const QString failure =
        QString::fromStdString("Cannot read the settings file " + test.SettingsPath() + ": it is a folder.");
    test.Load();
    QStringList expected;
    for (int line : {112, 114, 116, 118, 124}) {
        expected.append(Report(failure, "Form1.Form_Load", line));
    }
    EXPECT_EQ(test.ErrorReports(), expected);
    EXPECT_EQ(test.Characters().headerItem()->text(0), "Sentence Ending Characters");
    test.desktop.messages.clear();
    test.form->close();
    EXPECT_EQ(test.ErrorReports(), QStringList{Report(failure, "Form1.Form_QueryUnload", 100)});
    EXPECT_EQ(test.desktop.endProgramCount, 1);
}

TEST(StartupTest, ExtremelyLongStoredValuesAreNeitherCutNorLost) {
    TestWindow test;
    const std::string longText(40000, '7');
    const std::string longEntry(1000000, '.');
    test.WriteSettings("[Brantlewick]\nText1=" + longText + "\nListView2=" + longEntry + "\n");
    test.Load();
    EXPECT_EQ(
        test.ErrorReports(),
        QStringList{Report("The setting \"Text1\" holds 40000 characters, more than the 32767 the box holds; "
                           "it is left in the settings file and not shown.",
                           "Form1.Form_Load", 112)});
    EXPECT_EQ(test.Get<QLineEdit>("Text1").text(), "");
    test.form->close();
    EXPECT_EQ(test.Stored(setting::kText1), QString::fromStdString(longText));
    EXPECT_EQ(test.Stored(setting::kListView2), QString::fromStdString(longEntry));
}

// Closing saves the character list, lets events run twice and ends the program.
TEST(StartupTest, ClosingSavesTheCharacterListThenLetsEventsRunTwiceAndEnds) {
    TestWindow test;
    test.Show();
    test.Characters().Append("...");
    test.Characters().Append(" ?");
    QStringList storedWhileProcessing;
    test.desktop.onProcessEvents = [&] { storedWhileProcessing.append(test.Stored(setting::kListView2)); };
    EXPECT_TRUE(test.form->close());
    const QString saved = ".\\\\\\!\\\\\\?\\\\\\...\\\\\\ ?";
    EXPECT_EQ(storedWhileProcessing, (QStringList{saved, saved}));
    EXPECT_EQ(test.desktop.endProgramCount, 1);
    EXPECT_TRUE(test.desktop.messages.empty());
}

// The boxes store every keystroke and the options every click; a store that refuses them is told once a
// session with its reason, and the window goes on working.
TEST(StartupTest, SettingsThatCannotBeSavedAreToldOnceAndTheWindowGoesOn) {
    TestWindow test;
    WriteBytes(test.dir / "config", "a file in the way");
    const QString reason =
        QString::fromStdString("Cannot write the settings file " + test.SettingsPath() + ": the folder " +
                               test.dir.Path() + "/config cannot be created or written.");
    test.Load();
    test.Get<QLineEdit>("Text1").setText("5");
    test.Get<QLineEdit>("Text3").setText("/out/");
    test.Click("Option2");
    EXPECT_EQ(test.desktop.MessageTexts(),
              QStringList{"Your settings cannot be saved for the next start.\r\r" + reason +
                          "\r\rThe program goes on working with the choices you make now."});
    EXPECT_FALSE(test.Get("Frame2").isEnabled());
    test.desktop.messages.clear();
    test.form->close();
    EXPECT_EQ(test.ErrorReports(), QStringList{Report(reason, "Form1.Form_QueryUnload", 100)});
}

} // namespace
} // namespace brantlewick::testing
