// "Start Adding" on real files in a temporary folder, with the desktop scripted (dialogs and event yields).
#include "Form1.h"
#include "ListView.h"
#include "ProgressBar.h"
#include "ScriptedDesktopServices.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace brantlewick {
namespace {

using testing::ReadBytes;
using testing::ScriptedDesktopServices;
using testing::TempDir;
using testing::WriteBytes;

const std::string kMailLine = "\r\rPlease email screenshot of this message to support@brantlewick.example";
const std::string kHello = "Hi. Bye! Ok?";
const std::string kHelloOneBreak = "Hi.\r\nBye!\r\nOk?\r\n";

enum class Save { ToFolder, Beside, Neither };

// A started window whose desktop folder, settings and program folder all lie in one temporary folder,
// with the sub-folders Docs (the inputs) and Out (an output folder).
struct BatchWindow {
    TempDir dir;
    SettingsStore store{QString::fromStdString(dir / "Kestrova.ini")};
    ScriptedDesktopServices desktop;
    std::unique_ptr<Form1> form;

    BatchWindow() {
        desktop.desktopLocation = QString::fromStdString(dir.Path());
        form = std::make_unique<Form1>(store, desktop, QString::fromStdString(dir.Path()));
        form->Form_Load();
        ::mkdir((dir / "Docs").c_str(), 0755);
        ::mkdir((dir / "Out").c_str(), 0755);
    }

    std::string operator/(std::string_view relative) const { return dir / relative; }
    void Add(std::string_view relative) { form->ListView1()->Append(QString::fromStdString(dir / relative)); }
    void SaveOption(Save save, const std::string& folder = {}) {
        Form1::SetOptionValue(form->Option1(), save == Save::ToFolder);
        Form1::SetOptionValue(form->Option2(), save == Save::Beside);
        form->Text3()->setText(QString::fromStdString(folder));
    }
    void Run() { form->PushButton2_Click(); }
    std::string Names(std::string_view relative) const { return testing::ListNames(dir / relative); }
};

// The message boxes shown, as (text, caption, icon, buttons) with the text as UTF-8 for readable failures.
using Shown = std::tuple<std::string, std::string, MessageIcon, MessageButtons>;
std::vector<Shown> Messages(const ScriptedDesktopServices& desktop) {
    std::vector<Shown> shown;
    for (const auto& message : desktop.messages) {
        shown.emplace_back(message.text.toStdString(), message.caption.toStdString(), message.icon,
                           message.buttons);
    }
    return shown;
}
Shown Ordinary(const std::string& text) {
    return {text, "Brantlewick", MessageIcon::None, MessageButtons::Ok};
}
Shown ErrorReport(const std::string& text) {
    return {text, "Application Error", MessageIcon::Warning, MessageButtons::Ok};
}

void ExpectAtRest(const Form1& form) {
    EXPECT_FALSE(form.RunInProgress());
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->text(), QStringLiteral("Progress Bar"));
}

TEST(Form1BatchTest, OutputNamesFollowTheSaveOptionAndNeverNameTheInput) {
    struct Case {
        const char* input;
        Save save;
        const char* folder; // relative to the temporary folder; "" leaves the box empty
        const char* expected;
        const char* docs; // what Docs and Out hold afterwards
        const char* out;
    };
    const Case cases[] = {
        {"Docs/a.txt", Save::Beside, "Out", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/a.txt", Save::Beside, "", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/a.txt", Save::ToFolder, "Out", "Out/a.txt", "a.txt", "a.txt"},
        {"Docs/a.txt", Save::ToFolder, "Out/", "Out/a.txt", "a.txt", "a.txt"},
        {"Docs/a.txt", Save::ToFolder, "Docs/", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/archive.tar.gz", Save::Beside, "Out", "Docs/archive.tar-Pellnor.gz",
         "archive.tar-Pellnor.gz|archive.tar.gz", ""},
        {"Docs/README", Save::Beside, "Out", "Docs/README-Pellnor.", "README|README-Pellnor.", ""},
        // The input's own folder spelled another way is still the input's folder.
        {"Docs/a.txt", Save::ToFolder, "Docs/./", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/a.txt", Save::ToFolder, "Out/../Docs", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/a.txt", Save::ToFolder, "DocsLink", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        {"Docs/a.txt", Save::ToFolder, "/Docs//", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
        // Stored settings can leave both options clear: the checked folder is used.
        {"Docs/a.txt", Save::Neither, "Out", "Out/a.txt", "a.txt", "a.txt"},
        {"Docs/a.txt", Save::Neither, "Docs", "Docs/a-Pellnor.txt", "a-Pellnor.txt|a.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " into \"" + c.folder + "\"");
        BatchWindow window;
        ASSERT_EQ(::symlink((window / "Docs").c_str(), (window / "DocsLink").c_str()), 0);
        WriteBytes(window / c.input, kHello);
        window.Add(c.input);
        window.SaveOption(c.save, *c.folder != '\0' ? window.dir.Path() + "/" + c.folder : std::string());
        window.Run();

        EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
        EXPECT_EQ(ReadBytes(window / c.expected), kHelloOneBreak);
        EXPECT_EQ(ReadBytes(window / c.input), kHello);
        EXPECT_EQ(window.Names("Docs"), c.docs);
        EXPECT_EQ(window.Names("Out"), c.out);
        ExpectAtRest(*window.form);
    }
}

TEST(Form1BatchTest, ConvertsEveryFileInOrderWithProgressAndBusyPointer) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", "One. Two");
    WriteBytes(window / "Docs/b b.txt", "Title\r\nOne. Two\r\n");
    WriteBytes(window / "Docs/c.txt", "");
    window.Add("Docs/a.txt");
    window.form->ListView1()->Append(QString());
    window.Add("Docs/b b.txt");
    window.Add("Docs/c.txt");
    window.SaveOption(Save::ToFolder, window / "Out");

    using Seen = std::tuple<int, std::string, PointerState>;
    std::vector<Seen> seen;
    window.desktop.onProcessEvents = [&] {
        seen.emplace_back(window.form->ProgressBar1()->value(),
                          window.form->ProgressBar1()->text().toStdString(), window.form->MousePointer());
    };
    std::vector<Seen> atDone;
    window.desktop.onMessage = [&](const testing::ShownMessage&) {
        atDone.emplace_back(window.form->ProgressBar1()->value(),
                            window.form->ProgressBar1()->text().toStdString(), window.form->MousePointer());
        EXPECT_TRUE(window.form->RunInProgress());
    };
    window.Run();

    const auto busy = PointerState::Hourglass;
    const std::vector<Seen> expected = {
        {0, "Progress Bar", PointerState::Default},
        {25, "Processing: a.txt", busy},
        {25, "Processing: a.txt", busy},
        {25, "Processing: a.txt", busy},
        {50, "Processing: ", busy},
        {50, "Processing: ", busy},
        {75, "Processing: b b.txt", busy},
        {75, "Processing: b b.txt", busy},
        {75, "Processing: b b.txt", busy},
        {100, "Processing: c.txt", busy},
        {100, "Processing: c.txt", busy},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(atDone, (std::vector<Seen>{{0, "Progress Bar", PointerState::Default}}));
    EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
    EXPECT_EQ(window.Names("Out"), "a.txt|b b.txt|c.txt");
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "One.\r\nTwo");
    EXPECT_EQ(ReadBytes(window / "Out/b b.txt"), "TitleOne.\r\nTwo");
    EXPECT_EQ(ReadBytes(window / "Out/c.txt"), "");
    ExpectAtRest(*window.form);
}

// The bar is not repainted for every small file (painting costs more than converting one), but it is
// before the first file and before a large one, whose name must be on show while it converts, and it is
// left to paint normally after the run.
TEST(Form1BatchTest, TheBarIsRepaintedBeforeTheFirstAndBeforeALargeFile) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / "Docs/big.txt", std::string(1 << 20, 'x'));
    window.Add("Docs/a.txt");
    window.Add("Docs/big.txt");
    window.SaveOption(Save::Beside);
    std::vector<bool> painting;
    window.desktop.onProcessEvents = [&] {
        painting.push_back(window.form->ProgressBar1()->updatesEnabled());
    };
    window.Run();

    ASSERT_EQ(painting.size(), 6u);
    EXPECT_TRUE(painting[1]); // the second yield of each file is the one that shows it
    EXPECT_TRUE(painting[4]);
    EXPECT_FALSE(painting[2]);
    EXPECT_TRUE(window.form->ProgressBar1()->updatesEnabled());
    EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt|big-Pellnor.txt|big.txt");
}

TEST(Form1BatchTest, RefusesInOrderWithoutTouchingAnyFile) {
    struct Case {
        bool files;
        bool characters;
        Save save;
        const char* folder; // relative; nullptr for a missing folder
        const char* message;
    };
    const char* noFolder = "Folder does not exist. Please select another folder.";
    const Case cases[] = {
        {false, false, Save::ToFolder, nullptr, "No files added."},
        {true, false, Save::ToFolder, nullptr, "No Characters added."},
        {true, false, Save::Beside, "Out", "No Characters added."},
        {true, true, Save::ToFolder, nullptr, noFolder},
        {true, true, Save::ToFolder, "Docs/a.txt", noFolder},
        {true, true, Save::ToFolder, "", noFolder},
        {true, true, Save::Neither, nullptr, noFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        BatchWindow window;
        WriteBytes(window / "Docs/a.txt", kHello);
        WriteBytes(window / "Docs/a-Pellnor.txt", "old output");
        WriteBytes(window / "Out/a.txt", "old output");
        if (c.files) {
            window.Add("Docs/a.txt");
        }
        if (!c.characters) {
            window.form->ListView2()->clear();
        }
        const std::string folder = c.folder == nullptr ? window / "Missing"
                                   : *c.folder == '\0' ? std::string()
                                                       : window.dir.Path() + "/" + c.folder;
        window.SaveOption(c.save, folder);
        window.Run();

        EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary(c.message)});
        EXPECT_EQ(window.desktop.processEventsCount, 0);
        EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt");
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), "old output");
        EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "old output");
        ExpectAtRest(*window.form);
    }
}

TEST(Form1BatchTest, EnterCountComesFromTheNumberBox) {
    const std::pair<const char*, int> cases[] = {
        {"3", 3},   {"2.5", 2}, {"3.5", 4},   {"0.4", 0}, {"0", 1},   {"-2", 1},
        {"abc", 1}, {"", 1},    {"12abc", 1}, {" 2 ", 2}, {"&H3", 3}, {"1E1", 10},
    };
    for (const auto& [text, breaks] : cases) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        BatchWindow window;
        WriteBytes(window / "Docs/a.txt", "A. B");
        window.Add("Docs/a.txt");
        window.SaveOption(Save::Beside);
        window.form->Text1()->setText(QString::fromUtf8(text));
        window.Run();
        std::string expected = "A.";
        for (int i = 0; i < breaks; ++i) {
            expected += "\r\n";
        }
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), expected + "B");
        EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
    }
}

TEST(Form1BatchTest, AnOverflowingCountIsReportedAndTheRunGoesOnWithNoBreaks) {
    for (const char* text : {"32768", "32767.5", "1E10"}) {
        SCOPED_TRACE(text);
        BatchWindow window;
        WriteBytes(window / "Docs/a.txt", "A. B! C");
        window.Add("Docs/a.txt");
        window.SaveOption(Save::Beside);
        window.form->Text1()->setText(QString::fromUtf8(text));
        window.Run();
        const std::vector<Shown> expected = {
            ErrorReport("Overflow\r\nin Moravelle2021/08/31.Form1.PushButton2_Click at line 106" + kMailLine),
            Ordinary("Done."),
        };
        EXPECT_EQ(Messages(window.desktop), expected);
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), "A.B!C");
        ExpectAtRest(*window.form);
    }
}

TEST(Form1BatchTest, EachFailingFileIsReportedOnceAndTheRunEndsWithDone) {
    BatchWindow window;
    ::mkdir((window / "Docs/sub").c_str(), 0755);
    ASSERT_EQ(::mkfifo((window / "Docs/pipe").c_str(), 0644), 0);
    WriteBytes(window / "Docs/a.txt", kHello);
    for (const char* name : {"Docs/missing.txt", "Docs/sub", "Docs/pipe", "Docs/a.txt"}) {
        window.Add(name);
    }
    window.SaveOption(Save::ToFolder, window / "Out");
    // The output folder disappears before the last file comes up.
    window.desktop.onProcessEvents = [&] {
        if (window.desktop.processEventsCount == 10) {
            ::rmdir((window / "Out").c_str());
        }
    };
    window.Run();

    const std::string where =
        "\r\nin Moravelle2021/08/31.AddRemove.InsertEnterInFile at line 100" + kMailLine;
    const std::vector<Shown> expected = {
        ErrorReport("\"" + window / "Docs/missing.txt" + "\": cannot open: No such file or directory" +
                    where),
        ErrorReport("\"" + window / "Docs/sub" + "\": is a folder, not a file" + where),
        ErrorReport("\"" + window / "Docs/pipe" + "\": is not a regular file (a device, FIFO or socket)" +
                    where),
        ErrorReport("\"" + window / "Out/a.txt" +
                    "\": cannot create the output file: No such file or directory" + where),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_EQ(window.Names("Docs"), "a.txt|pipe|sub");
    EXPECT_EQ(window.Names(""), "Docs|Kestrova.ini");
    ExpectAtRest(*window.form);
}

// Options, output folder and character list are read as each file comes up, the entries by position, and
// the number of Enters once.
TEST(Form1BatchTest, ChangesDuringTheRunApplyFromTheNextFile) {
    BatchWindow window;
    ::mkdir((window / "Out2").c_str(), 0755);
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        WriteBytes(window / ("Docs/" + std::string(name) + ".txt"), "One, two. Three");
        window.Add("Docs/" + std::string(name) + ".txt");
    }
    window.SaveOption(Save::ToFolder, window / "Out");
    Form1& form = *window.form;
    std::vector<std::pair<int, std::string>> processing;
    window.desktop.onProcessEvents = [&] {
        switch (window.desktop.processEventsCount) {
        case 4: // file 2 comes up
            form.Text1()->setText(QStringLiteral("5"));
            form.ListView2()->Append(QStringLiteral(","));
            window.SaveOption(Save::Beside, window / "Out");
            break;
        case 7: // file 3: entries 3 and 4 swap places, results go to another folder
            form.ListView1()->SetText(3, QString::fromStdString(window / "Docs/d.txt"));
            form.ListView1()->SetText(4, QString::fromStdString(window / "Docs/c.txt"));
            window.SaveOption(Save::ToFolder, window / "Out2");
            break;
        case 10: // file 4: the last entry goes
            form.ListView1()->Remove(5);
            break;
        default:
            break;
        }
        processing.emplace_back(form.ProgressBar1()->value(), form.ProgressBar1()->text().toStdString());
    };
    window.Run();

    const std::vector<Shown> expected = {
        ErrorReport("Index out of bounds: the file list no longer has an entry 5.\r\nin "
                    "Moravelle2021/08/31.Form1.PushButton2_Click at line 114" +
                    kMailLine),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "One, two.\r\nThree");
    EXPECT_EQ(ReadBytes(window / "Docs/b-Pellnor.txt"), "One,\r\ntwo.\r\nThree");
    EXPECT_EQ(ReadBytes(window / "Out2/d.txt"), "One,\r\ntwo.\r\nThree");
    EXPECT_EQ(ReadBytes(window / "Out2/c.txt"), "One,\r\ntwo.\r\nThree");
    EXPECT_EQ(window.Names("Out"), "a.txt");
    EXPECT_EQ(window.Names("Out2"), "c.txt|d.txt");
    EXPECT_EQ(window.Names("Docs"), "a.txt|b-Pellnor.txt|b.txt|c.txt|d.txt|e.txt");
    // The second yield of each file shows the file in hand; the fifth position is gone before it shows.
    const std::vector<std::pair<int, std::string>> shown = {processing[1], processing[4], processing[7],
                                                            processing[10], processing.back()};
    const std::vector<std::pair<int, std::string>> expectedShown = {
        {20, "Processing: a.txt"},  {40, "Processing: b.txt"},  {60, "Processing: d.txt"},
        {100, "Processing: c.txt"}, {100, "Processing: c.txt"},
    };
    EXPECT_EQ(shown, expectedShown);
    EXPECT_EQ(processing.size(), 13u);
    ExpectAtRest(form);
}

// Emptied during the run, the output folder box must not send results to the root folder.
TEST(Form1BatchTest, AnOutputFolderBoxEmptiedDuringTheRunConvertsNothingMore) {
    BatchWindow window;
    // A name of its own, so that a stray write to the root folder can be found and removed.
    const std::string name = std::filesystem::path(window.dir.Path()).filename().string() + ".txt";
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / ("Docs/" + name), kHello);
    window.Add("Docs/a.txt");
    window.Add("Docs/" + name);
    window.SaveOption(Save::ToFolder, window / "Out");
    window.desktop.onProcessEvents = [&] {
        if (window.desktop.processEventsCount == 4) {
            window.form->Text3()->clear();
        }
    };
    window.Run();
    const bool strayInRoot = testing::Exists("/" + name);
    ::unlink(("/" + name).c_str());

    const std::vector<Shown> expected = {
        ErrorReport("The output folder box is empty; " + name +
                    " is not converted.\r\nin Moravelle2021/08/31.Form1.PushButton2_Click at line 124" +
                    kMailLine),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_FALSE(strayInRoot);
    EXPECT_EQ(window.Names("Out"), "a.txt");
    ExpectAtRest(*window.form);
}

// Entries added during the run lie beyond the count taken at its start and wait for the next run; but
// they are inputs all the same, and no output may replace one of them.
TEST(Form1BatchTest, FilesAddedDuringTheRunAreNotConvertedAndNotReplaced) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / "Out/a.txt", "my own a.txt, now in the list");
    window.Add("Docs/a.txt");
    window.SaveOption(Save::ToFolder, window / "Out");
    window.desktop.onProcessEvents = [&] {
        if (window.desktop.processEventsCount == 1) {
            window.Add("Out/a.txt");
        }
    };
    window.Run();

    EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
    EXPECT_EQ(window.Names("Out"), "a-Pellnor.txt|a.txt");
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "my own a.txt, now in the list");
    EXPECT_EQ(ReadBytes(window / "Out/a-Pellnor.txt"), kHelloOneBreak);
    EXPECT_EQ(window.desktop.processEventsCount, 3);
}

TEST(Form1BatchTest, ASecondClickDuringTheRunDoesNothing) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / "Docs/b.txt", "B. b");
    window.Add("Docs/a.txt");
    window.Add("Docs/b.txt");
    window.SaveOption(Save::Beside);
    int clicks = 0;
    window.desktop.onProcessEvents = [&] {
        if (clicks < 3) {
            ++clicks;
            window.form->PushButton2_Click();
            window.form->PushButton2()->click();
        }
    };
    window.Run();

    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(window.desktop.processEventsCount, 6); // three yields for each of the two files, no more
    EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
    EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), kHelloOneBreak);
    EXPECT_EQ(ReadBytes(window / "Docs/b-Pellnor.txt"), "B.\r\nb");
    ExpectAtRest(*window.form);
}

TEST(Form1BatchTest, AFileListedTwiceIsConvertedTwiceAndAReadOnlyOutputIsReplaced) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / "Out/a.txt", "old, read-only output");
    ::chmod((window / "Out/a.txt").c_str(), 0444);
    window.Add("Docs/a.txt");
    window.Add("Docs/a.txt");
    window.SaveOption(Save::ToFolder, window / "Out");
    std::string afterFirst;
    window.desktop.onProcessEvents = [&] {
        if (window.desktop.processEventsCount == 4) {
            afterFirst = ReadBytes(window / "Out/a.txt");
            ::chmod((window / "Out/a.txt").c_str(), 0444);
            WriteBytes(window / "Docs/a.txt", "Edited. Meanwhile");
        }
    };
    window.Run();

    EXPECT_EQ(afterFirst, kHelloOneBreak);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "Edited.\r\nMeanwhile");
    EXPECT_EQ(window.Names("Out"), "a.txt");
    EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary("Done.")});
}

// Closing the window ends the program; the run stops at the yield where that happened.
TEST(Form1BatchTest, ClosingTheWindowStopsTheRun) {
    BatchWindow window;
    WriteBytes(window / "Docs/a.txt", kHello);
    WriteBytes(window / "Docs/b.txt", kHello);
    window.Add("Docs/a.txt");
    window.Add("Docs/b.txt");
    window.SaveOption(Save::Beside);
    window.form->show();
    bool closed = false;
    window.desktop.onProcessEvents = [&] {
        if (window.desktop.processEventsCount == 4 && !closed) {
            closed = true;
            window.form->close();
        }
    };
    window.Run();

    EXPECT_TRUE(closed);
    EXPECT_EQ(window.desktop.endProgramCount, 1);
    EXPECT_TRUE(window.desktop.messages.empty());
    EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt|b.txt");
    EXPECT_FALSE(window.form->RunInProgress());
}

// A window destroyed during a yield (as a window system may do) is never touched again.
TEST(Form1BatchTest, AWindowDestroyedDuringTheRunIsLeftAlone) {
    for (int at : {1, 2, 3, 4}) {
        SCOPED_TRACE(at);
        BatchWindow window;
        WriteBytes(window / "Docs/a.txt", kHello);
        WriteBytes(window / "Docs/b.txt", kHello);
        window.Add("Docs/a.txt");
        window.Add("Docs/b.txt");
        window.SaveOption(Save::Beside);
        Form1* form = window.form.get();
        window.desktop.onProcessEvents = [&] {
            if (window.desktop.processEventsCount == at) {
                window.form.reset();
            }
        };
        form->PushButton2_Click();

        EXPECT_EQ(window.form, nullptr);
        EXPECT_EQ(window.desktop.processEventsCount, at);
        EXPECT_TRUE(window.desktop.messages.empty());
        // Gone at any yield of the first file, that file is not converted either.
        EXPECT_EQ(window.Names("Docs"), at < 4 ? "a.txt|b.txt" : "a-Pellnor.txt|a.txt|b.txt");
    }
}

} // namespace
} // namespace brantlewick
