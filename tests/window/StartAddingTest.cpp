// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Adding" on real files in a temporary folder, with the boxes and the yields scripted.
#include "PaintingWait.h"
#include "PlainWords.h"
#include "ProgressBar.h"
#include "Rows.h"
#include "TestWindow.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>
#include <future>
#include <map>

namespace brantlewick::testing {
namespace {

// A loaded window with the folders Docs (the inputs) and Out.
struct RunWindow : TestWindow {
    RunWindow() {
        Load();
        ::mkdir((dir / "Docs").c_str(), 0755);
        ::mkdir((dir / "Out").c_str(), 0755);
    }
    std::string operator/(std::string_view relative) const { return dir / relative; }
    void Inputs(std::initializer_list<std::string> names, const std::string& content = "Hi. Bye! Ok?") {
        for (const std::string& name : names) {
            if (!content.empty()) {
                WriteBytes(dir / ("Docs/" + name), content);
            }
            Files().Append(QString::fromStdString(dir / ("Docs/" + name)));
        }
    }
    // 1: to the folder (relative; "" leaves the box empty), 2: beside the inputs, 0: neither, as stored
    // settings can have it.
    void SaveOption(int option, const std::string& folder = "") {
        for (int i : {1, 2}) {
            auto& button = Get<QRadioButton>(i == 1 ? "Option1" : "Option2");
            button.setAutoExclusive(false);
            button.setChecked(i == option);
            button.setAutoExclusive(true);
        }
        Get<QLineEdit>("Text3").setText(QString::fromStdString(folder.empty() ? folder : dir / folder));
    }
    QString Bar() const {
        const auto& bar = Get<ProgressBar>("ProgressBar1");
        return QString::number(bar.value()) + " " + bar.text() + (Pointer() == Qt::WaitCursor ? " busy" : "");
    }
    // Runs `action` at the pause named by the file the bar shows ("Progress Bar" before the first) and which
    // pause it is while it shows it: 1 as the file comes up, 2 before its old result is deleted, 3 after it.
    void AtPause(const QString& file, int pause, std::function<void()> action) {
        hooks[{file, pause}] = std::move(action);
        desktop.onProcessEvents = [this] {
            if (!form) { // destroyed: nothing of it may be touched
                return;
            }
            const QString shown =
                Get<ProgressBar>("ProgressBar1").text().remove(QStringLiteral("Processing: "));
            pausesWhileShown = shown == std::exchange(lastShown, shown) ? pausesWhileShown + 1 : 1;
            if (const auto hook = hooks.find({shown, pausesWhileShown}); hook != hooks.end()) {
                hook->second();
            }
            everyPause ? everyPause() : void();
        };
    }
    std::map<std::pair<QString, int>, std::function<void()>> hooks;
    std::function<void()> everyPause;
    QString lastShown;
    int pausesWhileShown = 0;

    // The boxes shown; an error report as "!", its description, where and at which line; a condition
    // the user can set right as "~" and its first paragraph.
    QStringList Said() const {
        static const QRegularExpression report(
            "^(.*)\r\nin Moravelle2021/08/31\\.(\\S+) at line (\\d+)\r\rPlease "
            "email screenshot of this message to support@brantlewick\\.example$");
        QStringList said;
        for (const ShownMessage& box : desktop.messages) {
            const bool failure = report.match(box.text).hasMatch();
            EXPECT_EQ(box.caption, failure ? "Application Error" : "Brantlewick");
            if (failure) {
                said.append(QString(box.text).replace(report, "!\\1 @\\2 \\3"));
            } else {
                said.append(box.icon == MessageIcon::Warning ? "~" + box.text.section("\r\r", 0, 0)
                                                             : box.text);
            }
        }
        return said;
    }
    QString Status() const { return Get<QLabel>("StatusLine").toolTip(); }
};

TEST(StartAddingTest, ResultsFollowTheSaveOptionReplaceOldOnesAndNeverTheInput) {
    const std::tuple<int, const char*, bool> cases[] = {
        // the option, its folder, whether the result lies beside
        {2, "Out", true},   {2, "", true},         {1, "Out", false}, {1, "Out/", false},
        {1, "Docs/", true}, {1, "DocsLink", true}, {0, "Out", false}, {0, "Docs", true}};
    FOR_EACH_ROW(row, cases) {
        const auto& [option, folder, beside] = row;
        RunWindow window;
        ::symlink((window / "Docs").c_str(), (window / "DocsLink").c_str());
        window.Inputs({"a.txt"});
        ::chmod((window / "Docs/a.txt").c_str(), 0600); // a private input gives a private result
        const std::string result = window / (beside ? "Docs/a-Pellnor.txt" : "Out/a.txt");
        WriteBytes(result, "old read-only result");
        ::chmod(result.c_str(), 0444);
        window.SaveOption(option, folder);
        window.Click("PushButton2");
        EXPECT_EQ(window.Said(), QStringList{"Done."});
        EXPECT_EQ(ReadBytes(result), "Hi.\r\nBye!\r\nOk?\r\n");
        struct stat info {};
        EXPECT_EQ(::stat(result.c_str(), &info) == 0 ? info.st_mode & 0777 : 0, 0600u);
        EXPECT_EQ(ListNames(window / "Docs") + " " + ListNames(window / "Out"),
                  beside ? "a-Pellnor.txt|a.txt " : "a.txt a.txt");
    }
}

// The sentence choices are stored as the user makes them and reach the run.
TEST(StartAddingTest, TheSentenceChoicesAreStoredAsMadeAndReachTheRun) {
    RunWindow window;
    window.Inputs({"a.txt"}, "Dr. Who\nsaw Abb. Drei. Ok");
    window.SaveOption(2);
    window.Click("Check1");
    QTest::keyClicks(&window.Get("Combo1"), "G");
    QTest::keyClick(&window.Get("Combo2"), Qt::Key_Down);
    EXPECT_EQ(window.Stored(setting::kSentenceMode) + window.Stored(setting::kLanguage) +
                  window.Stored(setting::kLineBreaks),
              "Truedekeep");
    window.Click("PushButton2");
    EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), "Dr. Who\nsaw Abb. Drei.\nOk"); // the file's line end
    // "Automatic", first in the list, is stored as a value of its own.
    QTest::keyClick(&window.Get("Combo1"), Qt::Key_Home);
    EXPECT_EQ(window.Stored(setting::kLanguage), "auto");
}

TEST(StartAddingTest, RefusesInOrderBeforeTouchingAnyFile) {
    const QString noFolder = "Folder does not exist. Please select another folder.";
    const struct {
        const char* name;
        bool files;
        bool characters;
        int option; // the output choice saved
        const char* folder;
        QString message;
    } cases[] = {{"no file and no character", false, false, 1, "Missing", "No files added."},
                 {"no character", true, false, 2, "Out", "No Characters added."},
                 {"a missing folder", true, true, 1, "Missing", noFolder},
                 {"a file for a folder", true, true, 1, "Docs/a.txt", noFolder},
                 {"no folder", true, true, 1, "", noFolder},
                 {"no output choice", true, true, 0, "Missing", noFolder}};
    FOR_EACH_ROW(row, cases) {
        const auto& [name, files, characters, option, folder, message] = row;
        RunWindow window;
        WriteBytes(window / "Docs/a-Pellnor.txt", "old");
        window.Inputs(files ? std::initializer_list<std::string>{"a.txt"}
                            : std::initializer_list<std::string>{});
        if (!characters) {
            window.Characters().clear();
        }
        window.SaveOption(option, folder);
        window.Click("PushButton2");
        window.Click("PushButton2"); // the refusal ended the run: the next click runs and is refused again
        EXPECT_EQ(window.Said(), (QStringList{message, message}));
        EXPECT_EQ(window.desktop.processEventsCount, 0); // no file came up
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt"), "old");
    }
}

// The bar and the hourglass show each file as it comes up, an empty entry too. A failing file is reported
// once under the conversion's own procedure, the run goes on; too many Enters are reported and give none.
// Entries, options, output folder and characters are read as each file comes up, the Enter count once.
TEST(StartAddingTest, FilesComeUpInOrderWithTheChoicesOfTheirTimeAndFailuresAreReported) {
    RunWindow window;
    ::mkdir((window / "Out2").c_str(), 0755);
    ::mkdir((window / "Docs/sub").c_str(), 0755);
    window.Inputs({"a.txt", "b.txt", "c.txt", "d.txt"}, "One, two. Three");
    window.Files().Append("");
    window.Inputs({"missing.txt", "sub", "e.txt", "f.txt"}, "");
    window.SaveOption(1, "Out");
    window.Get<QLineEdit>("Text1").setText("32768");
    window.AtPause("b.txt", 1, [&] {
        window.Get<QLineEdit>("Text1").setText("5");
        window.Characters().Append(",");
        window.SaveOption(2, "Out");
    });
    window.AtPause("b.txt", 2, [&] { // entries 3 and 4 swap places, results go to another folder
        window.Files().SetText(3, QString::fromStdString(window / "Docs/d.txt"));
        window.Files().SetText(4, QString::fromStdString(window / "Docs/c.txt"));
        window.SaveOption(1, "Out2");
    });
    window.AtPause("sub", 2, [&] {
        window.SaveOption(1, ""); // emptied, the box must not send results to the root folder
        window.Files().Remove(9);
    });
    QStringList shown;
    window.everyPause = [&] {
        shown.append(window.Bar());
        shown.removeDuplicates();
    };
    window.desktop.onMessage = [&](const ShownMessage& box) {
        shown.append(box.text.left(5) + " at " + window.Bar());
    };
    window.Click("PushButton2");
    const QString docs = QString::fromStdString(window / "Docs/");
    EXPECT_EQ(
        window.Said(),
        (QStringList{
            "!Overflow @Form1.PushButton2_Click 106", "~missing.txt was not converted: it cannot be found.",
            "~sub was not converted: it is a folder, not a file.",
            "!The output folder box is empty; e.txt is not converted. @Form1.PushButton2_Click 124",
            "!Index out of bounds: the file list no longer has an entry 9. @Form1.PushButton2_Click 114",
            "Done."}));
    EXPECT_EQ(shown.mid(0, 6), (QStringList{"Overf at 0 Progress Bar", "0 Progress Bar",
                                            "11 Processing: a.txt busy", "22 Processing: b.txt busy",
                                            "33 Processing: d.txt busy", "44 Processing: c.txt busy"}));
    EXPECT_TRUE(shown.contains("56 Processing:  busy") && shown.contains("Done. at 0 Progress Bar"));
    EXPECT_EQ(ReadBytes(window / "Out/a.txt"), "One, two.Three");
    for (const char* output : {"Docs/b-Pellnor.txt", "Out2/d.txt", "Out2/c.txt"}) {
        EXPECT_EQ(ReadBytes(window / output), "One,two.Three") << output;
    }
    EXPECT_FALSE(Exists("/e.txt"));
    EXPECT_EQ(window.Status(), "4 files converted, 4 failed \u2014 results in 3 folders");
    EXPECT_FALSE(window.Get("OpenResults").isVisibleTo(window.form.get()));
    window.Click("ShowFailures");
    ASSERT_EQ(window.desktop.failureLists.size(), 1u);
    QStringList failures;
    for (const FileFailure& failure : window.desktop.failureLists.front()) {
        failures.append(failure.file.section('/', -1) + ": " + failure.reason);
    }
    EXPECT_EQ(failures, (QStringList{"missing.txt: cannot open: No such file or directory",
                                     "sub: is a folder, not a file",
                                     "e.txt: The output folder box is empty; e.txt is not converted.",
                                     ": Index out of bounds: the file list no longer has an entry 9."}));
}

// The options are taken as a file comes up, the character list only as its conversion begins: a character
// added at the pause before a's old result is deleted reaches a, one added at the pause before b (the bar
// still on a.txt) or at either of b's reaches b. Taken with the options, one added at the pause before b's
// old result is deleted reached only c.
TEST(StartAddingTest, ACharacterAddedDuringTheRunReachesTheFileWhoseConversionBeginsNext) {
    const std::tuple<const char*, int, const char*> rows[] = {
        {"a.txt", 3, "x.\r\ny, z|x.\r\ny,\r\nz|x.\r\ny,\r\nz"},
        {"b.txt", 1, "x.\r\ny, z|x.\r\ny,\r\nz|x.\r\ny,\r\nz"},
        {"b.txt", 2, "x.\r\ny, z|x.\r\ny,\r\nz|x.\r\ny,\r\nz"},
        {"a.txt", 2, "x.\r\ny,\r\nz|x.\r\ny,\r\nz|x.\r\ny,\r\nz"},
    };
    FOR_EACH_ROW(row, rows) {
        const auto& [file, pause, results] = row;
        RunWindow window;
        window.Inputs({"a.txt", "b.txt", "c.txt"}, "x. y, z");
        window.SaveOption(2);
        window.AtPause(file, pause, [&] { window.Characters().Append(","); });
        window.Click("PushButton2");
        EXPECT_EQ(ReadBytes(window / "Docs/a-Pellnor.txt") + "|" + ReadBytes(window / "Docs/b-Pellnor.txt") +
                      "|" + ReadBytes(window / "Docs/c-Pellnor.txt"),
                  results);
    }
}

// Entries added during the run lie beyond its count but are inputs all the same, added at any pause (at the
// last, before the old result is deleted, such a file was once overwritten). A second click does nothing.
TEST(StartAddingTest, FilesAddedDuringTheRunAreNeitherConvertedNorReplacedAndClicksWait) {
    for (const auto& [shown, pause] : {std::pair{"Progress Bar", 1}, {"a.txt", 1}, {"a.txt", 2}}) {
        RunWindow window;
        WriteBytes(window / "Out/a.txt", "my own a.txt, now in the list");
        window.Inputs({"a.txt"});
        window.SaveOption(1, "Out");
        window.AtPause(shown, pause,
                       [&] { window.Files().Append(QString::fromStdString(window / "Out/a.txt")); });
        window.everyPause = [&] { window.Click("PushButton2"); };
        window.Click("PushButton2");
        EXPECT_EQ(window.Said(), QStringList{"Done."});
        EXPECT_EQ(ReadBytes(window / "Out/a.txt") + ReadBytes(window / "Out/a-Pellnor.txt"),
                  "my own a.txt, now in the listHi.\r\nBye!\r\nOk?\r\n")
            << shown << " " << pause;
    }
}

// Closing the window ends the program; the run stops at the pause where that happened (closing pauses
// twice itself). A window destroyed during a pause is never touched again; gone at any pause before the
// first file is written, that file is not converted.
TEST(StartAddingTest, AWindowClosedOrDestroyedDuringTheRunStopsIt) {
    const struct {
        const char* shown;
        int pause;
        bool destroyed;
        const char* left;
    } rows[] = {
        {"Progress Bar", 1, true, "a.txt|b.txt"},
        {"a.txt", 2, true, "a.txt|b.txt"}, // before a's old result is deleted
        {"a.txt", 3, true, "a-Pellnor.txt|a.txt|b.txt"},
        {"a.txt", 3, false, "a-Pellnor.txt|a.txt|b.txt"},
    };
    FOR_EACH_ROW(row, rows) {
        RunWindow window;
        window.Inputs({"a.txt", "b.txt"});
        window.SaveOption(2);
        window.form->show();
        MainWindow* form = window.form.get();
        QAbstractButton& start = window.Get<QAbstractButton>("PushButton2");
        int pausesBefore = -1;
        window.AtPause(row.shown, row.pause, [&] {
            pausesBefore = window.desktop.processEventsCount;
            row.destroyed ? window.form.reset() : (void)form->close();
        });
        start.click();
        EXPECT_TRUE(window.desktop.messages.empty());
        EXPECT_EQ(ListNames(window / "Docs"), row.left);
        EXPECT_EQ(window.desktop.processEventsCount - pausesBefore, row.destroyed ? 0 : 2);
    }
}

// Closing the window ends the program at once, also in the middle of a run: the temporary files that have
// a name (here finished results waiting while open files ran short) go with it. They used to stay.
TEST(StartAddingTest, TheProgramEndedMidRunLeavesNoTemporaryFile) {
    const TempDir dir;
    QtDesktopServices desktop;
    const auto endMidRun = [&] {
        const rlimit few{64, 64};
        ::setrlimit(RLIMIT_NOFILE, &few);
        std::vector<std::unique_ptr<SafeOutputFile>> waiting;
        for (int i = 0; i < 40; ++i) {
            waiting.push_back(std::make_unique<SafeOutputFile>(dir / std::to_string(i), 0644));
            waiting.back()->Finish();
        }
        if (ListNames(dir.Path()).starts_with(".brantlewick-")) {
            desktop.EndProgram();
        }
    };
    EXPECT_EXIT(endMidRun(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ListNames(dir.Path()), "");
}

// A condition the user can set right is told in plain words, naming the file, what happened and what to
// do, instead of the numbered report that asks for a screenshot; whether it concerns the input or the
// result decides the words. Anything else is a fault of the program and keeps the report.
TEST(StartAddingTest, TheUsersOwnConditionsAreToldInPlainWords) {
    const std::string in = "/d/a.txt";
    const struct {
        std::string path, reason;
        int error;
        const char* told; // the first paragraph, and the last; "" for the report
    } rows[] = {
        {in, "cannot open: No such file or directory", ENOENT,
         "a.txt was not converted: it cannot be found.|It may have been moved, renamed or deleted"},
        {in, "cannot open: Permission denied", EACCES,
         "a.txt was not converted: you may not read it (permission denied).|Check the file's permissions"},
        {in, "is not a regular file (a device, FIFO or socket)", 0,
         "a.txt was not converted: it is not a regular file (a device, FIFO or socket).|Take it off the "
         "list."},
        {in, "not a text file: it holds NUL bytes", 0,
         "a.txt was not converted: it is not a text file it can read (not a text file: it holds NUL "
         "bytes).|Take it off the list."},
        {"/out", "cannot create a file in the folder: Permission denied", EPERM,
         "The result of a.txt cannot be written: you may not write there (permission denied).|Choose an "
         "output folder you may write in"},
        {"/out/a.txt", "cannot write: No space left on device", ENOSPC,
         "The result of a.txt cannot be written: there is no room left on the disk.|Free some space"},
        {"/out/a.txt", "cannot write: Disk quota exceeded", EDQUOT,
         "The result of a.txt cannot be written: there is no room left on the disk.|Free some space"},
        {"/out/a.txt", "cannot create: Read-only file system", EROFS,
         "The result of a.txt cannot be written: the disk it goes to can only be read.|Choose an output"},
        {"/gone/a.txt", "cannot create: No such file or directory", ENOENT,
         "The result of a.txt cannot be written: the folder it goes to cannot be found.|Choose another"},
        {in, "cannot read: Input/output error", EIO, ""},
        {"/out/a.txt", "output already finished", 0, ""},
    };
    FOR_EACH_ROW(row, rows) {
        const std::optional<QString> told =
            PlainWords(EngineError(row.path, row.reason, row.error), QString::fromStdString(in), "/s.ini");
        const QStringList paragraphs = told.value_or("").split("\r\r");
        EXPECT_EQ(told ? paragraphs.front() + "|" +
                             paragraphs.back().left(QString(row.told).section('|', 1).size())
                       : "",
                  row.told);
        EXPECT_EQ(told ? paragraphs.value(1) : QString::fromStdString(row.path),
                  QString::fromStdString(row.path));
    }
    EXPECT_EQ(PlainWords(std::runtime_error("Overflow"), "/d/a.txt", "/s.ini"), std::nullopt);
}

// A box keeps the run waiting while it is open: the bar shows the file it is about, not the one it was
// last painted for.
TEST(StartAddingTest, TheBarIsPaintedWithItsCurrentFileBeforeABoxOpens) {
    RunWindow window;
    window.Inputs({"a.txt"});
    window.Inputs({"missing.txt"}, "");
    window.SaveOption(2);
    window.form->show();
    window.desktop.onProcessEvents = [] { QCoreApplication::processEvents(); };
    struct PaintSpy : QObject {
        std::function<void()> painted;
        bool eventFilter(QObject*, QEvent* event) override {
            event->type() == QEvent::Paint ? painted() : void();
            return false;
        }
    } spy;
    QString lastPainted;
    QStringList paintedWhenShown;
    spy.painted = [&] { lastPainted = window.Bar(); };
    window.Get("ProgressBar1").installEventFilter(&spy);
    window.desktop.onMessage = [&](const ShownMessage&) { paintedWhenShown.append(lastPainted); };
    window.Click("PushButton2");
    EXPECT_EQ(paintedWhenShown, (QStringList{"100 Processing: missing.txt busy", "0 Progress Bar"}));
}

// A large file is converted off the window's thread: half-way, the window is repainted but a click is
// dropped; the click is taken again once the conversion is over, and its failure comes back.
TEST(StartAddingTest, ALongConversionLeavesTheWindowPaintedButTakesNoClick) {
    struct Button : QPushButton {
        int paints = 0, clicks = 0;
        void paintEvent(QPaintEvent* event) override { ++paints, QPushButton::paintEvent(event); }
        void mousePressEvent(QMouseEvent* event) override { ++clicks, QPushButton::mousePressEvent(event); }
    } button;
    button.show();
    std::promise<void> halfWay, goOn;
    int ticks = 0;
    const auto tick = [&] {
        if (++ticks == 1) {
            halfWay.get_future().wait();
            button.update();
            QTest::mouseClick(&button, Qt::LeftButton);
        } else if (ticks == 2) {
            goOn.set_value();
        }
    };
    const auto convert = [&] {
        halfWay.set_value(), goOn.get_future().wait_for(std::chrono::seconds(10)),
            throw std::runtime_error("full");
    };
    EXPECT_THROW(RunWhilePainting(convert, tick), std::runtime_error);
    EXPECT_EQ(button.clicks, 0);
    EXPECT_GT(button.paints, 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.clicks, 1);
}

} // namespace
} // namespace brantlewick::testing
