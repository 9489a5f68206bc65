// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run on real files through a scripted front end: output names, protection of inputs and
// results at every pause, failures by step, and stopping.
#include "Batch.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>

namespace brantlewick {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Folder = std::optional<std::string>;
using Texts = std::vector<std::string>;

// A front end whose list and settings the test holds; `atPause` runs at each pause (counted from 1).
struct ScriptedFrontEnd final : BatchListener {
    Texts list;
    Folder folder;
    std::function<void(int pause)> atPause = [](int) {};
    std::function<FileSettings(const std::string&)> settings;
    int pauses = 0;
    int inputsAsked = 0;
    int inputsFailAt = 0; // the call of Inputs() that throws; 0: none
    bool stop = false;
    bool stopOnFailure = false;
    Texts events; // "step:input:what" for failures, "stage:input>output" for progress

    std::string InputAt(std::size_t position) override {
        if (position >= list.size()) {
            throw std::out_of_range("no entry " + std::to_string(position + 1));
        }
        return list[position];
    }
    Texts Inputs() override {
        if (++inputsAsked == inputsFailAt) {
            throw std::runtime_error("list gone");
        }
        return list;
    }
    FileSettings SettingsFor(const std::string& input) override {
        return settings ? settings(input) : FileSettings{folder, {}};
    }
    void Progress(const FileProgress& p) override {
        events.push_back(std::to_string(static_cast<int>(p.stage)) + ":" + std::string(p.input) + ">" +
                         std::string(p.output));
    }
    void Failure(BatchStep step, std::string_view input, const std::exception& error) override {
        events.push_back("failed " + std::to_string(static_cast<int>(step)) + ":" + std::string(input) + ":" +
                         error.what());
        stop = stop || stopOnFailure;
    }
    void Yield() override { atPause(++pauses); }
    bool MustStop() override { return stop; }
    bool ListChanged() override { return true; }
};

// A folder with "in" (inputs) and "out"; `files` are written into "in" and listed in that order.
struct Batches {
    TempDir dir;
    ScriptedFrontEnd frontEnd;
    Batches() {
        ::mkdir((dir / "out").c_str(), 0755);
        ::mkdir((dir / "in").c_str(), 0755);
    }
    void List(std::initializer_list<std::pair<std::string, std::string>> files) {
        for (const auto& [name, content] : files) {
            if (!content.empty()) {
                WriteBytes(dir / name, content);
            }
            frontEnd.list.push_back(dir / name);
        }
    }
    BatchSummary Run(int enterCount = 1) { return Batch(enterCount).Run(frontEnd, frontEnd.list.size()); }
};

TEST(BatchTest, NamesResultsBesideOrInTheFolderAndNeverOnAnInput) {
    TempDir dir;
    ::mkdir((dir / "docs").c_str(), 0700);
    ::mkdir((dir / "docs/sub").c_str(), 0700);
    ::symlink((dir / "docs").c_str(), (dir / "link").c_str());
    for (const char* name : {"docs/a.txt", "docs/a-Pellnor.txt", "docs/other.txt"}) {
        WriteBytes(dir / name, "x");
    }
    ::link((dir / "docs/other.txt").c_str(), (dir / "hard.txt").c_str());
    const OutputNamer namer({dir / "docs/a.txt", dir / "docs/a-Pellnor.txt", dir / "docs/other.txt"});
    const struct {
        std::string input;
        Folder folder;
        std::string expected;
    } cases[] = {
        {"/Docs/b.txt", std::nullopt, "/Docs/b-Pellnor.txt"},
        {"//Docs//b.txt", "/Out/", "/Out/b.txt"},
        {"/Docs/archive.tar.gz", std::nullopt, "/Docs/archive.tar-Pellnor.gz"},
        {"/v1.2/README", std::nullopt, "/v1.2/README-Pellnor."}, // never split in a folder name
        {"/Docs/.profile", std::nullopt, "/Docs/-Pellnor.profile"},
        {"b.txt", std::nullopt, "b-Pellnor.txt"},
        // The input's own folder in other spellings, and a suffixed name that is itself an input.
        {dir / "docs/a.txt", dir / "docs/sub/..", dir / "docs/sub/../a-Pellnor-Pellnor.txt"},
        {dir / "docs/a.txt", dir / "link", dir / "link/a-Pellnor-Pellnor.txt"},
        {dir / "docs/a.txt", dir / "docs/sub", dir / "docs/sub/a.txt"},
        // Another name of another input (a hard link) is an input too.
        {dir / "x/hard.txt", dir.Path(), dir / "hard-Pellnor.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(namer.OutputPathFor(c.input, c.folder), c.expected)
            << c.input << " in " << c.folder.value_or("-");
    }
}

// Every input keeps its own result: a later one takes a free name instead of replacing an earlier one,
// except for an input listed twice, whose second conversion rewrites its first. Results of an earlier run
// are still replaced.
TEST(BatchTest, NoResultReplacesAnotherOfTheSameRun) {
    const struct {
        const char* name;
        std::initializer_list<std::pair<std::string, std::string>> inputs;
        Folder folder; // relative to the temporary folder
        std::string in, out;
    } cases[] = {
        {"beside",
         {{"in/a.txt", "A. a"}, {"in/a-Pellnor.txt", "B. b"}},
         std::nullopt,
         "a-Pellnor-Pellnor-Pellnor.txt|a-Pellnor-Pellnor.txt|a-Pellnor.txt|a.txt",
         ""},
        {"one folder",
         {{"in/a.txt", "A. a"}, {"out/sub/a.txt", "B. b"}, {"in/a.txt", ""}},
         "out",
         "a.txt",
         "a-Pellnor.txt|a.txt|sub"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Batches batches;
        ::mkdir((batches.dir / "out/sub").c_str(), 0755);
        WriteBytes(batches.dir / "out/a-Pellnor.txt", "left over from an earlier run");
        batches.List(c.inputs);
        if (c.folder) {
            batches.frontEnd.folder = batches.dir / *c.folder;
        }
        const BatchSummary summary = batches.Run();
        EXPECT_EQ(summary.converted, c.inputs.size());
        EXPECT_EQ(ListNames(batches.dir / "in"), c.in);
        if (!c.out.empty()) {
            EXPECT_EQ(ListNames(batches.dir / "out"), c.out);
            EXPECT_EQ(ReadBytes(batches.dir / "out/a.txt"), "A.\r\na");
            EXPECT_EQ(ReadBytes(batches.dir / "out/a-Pellnor.txt"), "B.\r\nb");
        } else {
            EXPECT_EQ(ReadBytes(batches.dir / "in/a-Pellnor-Pellnor.txt"), "A.\r\na");
            EXPECT_EQ(ReadBytes(batches.dir / "in/a-Pellnor-Pellnor-Pellnor.txt"), "B.\r\nb");
        }
    }
}

// A result of this batch keeps later files off its name; a file that another run made there since, under
// the inode number of a result it deleted, is not one, and is replaced like any older file. Taken for one,
// it gave two runs into one folder spurious -Pellnor results.
TEST(BatchTest, OnlyThisBatchsOwnResultsAreKept) {
    TempDir dir;
    WriteBytes(dir / "a.txt", "A");
    WriteBytes(dir / "b", "a result of a.txt, or a file in its place");
    const FileStamp result = *StampOf(dir / "b");
    if (result.handle.empty()) {
        GTEST_SKIP() << "the file system tells files apart by their inode numbers alone";
    }
    OutputNamer namer({dir / "a.txt"});
    namer.Written(IdOf(dir / "a.txt"), result);
    EXPECT_EQ(namer.OutputPathFor("/elsewhere/b", dir.Path()), dir / "b-Pellnor.");
    namer.Written(IdOf(dir / "a.txt"), FileStamp{result.id, "the handle of the file deleted there"});
    EXPECT_EQ(namer.OutputPathFor("/elsewhere/b", dir.Path()), dir / "b");
}

// A file added to the list at any of the three pauses of a file is an input like the others. Added at
// the third, just before the old result is deleted, it used to be deleted and overwritten.
TEST(BatchTest, AFileAddedAtAnyPauseIsNeitherDeletedNorOverwritten) {
    for (int pause : {1, 2, 3}) {
        SCOPED_TRACE(pause);
        Batches batches;
        WriteBytes(batches.dir / "out/a.txt", "the user's own a.txt");
        batches.List({{"in/a.txt", "A. a"}});
        batches.frontEnd.folder = batches.dir / "out";
        batches.frontEnd.atPause = [&](int now) {
            if (now == pause) {
                batches.frontEnd.list.push_back(batches.dir / "out/a.txt");
            }
        };
        batches.Run();
        EXPECT_EQ(ReadBytes(batches.dir / "out/a.txt"), "the user's own a.txt");
        EXPECT_EQ(ReadBytes(batches.dir / "out/a-Pellnor.txt"), "A.\r\na");
    }
}

// A result that cannot be deleted is reported by the write that follows; its mode stays as it was. The
// forced delete used to make it writable first and leave it so.
TEST(BatchTest, AResultThatCannotBeDeletedKeepsItsModeAndTheWriteFails) {
    Batches batches;
    batches.List({{"in/a.txt", "A. a"}});
    batches.frontEnd.folder = batches.dir / "out";
    WriteBytes(batches.dir / "out/a.txt", "old");
    ::chmod((batches.dir / "out/a.txt").c_str(), 0444);
    if (::geteuid() == 0) { // the ordinary user below owns the file, and so could change its mode
        ASSERT_EQ(::chown((batches.dir / "out/a.txt").c_str(), 65534, 65534), 0);
    }
    ::chmod((batches.dir / "out").c_str(), 0555);
    ::chmod(batches.dir.Path().c_str(), 0755);
    const auto outcome = testing::RunAsOrdinaryUser([&] {
        const BatchSummary summary = batches.Run();
        struct stat info {};
        ::stat((batches.dir / "out/a.txt").c_str(), &info);
        return std::to_string(summary.failed) + " " + std::to_string(info.st_mode & 0777) + " " +
               batches.frontEnd.events.back().substr(0, 9);
    });
    ::chmod((batches.dir / "out").c_str(), 0755);
    if (!outcome) {
        GTEST_SKIP() << "running as root without a way to take an ordinary user id";
    }
    EXPECT_EQ(*outcome, "1 292 failed 6:"); // 292 is 0444
    EXPECT_EQ(ReadBytes(batches.dir / "out/a.txt"), "old");
}

// Each failure is reported once under its step, the file counts as failed, and the run goes on.
TEST(BatchTest, FailuresAreReportedByStepAndTheRunGoesOn) {
    Batches batches;
    batches.List({{"in/a.txt", "A. a"}, {"in/missing.txt", ""}, {"in/b.txt", "B. b"}, {"", ""}});
    batches.frontEnd.list.back().clear(); // an empty entry is passed over
    batches.frontEnd.list.push_back(batches.dir / "in/gone.txt");
    batches.frontEnd.settings = [&](const std::string& input) {
        if (input.ends_with("b.txt")) {
            throw std::invalid_argument("no folder");
        }
        FileSettings dots{std::nullopt, {}};
        dots.conversion.entries = {"."};
        dots.conversion.enterCount = 7; // the batch's own count holds
        return dots;
    };
    batches.frontEnd.atPause = [&](int pause) {
        if (pause == 11) { // the fifth file comes up: the list shrinks under it
            batches.frontEnd.list.pop_back();
        }
    };
    const BatchSummary summary = batches.Run(2);
    const std::string in = batches.dir / "in/";
    const Texts expected = {
        "0:" + in + "a.txt>",
        "1:" + in + "a.txt>" + in + "a-Pellnor.txt",
        "2:" + in + "a.txt>" + in + "a-Pellnor.txt",
        "0:" + in + "missing.txt>",
        "1:" + in + "missing.txt>" + in + "missing-Pellnor.txt",
        "failed 6:" + in + "missing.txt:\"" + in + "missing.txt\": cannot open: No such file or directory",
        "0:" + in + "b.txt>",
        "failed 4:" + in + "b.txt:no folder",
        "0:>",
        "failed 2::no entry 5",
    };
    EXPECT_EQ(batches.frontEnd.events, expected);
    EXPECT_EQ(summary.converted, 1u);
    EXPECT_EQ(std::tuple(summary.counts.breaksInserted, summary.counts.spacesDropped, summary.counts.bytesIn,
                         summary.counts.bytesOut),
              std::tuple(2u, 1u, 4u, 7u));
    EXPECT_EQ(summary.failed, 3u);
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(ReadBytes(in + "a-Pellnor.txt"), "A.\r\n\r\na");
    EXPECT_EQ(ListNames(batches.dir / "in"), "a-Pellnor.txt|a.txt|b.txt");
}

// Told to stop at a pause, or while a failure is shown, the run ends there: nothing more of that file is
// deleted or written, and no further file comes up. An old result is deleted before the write, also when
// the write then fails.
TEST(BatchTest, ARunToldToStopEndsThere) {
    const struct {
        int pause;           // 0: a failure stops the run
        const char* failing; // "settings", "inputs" (at the delete) or "convert"
        int pauses;
        const char* oldResult;
    } cases[] = {{1, "", 1, "old"},         {2, "", 2, "old"},       {3, "", 3, "old"},
                 {0, "settings", 2, "old"}, {0, "inputs", 3, "old"}, {0, "convert", 3, "gone"}};
    for (const unsigned jobs : {1u, 4u}) { // files converted ahead go when the run stops
        for (const auto& c : cases) {
            SCOPED_TRACE(c.pauses);
            Batches batches;
            batches.List(
                {{"in/a.txt", std::string(c.failing) == "convert" ? "" : "A. a"}, {"in/b.txt", "B. b"}});
            WriteBytes(batches.dir / "in/a-Pellnor.txt", "old");
            batches.frontEnd.atPause = [&](int now) { batches.frontEnd.stop = now == c.pause; };
            batches.frontEnd.stopOnFailure = c.pause == 0;
            batches.frontEnd.inputsFailAt = std::string(c.failing) == "inputs" ? 3 : 0;
            if (std::string(c.failing) == "settings") {
                batches.frontEnd.settings = [](const std::string&) -> FileSettings {
                    throw std::runtime_error("no");
                };
            }
            const BatchSummary summary = Batch(1, false, jobs).Run(batches.frontEnd, 2);
            EXPECT_TRUE(summary.stopped);
            EXPECT_EQ(summary.converted + summary.failed, c.pause == 0 ? 1u : 0u);
            EXPECT_EQ(batches.frontEnd.pauses, c.pauses);
            EXPECT_EQ(Exists(batches.dir / "in/a-Pellnor.txt") ? ReadBytes(batches.dir / "in/a-Pellnor.txt")
                                                               : "gone",
                      c.oldResult);
            EXPECT_EQ(ListNames(batches.dir / "in"),
                      c.pause == 0 && *c.failing == 'c' ? "b.txt" : "a-Pellnor.txt|a.txt|b.txt");
        }
    }
}

} // namespace
} // namespace brantlewick
