// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run: the steps of each file, the protection of inputs and results, the conversion call.
#include "brantlewick/batch/Batch.h"

#include "ConversionPool.h"
#include "OutputNamer.h"
#include "brantlewick/base/ScopeExit.h"
#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/InPlace.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace brantlewick {

// The file in hand and what the run decided for it so far.
struct Batch::FileInHand {
    std::size_t position;
    std::string input;
    FileSettings settings;
    std::string output;
    bool replaces = false;
    // The file as a worker converted it, and its input's identity.
    std::optional<AheadConversion> ahead;
    std::optional<FileId> inputId;
    // Chosen once the file's settings are known.
    const Writer* writer = nullptr;
    ConversionCounts counts;
    bool failed = false;
    bool converted = false;
    bool changes = false;

    FileResult Result() const { return {position, input, output, replaces, counts, changes}; }
};

namespace {

// Never reports: a file that cannot be deleted makes the write fail, and that is reported. Its mode is left
// alone: on POSIX it does not decide whether a file can be deleted, so making the file writable first
// would only change a file that then stays.
void DeleteOldOutput(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

// Lets the front end call `convert` where it likes, and tell it how far the conversion got.
template <typename Convert>
ConversionCounts ConvertHere(BatchScheduler& scheduler, const std::string& input, const Convert& convert) {
    std::atomic<std::uint64_t> bytesRead{0};
    ConversionCounts counts;
    scheduler.Convert(
        input, [&] { counts = convert(&bytesRead); }, bytesRead);
    return counts;
}

bool IsOutOfSpace(const EngineError& error) {
    return error.SystemError() == ENOSPC || error.SystemError() == EDQUOT;
}

// Enough files handed out ahead that no worker waits for the next, few enough that an interrupted run
// leaves few temporary files behind. They are handed out half a window at a time, so that a worker that
// ran dry is woken once for many small files rather than for each.
constexpr std::size_t kAheadPerJob = 32;

// The identities of `paths`, looked up on up to `threads` threads: before the first file of a long list
// can be written, every input must be known.
std::vector<std::optional<FileId>> IdsOf(const std::vector<std::string>& paths, unsigned threads) {
    constexpr std::size_t kLeastShare = 256; // fewer are looked up sooner than a thread is started
    std::vector<std::optional<FileId>> ids(paths.size());
    const std::size_t shares = std::clamp<std::size_t>(paths.size() / kLeastShare, 1, threads);
    const std::size_t share = (paths.size() + shares - 1) / shares;
    const auto lookUp = [&](std::size_t first) {
        for (std::size_t i = first; i < std::min(first + share, paths.size()); ++i) {
            ids[i] = IdOf(paths[i]);
        }
    };
    std::vector<std::thread> helpers;
    std::size_t first = share;
    for (; first < paths.size(); first += share) {
        try {
            helpers.emplace_back(lookUp, first);
        } catch (const std::system_error&) {
            break; // this thread looks up the rest
        }
    }
    for (; first < paths.size(); first += share) {
        lookUp(first);
    }
    lookUp(0);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return ids;
}

// The file at `position` as converted ahead, if that still holds for `input` as it is now; then with a
// result, and with `inputId` set to the file's identity.
//
// The path must still name the file that was read. A run only ever creates files, or replaces a file that
// is neither an input nor a result of another input, so while it has replaced nothing, every path names
// what it named when the worker read it, or a result this run wrote under an input's name that named
// nothing before (which the worker then read whole, as the name only ever appears by a rename). Once the
// run has replaced something (a link, say, that was part of an input's path), the path is looked up again.
std::optional<AheadConversion> StillValidAheadConversion(ConversionPool& pool, std::size_t position,
                                                         const std::string& input,
                                                         const FileSettings& settings, bool replacedAny,
                                                         std::optional<FileId>& inputId) {
    std::optional<AheadConversion> ahead = pool.Take(position);
    if (!ahead || !ahead->result || ahead->job.input != input || !(ahead->job.settings == settings)) {
        return std::nullopt;
    }
    inputId = replacedAny ? IdOf(input) : ahead->result->inputId;
    if (inputId != ahead->result->inputId) {
        return std::nullopt;
    }
    return ahead;
}

// Renames a file converted ahead to `output`, which something was found under, and answers its counts;
// nothing when that failed and the file is to be converted here.
std::optional<ConversionCounts> ReplaceWithAheadResult(OutputNamer& namer,
                                                       std::optional<AheadConversion>& ahead,
                                                       const std::string& output,
                                                       const std::optional<FileId>& inputId) {
    if (!ahead) {
        return std::nullopt;
    }
    const AheadConversion conversion = std::move(*ahead);
    ahead.reset();
    try {
        if (FolderOf(output) == FolderOf(conversion.job.plainOutput)) {
            conversion.result->output->Commit(output);
            namer.Written(inputId, conversion.result->outputId);
            return conversion.result->counts;
        }
    } catch (const std::exception&) {
        // Converted here the file fails, or succeeds, exactly as a run with one job would have it.
    }
    DeleteOldOutput(output); // left in place for the rename, which would have replaced it
    return std::nullopt;
}

} // namespace

ConversionOptions ConversionFor(std::string_view input, const FileSettings& settings) {
    ConversionOptions conversion = settings.conversion;
    if (settings.formatByName) {
        conversion.format = TextFormatOfFile(input);
    }
    return conversion;
}

Batch::Batch(BatchOptions options) : options_(options), namer_(std::make_unique<OutputNamer>()) {
    options_.jobs = std::max(options_.jobs, 1u);
}

Batch::~Batch() = default;

bool Batch::IsStandardStreams(std::string_view input) const {
    return options_.streams && input == kStandardStreams;
}

void Batch::Protect(const std::vector<std::string>& inputs, unsigned threads) {
    std::vector<std::string> files;
    files.reserve(inputs.size());
    std::copy_if(inputs.begin(), inputs.end(), std::back_inserter(files),
                 [this](const std::string& input) { return !IsStandardStreams(input); });
    namer_->Protect(files, IdsOf(files, threads));
}

void Batch::LookAhead(std::size_t position, std::size_t count) {
    const std::size_t window = kAheadPerJob * options_.jobs;
    if (nextAhead_ > position + window / 2) {
        return;
    }
    std::vector<std::pair<std::size_t, AheadJob>> jobs;
    for (; nextAhead_ < count && nextAhead_ < position + window; ++nextAhead_) {
        // A failure here is the run's to report when the file comes up; the file is simply not converted
        // ahead.
        try {
            std::string input = source_->InputAt(nextAhead_);
            if (input.empty() || IsStandardStreams(input)) {
                continue;
            }
            FileSettings settings = SettingsOf(input);
            std::string plainOutput = PlainOutputPath(input, settings.outputFolder);
            jobs.emplace_back(nextAhead_, AheadJob{std::move(input), std::move(plainOutput),
                                                   std::move(settings), options_.dryRun});
        } catch (...) {
        }
    }
    pool_->Add(std::move(jobs));
}

bool Batch::ProtectListChanges() {
    if (source_->ListChanged()) {
        listChangeUnprotected_ = true;
    }
    if (!listChangeUnprotected_) {
        return false;
    }
    Protect(source_->Inputs(), 1);
    listChangeUnprotected_ = false;
    return true;
}

BatchSummary Batch::Run(const BatchFrontEnd& frontEnd, std::size_t count) {
    source_ = &frontEnd.source;
    sink_ = &frontEnd.sink;
    scheduler_ = &frontEnd.scheduler;
    if (options_.jobs > 1 && count > 1 && options_.inputs == InputUse::Keep) {
        pool_ =
            std::make_unique<ConversionPool>(options_.jobs - 1); // this thread converts too, while it waits
        nextAhead_ = 0;
        replacedAny_ = false;
    }
    // Whatever way the run ends, the workers stop, what they left unclaimed goes, and the front end is
    // forgotten.
    const ScopeExit endOfRun([this] {
        pool_.reset();
        source_ = nullptr;
        sink_ = nullptr;
        scheduler_ = nullptr;
    });
    BatchSummary summary;
    // Nothing is converted unprotected: without the inputs there is no run.
    FileInHand start{};
    if (Attempt(start, BatchStep::Start, Next::Stop, [&] {
            source_->ListChanged(); // what happened before this run is in the answer below
            Protect(source_->Inputs(), options_.jobs);
            return true;
        }) != Next::Step) {
        return summary;
    }
    for (std::size_t position = 0; position < count; ++position) {
        if (pool_) {
            LookAhead(position, count);
        }
        if (!ConvertAt(position, summary)) {
            summary.stopped = true;
            break;
        }
    }
    return summary;
}

bool Batch::ConvertAt(std::size_t position, BatchSummary& summary) {
    using Step = Next (Batch::*)(FileInHand&);
    static constexpr Step kStepsOfAFile[] = {
        &Batch::PauseBeforeTheFile, &Batch::ReadTheInput,         &Batch::ShowTheFile,
        &Batch::ChooseTheOutput,    &Batch::PauseBeforeTheDelete, &Batch::DeleteTheOldResult,
        &Batch::ConvertTheFile,     &Batch::TellItIsConverted,
    };
    FileInHand file{};
    file.position = position;
    Next next = Next::Step;
    for (const Step step : kStepsOfAFile) {
        next = (this->*step)(file);
        if (next != Next::Step) {
            break;
        }
    }
    if (file.failed) {
        ++summary.failed;
    } else if (file.converted) {
        ++summary.converted;
        summary.counts += file.counts;
    }
    return next != Next::Stop;
}

template <typename Action>
Batch::Next Batch::Attempt(FileInHand& file, BatchStep step, Next afterFailure, const Action& action) {
    const auto failed = [&](const std::exception& error) {
        file.failed = true;
        return sink_->FileFailed(step, file.input, error) ? afterFailure : Next::Stop;
    };
    try {
        return action() ? Next::Step : Next::Stop;
    } catch (const std::exception& error) {
        return failed(error);
    } catch (...) {
        return failed(std::runtime_error("Unexpected error"));
    }
}

Batch::Next Batch::PauseBeforeTheFile(FileInHand& file) {
    return Attempt(file, BatchStep::Pause, Next::Step, [&] { return scheduler_->Pause(); });
}

Batch::Next Batch::ReadTheInput(FileInHand& file) {
    return Attempt(file, BatchStep::ReadInput, Next::File, [&] {
        file.input = source_->InputAt(file.position);
        return true;
    });
}

Batch::Next Batch::ShowTheFile(FileInHand& file) {
    const Next next = Attempt(file, BatchStep::ShowFile, Next::Step, [&] {
        return sink_->FileStarted(file.position, file.input) && scheduler_->Pause();
    });
    return next == Next::Step && file.input.empty() ? Next::File : next;
}

Batch::Next Batch::ChooseTheOutput(FileInHand& file) {
    return Attempt(file, BatchStep::ChooseOutput, Next::File, [&] {
        ProtectListChanges();
        file.settings = SettingsOf(file.input);
        if (pool_) {
            file.ahead = StillValidAheadConversion(*pool_, file.position, file.input, file.settings,
                                                   replacedAny_, file.inputId);
        }
        file.writer = &WriterFor(file);
        (this->*file.writer->name)(file);
        return true;
    });
}

// A file added to the list during any pause is an input like the others: before the delete and again
// before the write, a result that would now replace one is given a free name instead.
Batch::Next Batch::PauseBeforeTheDelete(FileInHand& file) {
    return Attempt(file, BatchStep::ClearOutput, Next::Step, [&] { return scheduler_->Pause(); });
}

Batch::Next Batch::DeleteTheOldResult(FileInHand& file) {
    return Attempt(file, BatchStep::ClearOutput, Next::Step, [&] {
        RenameIfTheListChanged(file);
        (this->*file.writer->clear)(file);
        return true;
    });
}

Batch::Next Batch::ConvertTheFile(FileInHand& file) {
    return Attempt(file, BatchStep::Convert, Next::File, [&] {
        RenameIfTheListChanged(file);
        if (!file.ahead) {
            if (auto entries = source_->EntriesAtTheCall()) {
                file.settings.conversion.entries = std::move(*entries);
            }
        }
        return (this->*file.writer->write)(file);
    });
}

Batch::Next Batch::TellItIsConverted(FileInHand& file) {
    const Next next =
        Attempt(file, BatchStep::Convert, Next::File, [&] { return sink_->FileConverted(file.Result()); });
    file.converted = next == Next::Step;
    return next;
}

FileSettings Batch::SettingsOf(const std::string& input) {
    FileSettings settings = source_->SettingsFor(input);
    settings.conversion = ConversionFor(input, settings);
    return settings;
}

void Batch::RenameIfTheListChanged(FileInHand& file) {
    if (ProtectListChanges()) {
        (this->*file.writer->name)(file);
    }
}

const Batch::Writer& Batch::WriterFor(const FileInHand& file) const {
    // A new file named by the run, its old result deleted first.
    static constexpr Writer kNewResult{&Batch::NameNewResult, &Batch::DeleteOldResult,
                                       &Batch::WriteNewResult};
    // The same converted ahead: it replaces the old result as it is renamed.
    static constexpr Writer kResultConvertedAhead{&Batch::NameWhenCommitted, &Batch::LeaveWhatIsThere,
                                                  &Batch::CommitAheadResult};
    // Named, deleted and written in the batch's account only.
    static constexpr Writer kDryRun{&Batch::NameDryRunResult, &Batch::NoteOldResultDeleted,
                                    &Batch::ConvertWithoutWriting};
    static constexpr Writer kInPlace{&Batch::NameTheInput, &Batch::LeaveWhatIsThere, &Batch::ReplaceTheInput};
    static constexpr Writer kCheck{&Batch::NameTheInput, &Batch::LeaveWhatIsThere, &Batch::CheckTheInput};
    static constexpr Writer kStandardOutput{&Batch::NameStandardOutput, &Batch::LeaveWhatIsThere,
                                            &Batch::WriteStandardOutput};
    static constexpr Writer kStandardInputRead{&Batch::NameStandardOutput, &Batch::LeaveWhatIsThere,
                                               &Batch::ReadStandardInput};
    if (IsStandardStreams(file.input)) {
        // Standard input has no file to replace or compare with.
        if (options_.inputs != InputUse::Keep) {
            throw EngineError({}, "standard input cannot be converted in place or checked");
        }
        return options_.dryRun ? kStandardInputRead : kStandardOutput;
    }
    if (options_.inputs != InputUse::Keep) {
        return options_.inputs == InputUse::Replace && !options_.dryRun ? kInPlace : kCheck;
    }
    if (options_.dryRun) {
        return kDryRun;
    }
    return file.ahead ? kResultConvertedAhead : kNewResult;
}

bool Batch::NameInTheBatch(FileInHand& file) const {
    const std::optional<std::string>& folder = file.settings.outputFolder;
    std::string chosen = file.ahead ? namer_->OutputPathFor(file.input, folder, file.inputId)
                                    : namer_->OutputPathFor(file.input, folder);
    if (chosen == file.output) {
        return false;
    }
    file.output = std::move(chosen);
    return true;
}

// Whether a file was there is asked before the old result is deleted, and again only for a new name.
void Batch::NameNewResult(FileInHand& file) {
    if (NameInTheBatch(file)) {
        file.replaces = PathExists(file.output);
        replacedAny_ = replacedAny_ || file.replaces;
    }
}

void Batch::NameDryRunResult(FileInHand& file) {
    if (NameInTheBatch(file)) {
        file.replaces = namer_->WouldExist(file.output);
        replacedAny_ = replacedAny_ || file.replaces;
    }
}

// A file converted ahead is named as it is written, where most often a rename that only succeeds when
// nothing is found under the name makes looking first unnecessary.
void Batch::NameWhenCommitted(FileInHand& /*file*/) {}

void Batch::NameTheInput(FileInHand& file) {
    file.output = file.input;
}

void Batch::NameStandardOutput(FileInHand& file) {
    file.output = kStandardStreams;
}

void Batch::DeleteOldResult(FileInHand& file) {
    DeleteOldOutput(file.output);
}

void Batch::NoteOldResultDeleted(FileInHand& file) {
    namer_->WouldDelete(file.output);
}

void Batch::LeaveWhatIsThere(FileInHand& /*file*/) {}

bool Batch::WriteNewResult(FileInHand& file) {
    if (!sink_->FileWriting(file.Result())) {
        return false;
    }
    ConvertInTurn(file);
    return true;
}

bool Batch::CommitAheadResult(FileInHand& file) {
    if (CommitUnderAFreeName(file)) {
        return TellWrittenAfterTheFact(file);
    }
    if (!sink_->FileWriting(file.Result())) {
        return false;
    }
    if (const auto aheadCounts = ReplaceWithAheadResult(*namer_, file.ahead, file.output, file.inputId)) {
        file.counts = *aheadCounts;
    } else {
        ConvertInTurn(file);
    }
    return true;
}

bool Batch::ConvertWithoutWriting(FileInHand& file) {
    if (!sink_->FileWriting(file.Result())) {
        return false;
    }
    if (file.ahead) {
        CheckOutputPlace(file.output);
        file.counts = file.ahead->result->counts;
    } else {
        file.counts = ConvertHere(*scheduler_, file.input, [&](std::atomic<std::uint64_t>* bytesRead) {
            return TryConvertFile(file.input, file.output, file.settings.conversion, bytesRead);
        });
    }
    namer_->WouldWrite(file.input, file.output);
    return true;
}

bool Batch::ReplaceTheInput(FileInHand& file) {
    return ConvertOntoItself(file, true);
}

bool Batch::CheckTheInput(FileInHand& file) {
    return ConvertOntoItself(file, false);
}

bool Batch::WriteStandardOutput(FileInHand& file) {
    return ConvertStandardStreams(file, true);
}

bool Batch::ReadStandardInput(FileInHand& file) {
    return ConvertStandardStreams(file, false);
}

bool Batch::ConvertOntoItself(FileInHand& file, bool replace) {
    if (!sink_->FileWriting(file.Result())) {
        return false;
    }
    SameFileResult result;
    file.counts = ConvertHere(*scheduler_, file.input, [&](std::atomic<std::uint64_t>* bytesRead) {
        result = replace ? ConvertInPlace(file.input, file.settings.conversion, bytesRead)
                         : CheckFile(file.input, file.settings.conversion, bytesRead);
        return result.counts;
    });
    file.changes = result.changes;
    return true;
}

bool Batch::CommitUnderAFreeName(FileInHand& file) {
    file.output = namer_->OutputPathIfFree(file.input, file.settings.outputFolder);
    if (file.ahead->result->output->CommitIfFree(file.output)) {
        return true;
    }
    file.output.clear();
    NameNewResult(file); // something is there: to be replaced, or to be kept under a name of its own
    return false;
}

// Told after the fact: a front end that refuses to hear it gets back the nothing that was there before, as
// if the file had not been written.
bool Batch::TellWrittenAfterTheFact(FileInHand& file) {
    bool goOn = false;
    try {
        goOn = sink_->FileWriting(file.Result());
    } catch (...) {
        ::unlink(file.output.c_str());
        throw;
    }
    if (!goOn) {
        ::unlink(file.output.c_str());
        return false;
    }
    namer_->Written(file.inputId, file.ahead->result->outputId);
    file.counts = file.ahead->result->counts;
    return true;
}

void Batch::ConvertInTurn(FileInHand& file) {
    FileStamp written;
    const auto convert = [&] {
        return ConvertHere(*scheduler_, file.input, [&](std::atomic<std::uint64_t>* bytesRead) {
            return ConvertFile(file.input, file.output, file.settings.conversion, bytesRead, &written);
        });
    };
    try {
        file.counts = convert();
    } catch (const EngineError& error) {
        // With one job the files ahead would not be there yet: without them the write may well fit.
        if (!pool_ || !IsOutOfSpace(error) || !pool_->GiveBackSpace()) {
            throw;
        }
        file.counts = convert();
    }
    namer_->Written(IdOf(file.input), written);
}

bool Batch::ConvertStandardStreams(FileInHand& file, bool write) {
    if (!sink_->FileWriting(file.Result())) {
        return false;
    }
    InputFile input(options_.streams->input, "standard input");
    const int output = options_.streams->output;
    file.counts = ConvertHere(*scheduler_, file.input, [&](std::atomic<std::uint64_t>* bytesRead) {
        return ConvertStream(
            input, file.settings.conversion,
            [&](std::string_view bytes) {
                if (write) {
                    WriteAll(output, bytes, "standard output");
                }
            },
            bytesRead);
    });
    return true;
}

} // namespace brantlewick
