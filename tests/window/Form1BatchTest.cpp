// "Start Adding" on real files in a temporary folder, with the desktop scripted (dialogs and event yields).
#include "Form1.h"
#include "ListView.h"
#include "ProgressBar.h"
#include "ScriptedDesktopServices.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
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
    // Writes each file into Docs and lists it.
    void Inputs(std::initializer_list<std::pair<std::string, std::string>> files) {
        for (const auto& [name, content] : files) {
            WriteBytes(dir / ("Docs/" + name), content);
            Add("Docs/" + name);
        }
    }
    void SaveOption(Save save, const std::string& folder = {}) {
        Form1::SetOptionValue(form->Option1(), save == Save::ToFolder);
        Form1::SetOptionValue(form->Option2(), save == Save::Beside);
        form->Text3()->setText(QString::fromStdString(folder));
    }
    // Runs `step` at the given yield of the run (counted from 1).
    void At(int yield, std::function<void()> step) {
        desktop.onProcessEvents = [this, yield, step] {
            if (desktop.processEventsCount == yield) {
                step();
            }
        };
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
// The error report for `text` at `line` of `where` ("Form1.PushButton2_Click").
Shown Report(const std::string& text, const std::string& where, int line) {
    return {text + "\r\nin Moravelle2021/08/31." + where + " at line " + std::to_string(line) +
                "\r\rPlease email screenshot of this message to support@brantlewick.example",
            "Application Error", MessageIcon::Warning, MessageButtons::Ok};
}
const std::vector<Shown> kDone = {Ordinary("Done.")};

void ExpectAtRest(const Form1& form) {
    EXPECT_FALSE(form.RunInProgress());
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
    EXPECT_EQ(form.ProgressBar1()->value(), 0);
    EXPECT_EQ(form.ProgressBar1()->text(), QStringLiteral("Progress Bar"));
}

TEST(Form1BatchTest, OutputsFollowTheSaveOptionAndNeverReplaceTheInput) {
    const struct {
        Save save;
        const char* folder; // relative to the temporary folder; "" leaves the box empty
        bool beside;        // the output lands beside the input with the suffix, else in Out
    } cases[] = {
        {Save::Beside, "Out", true},     {Save::Beside, "", true},
        {Save::ToFolder, "Out", false},  {Save::ToFolder, "Out/", false},
        {Save::ToFolder, "Docs/", true}, {Save::ToFolder, "DocsLink", true}, // the input's folder by a link
        {Save::Neither, "Out", false},   {Save::Neither, "Docs", true},      // both clear: the checked folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("into \"") + c.folder + "\"");
        BatchWindow window;
        ASSERT_EQ(::symlink((window / "Docs").c_str(), (window / "DocsLink").c_str()), 0);
        window.Inputs({{"a.txt", kHello}});
        window.SaveOption(c.save, *c.folder != '\0' ? window / c.folder : std::string());
        window.Run();

        EXPECT_EQ(Messages(window.desktop), kDone);
        EXPECT_EQ(ReadBytes(window / (c.beside ? "Docs/a-Pellnor.txt" : "Out/a.txt")), kHelloOneBreak);
        EXPECT_EQ(ReadBytes(window / "Docs/a.txt"), kHello);
        EXPECT_EQ(window.Names("Docs"), c.beside ? "a-Pellnor.txt|a.txt" : "a.txt");
        EXPECT_EQ(window.Names("Out"), c.beside ? "" : "a.txt");
        ExpectAtRest(*window.form);
    }
}

TEST(Form1BatchTest, ConvertsEveryFileInOrderWithProgressAndBusyPointer) {
    BatchWindow window;
    window.Inputs({{"a.txt", "One. Two"}});
    window.form->ListView1()->Append(QString());
    window.Inputs({{"b b.txt", "Title\r\nOne. Two\r\n"}, {"c.txt", ""}});
    window.SaveOption(Save::ToFolder, window / "Out");
    using Seen = std::tuple<int, std::string, PointerState>;
    std::vector<Seen> seen;
    const auto look = [&] {
        seen.emplace_back(window.form->ProgressBar1()->value(),
                          window.form->ProgressBar1()->text().toStdString(), window.form->MousePointer());
    };
    window.desktop.onProcessEvents = look;
    window.desktop.onMessage = [&](const testing::ShownMessage&) {
        look(); // "Done." comes with the bar and the pointer already at rest, the run still on
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
        {0, "Progress Bar", PointerState::Default},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Messages(window.desktop), kDone);
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
    window.Inputs({{"a.txt", kHello}, {"big.txt", std::string(1 << 20, 'x')}});
    window.SaveOption(Save::Beside);
    std::vector<bool> painting;
    window.desktop.onProcessEvents = [&] {
        painting.push_back(window.form->ProgressBar1()->updatesEnabled());
    };
    window.Run();

    ASSERT_EQ(painting.size(), 6u);
    EXPECT_TRUE(painting[1]); // the second yield of each file is the one that shows it
    EXPECT_FALSE(painting[2]);
    EXPECT_TRUE(painting[4]);
    EXPECT_TRUE(window.form->ProgressBar1()->updatesEnabled());
    EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt|big-Pellnor.txt|big.txt");
}

// Runs `painted` whenever `widget` is painted.
class PaintSpy : public QObject {
public:
    PaintSpy(QWidget* widget, std::function<void()> painted) : painted_(std::move(painted)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted_();
        }
        return false;
    }

private:
    std::function<void()> painted_;
};

// A box keeps the run waiting for as long as it is open; the bar must show the file it is about, not the
// one it was last painted for.
TEST(Form1BatchTest, TheBarIsPaintedWithItsCurrentFileBeforeABoxOpens) {
    BatchWindow window;
    window.Inputs({{"a.txt", kHello}});
    window.Add("Docs/missing.txt");
    window.SaveOption(Save::Beside);
    ProgressBar* bar = window.form->ProgressBar1();
    window.form->show();
    // The run's yields paint as the real ones do.
    window.desktop.onProcessEvents = [] { QCoreApplication::processEvents(); };
    QString painted;
    PaintSpy spy(bar, [&] { painted = bar->text() + " " + QString::number(bar->value()); });
    QStringList paintedWhenShown;
    window.desktop.onMessage = [&](const testing::ShownMessage&) { paintedWhenShown.append(painted); };
    window.Run();
    EXPECT_EQ(paintedWhenShown, (QStringList{"Processing: missing.txt 100", "Progress Bar 0"}));
}

TEST(Form1BatchTest, RefusesInOrderWithoutTouchingAnyFile) {
    const char* noFolder = "Folder does not exist. Please select another folder.";
    const struct {
        bool files;
        bool characters;
        Save save;
        const char* folder; // relative; nullptr for a missing folder
        const char* message;
    } cases[] = {
        {false, false, Save::ToFolder, nullptr, "No files added."},
        {true, false, Save::ToFolder, nullptr, "No Characters added."},
        {true, false, Save::Beside, "Out", "No Characters added."},
        {true, true, Save::ToFolder, nullptr, noFolder},
        {true, true, Save::ToFolder, "Docs/a.txt", noFolder},
        {true, true, Save::ToFolder, "", noFolder},
        {true, true, Save::Neither, nullptr, noFolder},
    };
    for (const auto& c : cases) {
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
        window.SaveOption(c.save, c.folder == nullptr ? window / "Missing"
                                  : *c.folder == '\0' ? std::string()
                                                      : window / c.folder);
        window.Run();

        EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary(c.message)});
        EXPECT_EQ(window.desktop.processEventsCount, 0);
        EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt");
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), "old output");
        EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "old output");
        ExpectAtRest(*window.form);
    }
}

// The box is read through the engine's number rules (tested there); an overflow is reported and the run
// goes on with no breaks at all.
TEST(Form1BatchTest, TheEnterCountComesFromTheNumberBox) {
    const std::pair<const char*, const char*> cases[] = {
        {"3", "A.\r\n\r\n\r\nB!\r\n\r\n\r\nC"}, {"0.4", "A.B!C"},   {"abc", "A.\r\nB!\r\nC"},
        {" 2 ", "A.\r\n\r\nB!\r\n\r\nC"},       {"32768", nullptr}, {"1E10", nullptr},
    };
    for (const auto& [text, output] : cases) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        BatchWindow window;
        window.Inputs({{"a.txt", "A. B! C"}});
        window.SaveOption(Save::Beside);
        window.form->Text1()->setText(QString::fromUtf8(text));
        window.Run();
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), output != nullptr ? output : "A.B!C");
        const std::vector<Shown> overflow = {Report("Overflow", "Form1.PushButton2_Click", 106),
                                             Ordinary("Done.")};
        EXPECT_EQ(Messages(window.desktop), output != nullptr ? kDone : overflow);
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
    window.At(10, [&] { ::rmdir((window / "Out").c_str()); }); // before the last file comes up
    window.Run();

    const auto failure = [&](const std::string& path, const std::string& reason) {
        return Report("\"" + window / path + "\": " + reason, "AddRemove.InsertEnterInFile", 100);
    };
    const std::vector<Shown> expected = {
        failure("Docs/missing.txt", "cannot open: No such file or directory"),
        failure("Docs/sub", "is a folder, not a file"),
        failure("Docs/pipe", "is not a regular file (a device, FIFO or socket)"),
        failure("Out/a.txt", "cannot create the output file: No such file or directory"),
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
    const std::string text = "One, two. Three";
    window.Inputs({{"a.txt", text}, {"b.txt", text}, {"c.txt", text}, {"d.txt", text}, {"e.txt", text}});
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
        Report("Index out of bounds: the file list no longer has an entry 5.", "Form1.PushButton2_Click",
               114),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "One, two.\r\nThree");
    for (const char* output : {"Docs/b-Pellnor.txt", "Out2/d.txt", "Out2/c.txt"}) {
        EXPECT_EQ(ReadBytes(window / output), "One,\r\ntwo.\r\nThree") << output;
    }
    EXPECT_EQ(window.Names("Out"), "a.txt");
    EXPECT_EQ(window.Names("Out2"), "c.txt|d.txt");
    EXPECT_EQ(window.Names("Docs"), "a.txt|b-Pellnor.txt|b.txt|c.txt|d.txt|e.txt");
    // The second yield of each file shows the file in hand; the fifth position is gone before it shows.
    ASSERT_EQ(processing.size(), 13u);
    const std::vector<std::pair<int, std::string>> shown = {processing[1], processing[4], processing[7],
                                                            processing[10], processing[12]};
    const std::vector<std::pair<int, std::string>> expectedShown = {
        {20, "Processing: a.txt"},  {40, "Processing: b.txt"},  {60, "Processing: d.txt"},
        {100, "Processing: c.txt"}, {100, "Processing: c.txt"},
    };
    EXPECT_EQ(shown, expectedShown);
    ExpectAtRest(form);
}

// Emptied during the run, the output folder box must not send results to the root folder.
TEST(Form1BatchTest, AnOutputFolderBoxEmptiedDuringTheRunConvertsNothingMore) {
    BatchWindow window;
    // A name of its own, so that a stray write to the root folder can be found and removed.
    const std::string name = std::filesystem::path(window.dir.Path()).filename().string() + ".txt";
    window.Inputs({{"a.txt", kHello}, {name, kHello}});
    window.SaveOption(Save::ToFolder, window / "Out");
    window.At(4, [&] { window.form->Text3()->clear(); });
    window.Run();
    const bool strayInRoot = testing::Exists("/" + name);
    ::unlink(("/" + name).c_str());

    const std::vector<Shown> expected = {
        Report("The output folder box is empty; " + name + " is not converted.", "Form1.PushButton2_Click",
               124),
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
    WriteBytes(window / "Out/a.txt", "my own a.txt, now in the list");
    window.Inputs({{"a.txt", kHello}});
    window.SaveOption(Save::ToFolder, window / "Out");
    window.At(1, [&] { window.Add("Out/a.txt"); });
    window.Run();

    EXPECT_EQ(Messages(window.desktop), kDone);
    EXPECT_EQ(window.Names("Out"), "a-Pellnor.txt|a.txt");
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "my own a.txt, now in the list");
    EXPECT_EQ(ReadBytes(window / "Out/a-Pellnor.txt"), kHelloOneBreak);
    EXPECT_EQ(window.desktop.processEventsCount, 3);
}

TEST(Form1BatchTest, ASecondClickDuringTheRunDoesNothing) {
    BatchWindow window;
    window.Inputs({{"a.txt", kHello}, {"b.txt", "B. b"}});
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
    EXPECT_EQ(Messages(window.desktop), kDone);
    EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), kHelloOneBreak);
    EXPECT_EQ(ReadBytes(window / "Docs/b-Pellnor.txt"), "B.\r\nb");
    ExpectAtRest(*window.form);
}

// Each entry is read when its turn comes, and a read-only result of an earlier run is replaced.
TEST(Form1BatchTest, AFileListedTwiceIsConvertedTwiceAndAReadOnlyOutputIsReplaced) {
    BatchWindow window;
    WriteBytes(window / "Out/a.txt", "old, read-only output");
    ::chmod((window / "Out/a.txt").c_str(), 0444);
    window.Inputs({{"a.txt", kHello}});
    window.Add("Docs/a.txt");
    window.SaveOption(Save::ToFolder, window / "Out");
    std::string afterFirst;
    window.At(4, [&] {
        afterFirst = ReadBytes(window / "Out/a.txt");
        ::chmod((window / "Out/a.txt").c_str(), 0444);
        WriteBytes(window / "Docs/a.txt", "Edited. Meanwhile");
    });
    window.Run();

    EXPECT_EQ(afterFirst, kHelloOneBreak);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "Edited.\r\nMeanwhile");
    EXPECT_EQ(window.Names("Out"), "a.txt");
    EXPECT_EQ(Messages(window.desktop), kDone);
}

// Closing the window ends the program; the run stops at the yield where that happened. A window destroyed
// during a yield (as a window system may do) is never touched again; gone at any yield of the first file,
// that file is not converted either.
TEST(Form1BatchTest, AWindowClosedOrDestroyedDuringTheRunStopsIt) {
    for (int at : {1, 2, 3, 4, -4}) {
        SCOPED_TRACE(at);
        BatchWindow window;
        window.Inputs({{"a.txt", kHello}, {"b.txt", kHello}});
        window.SaveOption(Save::Beside);
        window.form->show();
        Form1* form = window.form.get();
        window.At(std::abs(at), [&] {
            if (at > 0) {
                window.form.reset();
            } else if (window.desktop.endProgramCount == 0) {
                form->close();
            }
        });
        form->PushButton2_Click();

        EXPECT_TRUE(window.desktop.messages.empty());
        EXPECT_EQ(window.Names("Docs"), at < 4 && at > 0 ? "a.txt|b.txt" : "a-Pellnor.txt|a.txt|b.txt");
        if (at > 0) {
            EXPECT_EQ(window.form, nullptr);
            EXPECT_EQ(window.desktop.processEventsCount, at);
        } else {
            EXPECT_EQ(window.desktop.endProgramCount, 1);
            EXPECT_FALSE(window.form->RunInProgress());
        }
    }
}

} // namespace
} // namespace brantlewick
