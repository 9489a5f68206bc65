// "Start Adding" on real files in a temporary folder, with the desktop scripted (boxes and yields).
#include "ProgressBar.h"
#include "TestWindow.h"

#include <QLineEdit>
#include <QRadioButton>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

namespace brantlewick::testing {
namespace {

const std::string kHello = "Hi. Bye! Ok?";
const std::string kHelloOneBreak = "Hi.\r\nBye!\r\nOk?\r\n";
enum class Save { ToFolder, Beside, Neither };

// A loaded window with the sub-folders Docs (the inputs) and Out (an output folder).
struct RunWindow : TestWindow {
    RunWindow() {
        Load();
        ::mkdir((dir / "Docs").c_str(), 0755);
        ::mkdir((dir / "Out").c_str(), 0755);
    }
    std::string operator/(std::string_view relative) const { return dir / relative; }
    void Add(std::string_view relative) { Files().Append(QString::fromStdString(dir / relative)); }
    void Inputs(std::initializer_list<std::pair<std::string, std::string>> files) {
        for (const auto& [name, content] : files) {
            WriteBytes(dir / ("Docs/" + name), content);
            Add("Docs/" + name);
        }
    }
    // As stored settings can have it: selecting one option clears the other, and both may be clear.
    void SaveOption(Save save, const std::string& folder = {}) {
        for (auto [name, on] :
             {std::pair{"Option1", save == Save::ToFolder}, {"Option2", save == Save::Beside}}) {
            auto& option = Get<QRadioButton>(name);
            option.setAutoExclusive(on);
            option.setChecked(on);
            option.setAutoExclusive(true);
        }
        Get<QLineEdit>("Text3").setText(QString::fromStdString(folder));
    }
    void At(int yield, std::function<void()> step) {
        desktop.onProcessEvents = [this, yield, step] {
            if (desktop.processEventsCount == yield) {
                step();
            }
        };
    }
    void Run() { Click("PushButton2"); }
    std::string Names(std::string_view relative) const { return ListNames(dir / relative); }
    ProgressBar& Bar() const { return Get<ProgressBar>("ProgressBar1"); }
    void ExpectAtRest() const {
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(Bar().value(), 0);
        EXPECT_EQ(Bar().text(), QStringLiteral("Progress Bar"));
    }
};

// The boxes shown as (text, caption, icon), the text as UTF-8 for readable failures.
using Shown = std::tuple<std::string, std::string, MessageIcon>;
std::vector<Shown> Messages(const ScriptedDesktop& desktop) {
    std::vector<Shown> shown;
    for (const auto& message : desktop.messages) {
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
        shown.emplace_back(message.text.toStdString(), message.caption.toStdString(), message.icon);
    }
    return shown;
}
Shown Ordinary(const std::string& text) {
    return {text, "Brantlewick", MessageIcon::None};
}
Shown Failed(const std::string& text, const char* where, int line) {
    return {Report(QString::fromStdString(text), where, line).toStdString(), "Application Error",
            MessageIcon::Warning};
}
const std::vector<Shown> kDone = {Ordinary("Done.")};

TEST(StartAddingTest, ResultsFollowTheSaveOptionAndNeverReplaceTheInput) {
    const struct {
        Save save;
        const char* folder; // relative; "" leaves the box empty
        bool beside;        // the result lands beside the input with the suffix, else in Out
    } cases[] = {
        {Save::Beside, "Out", true},     {Save::Beside, "", true},
        {Save::ToFolder, "Out", false},  {Save::ToFolder, "Out/", false},
        {Save::ToFolder, "Docs/", true}, {Save::ToFolder, "DocsLink", true}, // the input's folder by a link
        {Save::Neither, "Out", false},   {Save::Neither, "Docs", true},      // both clear: the checked folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("into \"") + c.folder + "\"");
        RunWindow window;
        ASSERT_EQ(::symlink((window / "Docs").c_str(), (window / "DocsLink").c_str()), 0);
        window.Inputs({{"a.txt", kHello}});
        window.SaveOption(c.save, *c.folder != '\0' ? window / c.folder : std::string());
        window.Run();
        EXPECT_EQ(Messages(window.desktop), kDone);
        EXPECT_EQ(ReadBytes(window / (c.beside ? "Docs/a-Pellnor.txt" : "Out/a.txt")), kHelloOneBreak);
        EXPECT_EQ(window.Names("Docs"), c.beside ? "a-Pellnor.txt|a.txt" : "a.txt");
        EXPECT_EQ(window.Names("Out"), c.beside ? "" : "a.txt");
        window.ExpectAtRest();
    }
}

// Three yields per converted file, two for an empty entry; the bar follows the files, the hourglass shows
// from the first file until the run's end, and "Done." comes with everything at rest.
TEST(StartAddingTest, ConvertsEveryFileInOrderWithProgressAndHourglass) {
    RunWindow window;
    window.Inputs({{"a.txt", "One. Two"}});
    window.Files().Append(QString());
    window.Inputs({{"b b.txt", "Title\r\nOne. Two\r\n"}, {"c.txt", ""}});
    window.SaveOption(Save::ToFolder, window / "Out");
    std::vector<std::tuple<int, std::string, Qt::CursorShape>> seen;
    const auto look = [&] {
        const std::tuple now{window.Bar().value(), window.Bar().text().toStdString(),
                             window.form->cursor().shape()};
        if (seen.empty() || seen.back() != now) {
            seen.push_back(now);
        }
    };
    window.desktop.onProcessEvents = look;
    window.desktop.onMessage = [&](const ShownMessage&) { look(); };
    window.Run();
    const std::vector<std::tuple<int, std::string, Qt::CursorShape>> expected = {
        {0, "Progress Bar", Qt::ArrowCursor},       {25, "Processing: a.txt", Qt::WaitCursor},
        {50, "Processing: ", Qt::WaitCursor},       {75, "Processing: b b.txt", Qt::WaitCursor},
        {100, "Processing: c.txt", Qt::WaitCursor}, {0, "Progress Bar", Qt::ArrowCursor}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(window.desktop.processEventsCount, 11);
    EXPECT_EQ(Messages(window.desktop), kDone);
    EXPECT_EQ(window.Names("Out"), "a.txt|b b.txt|c.txt");
    EXPECT_EQ(ReadBytes(window / "Out/b b.txt"), "TitleOne.\r\nTwo");
    EXPECT_EQ(ReadBytes(window / "Out/c.txt"), "");
}

TEST(StartAddingTest, RefusesInOrderBeforeTouchingAnyFile) {
    const char* noFolder = "Folder does not exist. Please select another folder.";
    const struct {
        bool files, characters;
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
        RunWindow window;
        WriteBytes(window / "Docs/a.txt", kHello);
        WriteBytes(window / "Docs/a-Pellnor.txt", "old");
        WriteBytes(window / "Out/a.txt", "old");
        if (c.files) {
            window.Add("Docs/a.txt");
        }
        if (!c.characters) {
            window.Characters().clear();
        }
        window.SaveOption(c.save, c.folder == nullptr ? window / "Missing"
                                  : *c.folder == '\0' ? std::string()
                                                      : window / c.folder);
        window.Run();
        EXPECT_EQ(Messages(window.desktop), std::vector<Shown>{Ordinary(c.message)});
        EXPECT_EQ(window.desktop.processEventsCount, 0);
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt") + ReadBytes(window / "Out/a.txt"), "oldold");
        window.ExpectAtRest();
        // The refusal ended the run: the next click runs.
        window.desktop.messages.clear();
        window.Click("PushButton2");
        EXPECT_EQ(window.desktop.messages.size(), 1u);
    }
}

// The box is read by the engine's number rules (tested there); an overflow is reported and the run goes on
// with no breaks at all.
TEST(StartAddingTest, TheEnterCountComesFromTheNumberBox) {
    const std::pair<const char*, const char*> cases[] = {
        {"3", "A.\r\n\r\n\r\nB!\r\n\r\n\r\nC"}, {"0.4", "A.B!C"},   {"abc", "A.\r\nB!\r\nC"},
        {" 2 ", "A.\r\n\r\nB!\r\n\r\nC"},       {"32768", nullptr},
    };
    for (const auto& [text, output] : cases) {
        SCOPED_TRACE(text);
        RunWindow window;
        window.Inputs({{"a.txt", "A. B! C"}});
        window.SaveOption(Save::Beside);
        window.Get<QLineEdit>("Text1").setText(QString::fromUtf8(text));
        window.Run();
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), output != nullptr ? output : "A.B!C");
        const std::vector<Shown> overflow = {Failed("Overflow", "Form1.PushButton2_Click", 106), kDone[0]};
        EXPECT_EQ(Messages(window.desktop), output != nullptr ? kDone : overflow);
    }
}

TEST(StartAddingTest, EachFailingFileIsReportedOnceAndTheRunEndsWithDone) {
    RunWindow window;
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
        return Failed("\"" + window / path + "\": " + reason, "AddRemove.InsertEnterInFile", 100);
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
    window.ExpectAtRest();
}

// Options, output folder and character list are read as each file comes up, the entries by position, and
// the number of Enters once. A file's first yield is the 3 (n - 1) + 1st.
TEST(StartAddingTest, ChangesDuringTheRunApplyFromTheNextFile) {
    RunWindow window;
    ::mkdir((window / "Out2").c_str(), 0755);
    const std::string text = "One, two. Three";
    window.Inputs({{"a.txt", text}, {"b.txt", text}, {"c.txt", text}, {"d.txt", text}, {"e.txt", text}});
    window.SaveOption(Save::ToFolder, window / "Out");
    QStringList shown;
    window.desktop.onProcessEvents = [&] {
        switch (window.desktop.processEventsCount) {
        case 4:
            window.Get<QLineEdit>("Text1").setText(QStringLiteral("5"));
            window.Characters().Append(QStringLiteral(","));
            window.SaveOption(Save::Beside, window / "Out");
            break;
        case 7: // entries 3 and 4 swap places, results go to another folder
            window.Files().SetText(3, QString::fromStdString(window / "Docs/d.txt"));
            window.Files().SetText(4, QString::fromStdString(window / "Docs/c.txt"));
            window.SaveOption(Save::ToFolder, window / "Out2");
            break;
        case 10:
            window.Files().Remove(5);
            break;
        default:
            shown.append(QString::number(window.Bar().value()) + " " + window.Bar().text());
        }
    };
    window.Run();
    const std::vector<Shown> expected = {
        Failed("Index out of bounds: the file list no longer has an entry 5.", "Form1.PushButton2_Click",
               114),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "One, two.\r\nThree");
    for (const char* output : {"Docs/b-Pellnor.txt", "Out2/d.txt", "Out2/c.txt"}) {
        EXPECT_EQ(ReadBytes(window / output), "One,\r\ntwo.\r\nThree") << output;
    }
    EXPECT_EQ(window.Names("Out") + " " + window.Names("Out2"), "a.txt c.txt|d.txt");
    EXPECT_TRUE(shown.contains("60 Processing: d.txt") && shown.contains("100 Processing: c.txt"));
}

// Emptied during the run, the output folder box must not send results to the root folder.
TEST(StartAddingTest, AnOutputFolderBoxEmptiedDuringTheRunConvertsNothingMore) {
    RunWindow window;
    const std::string name = std::filesystem::path(window.dir.Path()).filename().string() + ".txt";
    window.Inputs({{"a.txt", kHello}, {name, kHello}});
    window.SaveOption(Save::ToFolder, window / "Out");
    window.At(4, [&] { window.Get<QLineEdit>("Text3").clear(); });
    window.Run();
    const bool strayInRoot = Exists("/" + name);
    ::unlink(("/" + name).c_str());
    const std::vector<Shown> expected = {
        Failed("The output folder box is empty; " + name + " is not converted.", "Form1.PushButton2_Click",
               124),
        Ordinary("Done."),
    };
    EXPECT_EQ(Messages(window.desktop), expected);
    EXPECT_FALSE(strayInRoot);
}

// Entries added during the run lie beyond the count taken at its start; but they are inputs all the same,
// also when added just before the old result is deleted (the third yield).
TEST(StartAddingTest, FilesAddedDuringTheRunAreNeitherConvertedNorReplaced) {
    RunWindow window;
    WriteBytes(window / "Out/a.txt", "my own a.txt, now in the list");
    window.Inputs({{"a.txt", kHello}});
    window.SaveOption(Save::ToFolder, window / "Out");
    window.At(3, [&] { window.Add("Out/a.txt"); });
    window.Run();
    EXPECT_EQ(Messages(window.desktop), kDone);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "my own a.txt, now in the list");
    EXPECT_EQ(ReadBytes(window / "Out/a-Pellnor.txt"), kHelloOneBreak);
    EXPECT_EQ(window.desktop.processEventsCount, 3);
}

TEST(StartAddingTest, ASecondClickDuringTheRunDoesNothing) {
    RunWindow window;
    window.Inputs({{"a.txt", kHello}, {"b.txt", "B. b"}});
    window.SaveOption(Save::Beside);
    window.desktop.onProcessEvents = [&] { window.Run(); };
    window.Run();
    EXPECT_EQ(window.desktop.processEventsCount, 6);
    EXPECT_EQ(Messages(window.desktop), kDone);
    EXPECT_EQ(window.Names("Docs"), "a-Pellnor.txt|a.txt|b-Pellnor.txt|b.txt");
}

// Each entry is read when its turn comes, and a read-only result of an earlier run is replaced.
TEST(StartAddingTest, AFileListedTwiceIsConvertedTwiceAndAReadOnlyResultIsReplaced) {
    RunWindow window;
    WriteBytes(window / "Out/a.txt", "old, read-only result");
    ::chmod((window / "Out/a.txt").c_str(), 0444);
    window.Inputs({{"a.txt", kHello}});
    window.Add("Docs/a.txt");
    window.SaveOption(Save::ToFolder, window / "Out");
    std::string afterFirst;
    window.At(4, [&] {
        afterFirst = ReadBytes(window / "Out/a.txt");
        WriteBytes(window / "Docs/a.txt", "Edited. Meanwhile");
    });
    window.Run();
    EXPECT_EQ(afterFirst, kHelloOneBreak);
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "Edited.\r\nMeanwhile");
    EXPECT_EQ(window.Names("Out"), "a.txt");
}

// Closing the window ends the program; the run stops at the yield where that happened. A window destroyed
// during a yield is never touched again; gone at any yield of the first file, that file is not converted.
TEST(StartAddingTest, AWindowClosedOrDestroyedDuringTheRunStopsIt) {
    for (int at : {1, 2, 3, 4, -4}) {
        SCOPED_TRACE(at);
        RunWindow window;
        window.Inputs({{"a.txt", kHello}, {"b.txt", kHello}});
        window.SaveOption(Save::Beside);
        window.form->show();
        Form1* form = window.form.get();
        QAbstractButton& start = window.Get<QAbstractButton>("PushButton2");
        window.At(std::abs(at), [&] {
            if (at > 0) {
                window.form.reset();
            } else if (window.desktop.endProgramCount == 0) {
                form->close();
            }
        });
        start.click();
        EXPECT_TRUE(window.desktop.messages.empty());
        EXPECT_EQ(window.Names("Docs"), at < 4 && at > 0 ? "a.txt|b.txt" : "a-Pellnor.txt|a.txt|b.txt");
        EXPECT_EQ(window.desktop.processEventsCount, at > 0 ? at : 6);
    }
}

// A box keeps the run waiting for as long as it is open: the bar shows the file it is about, not the one
// it was last painted for.
TEST(StartAddingTest, TheBarIsPaintedWithItsCurrentFileBeforeABoxOpens) {
    RunWindow window;
    window.Inputs({{"a.txt", kHello}});
    window.Add("Docs/missing.txt");
    window.SaveOption(Save::Beside);
    window.form->show();
    window.desktop.onProcessEvents = [] { QCoreApplication::processEvents(); };
    struct PaintSpy : QObject {
        QString painted;
        bool eventFilter(QObject* bar, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                auto* shown = static_cast<ProgressBar*>(bar);
                painted = shown->text() + " " + QString::number(shown->value());
            }
            return false;
        }
    } spy;
    window.Bar().installEventFilter(&spy);
    QStringList paintedWhenShown;
    window.desktop.onMessage = [&](const ShownMessage&) { paintedWhenShown.append(spy.painted); };
    window.Run();
    EXPECT_EQ(paintedWhenShown, (QStringList{"Processing: missing.txt 100", "Progress Bar 0"}));
}

} // namespace
} // namespace brantlewick::testing
