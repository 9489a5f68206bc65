// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run: the steps of each file, the protection of inputs and results, the conversion call.
#include "Batch.h"

#include "ConversionPool.h"
#include "PathHelpers.h"

#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace brantlewick {
namespace {

// Runs one step of a file and answers whether it completed. A failure goes to the listener; the caller
// goes on with its next step, as a trapped procedure goes on with its next line.
template <typename Action>
bool Attempt(BatchListener& listener, BatchStep step, std::string_view input, Action&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        listener.Failure(step, input, error);
    } catch (...) {
        listener.Failure(step, input, std::runtime_error("Unexpected error"));
    }
    return false;
}

// Never reports: a file that cannot be deleted makes the write fail, and that is reported. Its mode is left
// alone: on POSIX it does not decide whether a file can be deleted, so making the file writable first
// would only change a file that then stays.
void DeleteOldOutput(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

// Lets the front end call `convert` where it likes, and tell it how far the conversion got.
template <typename Convert>
void ConvertHere(BatchListener& listener, const std::string& input, const Convert& convert) {
    std::atomic<std::uint64_t> bytesRead{0};
    listener.Convert(
        input, [&] { convert(&bytesRead); }, bytesRead);
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
std::optional<AheadConversion> TakeAhead(ConversionPool& pool, std::size_t position, const std::string& input,
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

// Gives a file converted ahead its name, and answers its counts; nothing when that failed and the file is
// to be converted here.
std::optional<ConversionCounts> CommitAhead(OutputNamer& namer, std::optional<AheadConversion>& ahead,
                                            const std::string& output, const std::optional<FileId>& inputId) {
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

Batch::Batch(int enterCount, bool dryRun, unsigned jobs)
    : enterCount_(enterCount), dryRun_(dryRun), jobs_(std::max(jobs, 1u)) {}

Batch::~Batch() = default;

FileSettings Batch::SettingsFor(BatchListener& listener, const std::string& input) const {
    FileSettings settings = listener.SettingsFor(input);
    settings.conversion.enterCount = enterCount_;
    return settings;
}

void Batch::LookAhead(BatchListener& listener, std::size_t position, std::size_t count) {
    const std::size_t window = kAheadPerJob * jobs_;
    if (nextAhead_ > position + window / 2) {
        return;
    }
    std::vector<std::pair<std::size_t, AheadJob>> jobs;
    for (; nextAhead_ < count && nextAhead_ < position + window; ++nextAhead_) {
        // A failure here is the run's to report when the file comes up; the file is simply not converted
        // ahead.
        try {
            std::string input = listener.InputAt(nextAhead_);
            if (input.empty()) {
                continue;
            }
            FileSettings settings = SettingsFor(listener, input);
            std::string plainOutput = PlainOutputPath(input, settings.outputFolder);
            jobs.emplace_back(
                nextAhead_, AheadJob{std::move(input), std::move(plainOutput), std::move(settings), dryRun_});
        } catch (...) {
        }
    }
    pool_->Add(std::move(jobs));
}

bool Batch::CatchUpWithTheList(BatchListener& listener) {
    if (listener.ListChanged()) {
        listAhead_ = true;
    }
    if (!listAhead_) {
        return false;
    }
    namer_.Protect(listener.Inputs());
    listAhead_ = false;
    return true;
}

BatchSummary Batch::Run(BatchListener& listener, std::size_t count) {
    if (jobs_ > 1 && count > 1) {
        pool_ = std::make_unique<ConversionPool>(jobs_ - 1); // this thread converts too, while it waits
        nextAhead_ = 0;
        replacedAny_ = false;
    }
    // Whatever way the run ends, the workers stop and what they left unclaimed goes.
    struct EndOfRun {
        std::unique_ptr<ConversionPool>& pool;
        ~EndOfRun() { pool.reset(); }
    } endOfRun{pool_};
    BatchSummary summary;
    // Nothing is converted unprotected: without the inputs there is no run.
    const bool started = Attempt(listener, BatchStep::Start, {}, [&] {
        listener.ListChanged(); // what happened before this run is in the answer below
        namer_.Protect(IdsOf(listener.Inputs(), jobs_));
    });
    for (std::size_t position = 0; started && position < count; ++position) {
        if (listener.MustStop()) {
            summary.stopped = true;
            break;
        }
        if (pool_) {
            LookAhead(listener, position, count);
        }
        if (!ConvertAt(listener, position, summary)) {
            summary.stopped = true;
            break;
        }
    }
    return summary;
}

bool Batch::ConvertAt(BatchListener& listener, std::size_t position, BatchSummary& summary) {
    std::string input;
    bool failed = false;
    // One step of this file; answers whether it completed.
    const auto step = [&](BatchStep which, const auto& action) {
        const bool completed = Attempt(listener, which, input, action);
        failed = failed || !completed;
        return completed;
    };
    // Counts the file and answers whether the run goes on: the front end may have been told to stop
    // during any step that let it run (a yield, or a failure it was shown), and then nothing of it may be
    // touched any more.
    const auto done = [&](bool converted) {
        summary.converted += converted ? 1 : 0;
        summary.failed += failed ? 1 : 0;
        return !listener.MustStop();
    };

    step(BatchStep::Pause, [&] { listener.Yield(); });
    if (listener.MustStop() || !step(BatchStep::ReadInput, [&] { input = listener.InputAt(position); })) {
        return done(false);
    }
    step(BatchStep::ShowFile, [&] {
        listener.Progress({FileProgress::Stage::Started, position, input, {}, {}});
        listener.Yield();
    });
    if (listener.MustStop() || input.empty()) {
        return done(false);
    }
    FileSettings settings;
    std::string output;
    bool replaced = false;
    // The file as a worker converted it, and its input's identity.
    std::optional<AheadConversion> ahead;
    std::optional<FileId> inputId;
    // Whether a file was there is asked before the old result is deleted, and again only for a new name.
    const auto chooseOutput = [&] {
        std::string chosen = ahead ? namer_.OutputPathFor(input, settings.outputFolder, inputId)
                                   : namer_.OutputPathFor(input, settings.outputFolder);
        if (chosen != output) {
            output = std::move(chosen);
            replaced = PathExists(output) || (dryRun_ && namer_.WouldExist(output));
            replacedAny_ = replacedAny_ || replaced;
        }
    };
    const bool chosen = step(BatchStep::ChooseOutput, [&] {
        CatchUpWithTheList(listener);
        settings = SettingsFor(listener, input);
        if (pool_) {
            ahead = TakeAhead(*pool_, position, input, settings, replacedAny_, inputId);
        }
        // A file converted ahead is named as it is written, where most often a rename that only succeeds
        // when nothing is found under the name makes looking first unnecessary. A dry run names it now.
        if (!ahead || dryRun_) {
            chooseOutput();
        }
    });
    if (!chosen || listener.MustStop()) {
        return done(false);
    }
    // A file added to the list during any pause is an input like the others: before the delete and again
    // before the write, a result that would now replace one is given a free name instead.
    step(BatchStep::ClearOutput, [&] { listener.Yield(); });
    if (listener.MustStop()) {
        return done(false);
    }
    step(BatchStep::ClearOutput, [&] {
        if (CatchUpWithTheList(listener) && !ahead) {
            chooseOutput();
        }
        if (!dryRun_ && !ahead) {
            DeleteOldOutput(output);
        }
    });
    if (listener.MustStop()) {
        return done(false);
    }
    ConversionCounts counts;
    const bool converted = step(BatchStep::Convert, [&] {
        if (CatchUpWithTheList(listener) && !ahead) {
            chooseOutput();
        }
        if (dryRun_) {
            listener.Progress({FileProgress::Stage::Writing, position, input, output, {}});
            if (ahead) {
                CheckOutputPlace(output);
                counts = ahead->result->counts;
            } else {
                ConvertHere(listener, input, [&](std::atomic<std::uint64_t>* bytesRead) {
                    counts = TryConvertFile(input, output, settings.conversion, bytesRead);
                });
            }
            namer_.WouldWrite(input, output);
            return;
        }
        if (ahead) {
            output = namer_.OutputPathIfFree(input, settings.outputFolder);
            if (ahead->result->output->CommitIfFree(output)) {
                // Told after the fact: a front end that refuses to hear it gets back the nothing that was
                // there before, as if the file had not been written.
                try {
                    listener.Progress({FileProgress::Stage::Writing, position, input, output, {}});
                } catch (...) {
                    ::unlink(output.c_str());
                    throw;
                }
                namer_.Written(inputId, ahead->result->outputId);
                counts = ahead->result->counts;
                return;
            }
            output.clear();
            chooseOutput(); // something is there: to be replaced, or to be kept under a name of its own
        }
        listener.Progress({FileProgress::Stage::Writing, position, input, output, {}});
        if (const auto aheadCounts = CommitAhead(namer_, ahead, output, inputId)) {
            counts = *aheadCounts;
        } else {
            FileStamp written;
            ConvertHere(listener, input, [&](std::atomic<std::uint64_t>* bytesRead) {
                counts = ConvertFile(input, output, settings.conversion, bytesRead, &written);
            });
            namer_.Written(IdOf(input), written);
        }
    });
    if (converted) {
        summary.counts += counts;
        step(BatchStep::Convert, [&] {
            listener.Progress({FileProgress::Stage::Converted, position, input, output, counts, replaced});
        });
    }
    return done(converted);
}

} // namespace brantlewick
