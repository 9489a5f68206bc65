// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run that the window, brantlewick-cli and the preview share: for every listed file it decides
// everything the run does (whether the input can be read and is text, the result's name with every
// protection, whether an old file is replaced, the conversion and its counts) and does it, or with a dry
// run only tells it. The run meets its front end at three seams and never learns which one it serves: a
// source of inputs and settings, a sink of events that answers whether the run goes on, and a scheduler of
// the run's pauses.
#pragma once

#include "brantlewick/batch/FileSettings.h"
#include "brantlewick/engine/Conversion.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

class ConversionPool;
class OutputNamer;

// Where in the handling of one file a failure arose; a front end maps it onto its own report.
enum class BatchStep {
    Start,        // taking the inputs to protect, before the first file
    Pause,        // the pause before a file comes up
    ReadInput,    // asking for the input at the file's position
    ShowFile,     // telling that the file comes up, and the pause that lets the front end show it
    ChooseOutput, // asking for the file's settings and choosing its result's path
    ClearOutput,  // the pause before an old result is deleted, and the delete
    Convert,      // the conversion, and telling that it is done
};

// A file whose result's place is chosen: about to be written, or written.
struct FileResult {
    std::size_t position; // from 0
    std::string_view input;
    std::string_view output;
    bool replaces = false;        // a file is at `output` already (a dry run: would be by then)
    ConversionCounts counts = {}; // once converted
    // Once converted in place or checked: the result differs from the input.
    bool changes = false;
};

// Where the inputs and their settings come from. Each may throw: the failure is the file's, reported under
// the step that asked.
class BatchSource {
public:
    virtual ~BatchSource() = default;
    // The input at `position` as the front end's list stands now; the empty path is passed over. Throws when
    // the position holds no entry any more.
    virtual std::string InputAt(std::size_t position) = 0;
    // Every input the list holds now. The run protects them all from being replaced by a result, and keeps
    // protecting whatever it was told once.
    virtual std::vector<std::string> Inputs() = 0;
    // The settings for the file now coming up (`input`). Throws when they cannot give a sound result.
    virtual FileSettings SettingsFor(const std::string& input) = 0;
    // The sentence endings as they stand when the file's conversion begins, after the pause before the
    // delete: a character added there reaches this file, while the other settings stay those of
    // SettingsFor(). Nothing keeps the endings SettingsFor() gave. A run with several jobs never asks.
    virtual std::optional<std::vector<std::string>> EntriesAtTheCall() { return std::nullopt; }
    // True when the list gained or changed an entry since the last call; the run then asks Inputs() again
    // before it deletes or writes anything.
    virtual bool ListChanged() { return false; }
};

// What the run tells. Every method answers whether the run goes on: false ends it at once, and nothing more
// of the file in hand is touched. A method that throws counts as a failure of the step it was called in.
class BatchSink {
public:
    virtual ~BatchSink() = default;
    // The file at `position` comes up; `input` is empty for an entry that is passed over.
    virtual bool FileStarted(std::size_t /*position*/, std::string_view /*input*/) { return true; }
    // The result's place is chosen and the writing begins (for a file converted ahead: it is in place, and
    // throwing or answering false takes it away again).
    virtual bool FileWriting(const FileResult& /*file*/) { return true; }
    // The result is written (a dry run: would be), with what the conversion did.
    virtual bool FileConverted(const FileResult& /*file*/) { return true; }
    // A step of the file failed; the file counts as failed. Must not throw.
    virtual bool FileFailed(BatchStep step, std::string_view input, const std::exception& error) = 0;
};

// When and where the run lets its front end do its own work.
class BatchScheduler {
public:
    virtual ~BatchScheduler() = default;
    // One of the run's three pauses per file (the front end paints, takes clicks, may change its list);
    // answers whether the run goes on.
    virtual bool Pause() { return true; }
    // Converts the file in hand by calling `convert`, which may take long: a front end may call it on a
    // thread of its own and meanwhile follow `bytesRead`, the input's bytes read so far. It returns, or
    // throws, what `convert` does, and only once `convert` is done.
    virtual void Convert(std::string_view /*input*/, const std::function<void()>& convert,
                         const std::atomic<std::uint64_t>& /*bytesRead*/) {
        convert();
    }
};

// The three seams of one front end; one object may well be all three.
struct BatchFrontEnd {
    BatchSource& source;
    BatchSink& sink;
    BatchScheduler& scheduler;
};

struct BatchSummary {
    std::size_t converted = 0; // files converted and told without any failure
    std::size_t failed = 0;    // files with at least one failure
    bool stopped = false;      // the front end ended the run early
    ConversionCounts counts;   // of the files converted
};

// The input that stands for the standard streams where a batch reads them (see BatchOptions::streams).
inline constexpr std::string_view kStandardStreams = "-";

// What becomes of each input.
enum class InputUse {
    Keep,    // the result is a new file, named by the run
    Replace, // the result replaces the input, where it differs (see ConvertInPlace)
    Check,   // nothing is written: the run only tells whether the result would differ
};

struct BatchOptions {
    // A dry run does all of it but the writing: it deletes and writes nothing, converts in memory, and names
    // each result as if the earlier ones had been written and the old ones deleted.
    bool dryRun = false;
    unsigned jobs = 1;
    // With descriptors, the input "-" is standard input, converted to standard output (a dry run reads and
    // converts it and writes nothing). Without, "-" is a file like any other.
    struct Streams {
        int input = 0;
        int output = 1;
    };
    std::optional<Streams> streams;
    // Replace and Check take the files one at a time, whatever `jobs` says, and refuse standard input.
    InputUse inputs = InputUse::Keep;
};

// One batch: whatever it protects or writes stays known to it, also across several runs.
//
// With more than one job, files further down the list are converted on worker threads while the run walks
// the list as it always does: every name is still chosen, every old result deleted and every event told
// in list order, so the files, names and messages are those of a run with one job. The source is asked
// for the inputs and settings ahead of their turn: a front end whose list may change during the run
// (the window) keeps to one job. A file converted ahead is converted again in its turn whenever its input,
// settings or folder changed meanwhile or its conversion failed; and when a write in turn finds the disk
// full while files converted ahead hold space, they give it back and the write is tried again.
class Batch {
public:
    explicit Batch(BatchOptions options = {});
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Converts the files at positions 0 to count - 1, each as the source answers for it when it comes up.
    BatchSummary Run(const BatchFrontEnd& frontEnd, std::size_t count);

private:
    struct FileInHand;
    // What follows a step: the file's next step, the next file, or the end of the run.
    enum class Next { Step, File, Stop };

    // The steps of one file, in the order the run takes them.
    bool ConvertAt(std::size_t position, BatchSummary& summary);
    Next PauseBeforeTheFile(FileInHand& file);
    Next ReadTheInput(FileInHand& file);
    Next ShowTheFile(FileInHand& file);
    Next ChooseTheOutput(FileInHand& file);
    Next PauseBeforeTheDelete(FileInHand& file);
    Next DeleteTheOldResult(FileInHand& file);
    Next ConvertTheFile(FileInHand& file);
    Next TellItIsConverted(FileInHand& file);

    // Runs one step's `action`, which answers whether the run goes on; a failure is told to the sink and
    // the file goes on with `afterFailure`.
    template <typename Action>
    Next Attempt(FileInHand& file, BatchStep step, Next afterFailure, const Action& action);

    // The source's settings for `input`, with the conversion the file gets.
    FileSettings SettingsOf(const std::string& input);
    // Protects what the list holds now if it changed since the last look, and names the file in hand anew.
    void RenameIfTheListChanged(FileInHand& file);
    bool ProtectListChanges();
    void Protect(const std::vector<std::string>& inputs, unsigned threads);
    bool IsStandardStreams(std::string_view input) const;

    // How the file in hand is named, what is at its result's place cleared and its result written, chosen
    // once when its settings are known: no step after that asks again what kind of input or run it is.
    struct Writer {
        void (Batch::*name)(FileInHand&);  // sets the result's path, and whether a file is there
        void (Batch::*clear)(FileInHand&); // before the conversion
        bool (Batch::*write)(FileInHand&); // tells the sink, converts and writes; answers whether to go on
    };
    const Writer& WriterFor(const FileInHand& file) const;
    // What the writers do.
    void NameNewResult(FileInHand& file);
    void NameDryRunResult(FileInHand& file);
    bool NameInTheBatch(FileInHand& file) const;
    void NameWhenCommitted(FileInHand& file);
    void NameTheInput(FileInHand& file);
    void NameStandardOutput(FileInHand& file);
    void DeleteOldResult(FileInHand& file);
    void NoteOldResultDeleted(FileInHand& file);
    void LeaveWhatIsThere(FileInHand& file);
    bool WriteNewResult(FileInHand& file);
    bool CommitAheadResult(FileInHand& file);
    bool ConvertWithoutWriting(FileInHand& file);
    bool ReplaceTheInput(FileInHand& file);
    bool CheckTheInput(FileInHand& file);
    bool WriteStandardOutput(FileInHand& file);
    bool ReadStandardInput(FileInHand& file);
    // Their shared parts.
    bool ConvertOntoItself(FileInHand& file, bool replace);
    bool CommitUnderAFreeName(FileInHand& file);
    bool TellWrittenAfterTheFact(FileInHand& file);
    void ConvertInTurn(FileInHand& file);
    bool ConvertStandardStreams(FileInHand& file, bool write);
    // Hands the workers the files up to a few beyond `position`.
    void LookAhead(std::size_t position, std::size_t count);

    BatchOptions options_;
    std::unique_ptr<OutputNamer> namer_;
    // The list changed and its inputs are not protected yet.
    bool listChangeUnprotected_ = false;
    // While a run goes on: its front end.
    BatchSource* source_ = nullptr;
    BatchSink* sink_ = nullptr;
    BatchScheduler* scheduler_ = nullptr;
    // While a run with several jobs goes on: its workers, and the first position not handed to them.
    std::unique_ptr<ConversionPool> pool_;
    std::size_t nextAhead_ = 0;
    // The run chose a result's name under which something was found already, to be replaced.
    bool replacedAny_ = false;
};

// Where a run over `inputs`, each with `settings`, would write the result of the input at `position`
// (from 0): the batch's own decision, found by a dry run of every earlier input whose result could take
// that name. Nothing is written or deleted, and the file itself is not converted.
struct ForeseenResult {
    std::string output; // empty when the run would not get as far as writing
    bool replaces = false;
    std::string problem; // why, when the choice of the result's place fails
};
ForeseenResult ForeseeResult(const std::vector<std::string>& inputs, std::size_t position,
                             const FileSettings& settings);

} // namespace brantlewick
