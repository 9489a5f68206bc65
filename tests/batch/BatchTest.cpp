// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run on real files through a scripted front end: output names, protection of inputs and
// results at every pause, failures by step, and stopping by the front end's answer.
#include "brantlewick/batch/Batch.h"
#include "OutputNamer.h"
#include "Rows.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

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
struct ScriptedFrontEnd final : BatchSource, BatchSink, BatchScheduler {
    Texts list;
    Folder folder;
    std::function<void(int pause)> atPause = [](int) {};
    std::function<FileSettings(const std::string&)> settings;
    int pauses = 0;
    int inputsAsked = 0;
    int inputsFailAt = 0; // the call of Inputs() that throws; 0: none
    bool stop = false;    // the next answer ends the run
    bool stopOnFailure = false;
    Texts events; // "started INPUT", "writing INPUT>OUTPUT", "converted ...", "failed INPUT: what"
    std::vector<BatchStep> failedSteps;

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
    bool ListChanged() override { return true; }

    bool Tell(const std::string& event, std::string_view input, std::string_view output = {}) {
        events.push_back(event + std::string(input) + (output.empty() ? "" : ">" + std::string(output)));
        return true;
    }
    bool FileStarted(std::size_t, std::string_view input) override { return Tell("started ", input); }
    bool FileWriting(const FileResult& file) override { return Tell("writing ", file.input, file.output); }
    bool FileConverted(const FileResult& file) override {
        return Tell("converted ", file.input, file.output);
    }
    bool FileFailed(BatchStep step, std::string_view input, const std::exception& error) override {
        events.push_back("failed " + std::string(input) + ": " + error.what());
        failedSteps.push_back(step);
        return !(stop = stop || stopOnFailure);
    }
    bool Pause() override {
        atPause(++pauses);
        return !stop;
    }

    BatchFrontEnd Seams() { return {*this, *this, *this}; }
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
    BatchSummary Run(BatchOptions options = {}) {
        return Batch(options).Run(frontEnd.Seams(), frontEnd.list.size());
    }
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
    const OutputNamer namer({dir / "docs/a.txt", dir / "docs/a-Pellnor.txt", dir / "docs/other.txt",
                             dir / "link/new-Pellnor.txt"});
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
        // A listed name that names nothing yet is an input as well: a result written there was converted
        // again as that input.
        {dir / "docs/new.txt", std::nullopt, dir / "docs/new-Pellnor-Pellnor.txt"},
    };
    FOR_EACH_ROW(c, cases) {
        EXPECT_EQ(namer.OutputPathFor(c.input, c.folder), c.expected);
    }
    EXPECT_EQ(namer.OutputPathIfFree(dir / "docs/new.txt", std::nullopt),
              dir / "docs/new-Pellnor-Pellnor.txt");
}

// A long list is looked up on several threads, a share each: every input of every share is known by its
// identity, so no result takes the name of a hard link to one far down the list.
TEST(BatchTest, EveryInputOfALongListIsKnownWithSeveralJobs) {
    Batches batches;
    batches.List({{"in/x.txt", "X. x"}, {"in/h.txt", "the last input"}});
    ASSERT_EQ(::link((batches.dir / "in/h.txt").c_str(), (batches.dir / "in/x-Pellnor.txt").c_str()), 0);
    batches.frontEnd.list.insert(batches.frontEnd.list.begin() + 1, 598, ""); // two shares of 300
    BatchOptions options;
    options.dryRun = true;
    options.jobs = 2;
    batches.Run(options);
    EXPECT_EQ(batches.frontEnd.events.at(1),
              "writing " + (batches.dir / "in/x.txt") + ">" + (batches.dir / "in/x-Pellnor-Pellnor.txt"));
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

// A result that cannot be deleted is reported by the write that follows; its mode stays as it was. The
// forced delete used to make it writable first and leave it so.
TEST(BatchTest, AResultThatCannotBeDeletedKeepsItsModeAndTheWriteFails) {
    SKIP_WITHOUT_ORDINARY_USER();
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
    const std::string outcome = testing::RunAsOrdinaryUser([&] {
        const BatchSummary summary = batches.Run();
        struct stat info {};
        ::stat((batches.dir / "out/a.txt").c_str(), &info);
        return std::to_string(summary.failed) + " " + std::to_string(info.st_mode & 0777) + " " +
               (batches.frontEnd.failedSteps == std::vector{BatchStep::Convert} ? "convert " : "") +
               batches.frontEnd.events.back();
    });
    ::chmod((batches.dir / "out").c_str(), 0755);
    EXPECT_EQ(outcome, "1 292 convert failed " + (batches.dir / "in/a.txt") + ": \"" +
                           (batches.dir / "out/a.txt") +
                           "\": cannot create the output file: Permission denied"); // 292 is 0444
    EXPECT_EQ(ReadBytes(batches.dir / "out/a.txt"), "old");
}

// Each failure is reported once under its step, the file counts as failed, and the run goes on. The Enter
// count comes with each file's settings.
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
        dots.conversion.enterCount = 2;
        return dots;
    };
    batches.frontEnd.atPause =
        [&](int) { // once the empty entry has come up, the list shrinks under the fifth
            const Texts& events = batches.frontEnd.events;
            if (!events.empty() && events.back() == "started " && batches.frontEnd.list.size() == 5) {
                batches.frontEnd.list.pop_back();
            }
        };
    const BatchSummary summary = batches.Run();
    const std::string in = batches.dir / "in/";
    const Texts expected = {
        "started " + in + "a.txt",
        "writing " + in + "a.txt>" + in + "a-Pellnor.txt",
        "converted " + in + "a.txt>" + in + "a-Pellnor.txt",
        "started " + in + "missing.txt",
        "writing " + in + "missing.txt>" + in + "missing-Pellnor.txt",
        "failed " + in + "missing.txt: \"" + in + "missing.txt\": cannot open: No such file or directory",
        "started " + in + "b.txt",
        "failed " + in + "b.txt: no folder",
        "started ",
        "failed : no entry 5",
    };
    EXPECT_EQ(batches.frontEnd.events, expected);
    EXPECT_EQ(batches.frontEnd.failedSteps,
              (std::vector{BatchStep::Convert, BatchStep::ChooseOutput, BatchStep::ReadInput}));
    EXPECT_EQ(summary.converted, 1u);
    EXPECT_EQ(summary.counts.bytesOut, 7u);
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
        SCOPED_TRACE(std::to_string(jobs) + " jobs");
        FOR_EACH_ROW(c, cases) {
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
            BatchOptions options;
            options.jobs = jobs;
            const BatchSummary summary = batches.Run(options);
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
