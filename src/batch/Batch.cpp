// The batch run: the steps of each file, the protection of inputs and results, the conversion call.
#include "Batch.h"

#include "PathHelpers.h"

#include <unistd.h>

#include <stdexcept>

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

void Add(ConversionCounts& total, const ConversionCounts& more) {
    total.breaksInserted += more.breaksInserted;
    total.spacesDropped += more.spacesDropped;
    total.linesIn += more.linesIn;
    total.linesOut += more.linesOut;
    total.bytesIn += more.bytesIn;
    total.bytesOut += more.bytesOut;
}

// Never reports: a file that cannot be deleted makes the write fail, and that is reported. Its mode is left
// alone: on POSIX it does not decide whether a file can be deleted, so making the file writable first
// would only change a file that then stays.
void DeleteOldOutput(const std::string& path) noexcept {
    ::unlink(path.c_str());
}

} // namespace

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
    BatchSummary summary;
    // Nothing is converted unprotected: without the inputs there is no run.
    const bool started = Attempt(listener, BatchStep::Start, {}, [&] {
        listener.ListChanged(); // what happened before this run is in the answer below
        namer_.Protect(listener.Inputs());
    });
    for (std::size_t position = 0; started && position < count; ++position) {
        if (listener.MustStop() || !ConvertAt(listener, position, summary)) {
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
    // Whether a file was there is asked before the old result is deleted, and again only for a new name.
    const auto chooseOutput = [&] {
        std::string chosen = namer_.OutputPathFor(input, settings.outputFolder);
        if (chosen != output) {
            output = std::move(chosen);
            replaced = PathExists(output) || (dryRun_ && namer_.WouldExist(output));
        }
    };
    const bool chosen = step(BatchStep::ChooseOutput, [&] {
        CatchUpWithTheList(listener);
        settings = listener.SettingsFor(input);
        settings.conversion.enterCount = enterCount_;
        chooseOutput();
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
        if (CatchUpWithTheList(listener)) {
            chooseOutput();
        }
        if (!dryRun_) {
            DeleteOldOutput(output);
        }
    });
    if (listener.MustStop()) {
        return done(false);
    }
    ConversionCounts counts;
    const bool converted = step(BatchStep::Convert, [&] {
        if (CatchUpWithTheList(listener)) {
            chooseOutput();
        }
        listener.Progress({FileProgress::Stage::Writing, position, input, output, {}});
        if (dryRun_) {
            counts = TryConvertFile(input, output, settings.conversion);
            namer_.WouldWrite(input, output);
        } else {
            counts = ConvertFile(input, output, settings.conversion);
            namer_.Written(input, output);
        }
    });
    if (converted) {
        Add(summary.counts, counts);
        step(BatchStep::Convert, [&] {
            listener.Progress({FileProgress::Stage::Converted, position, input, output, counts, replaced});
        });
    }
    return done(converted);
}

} // namespace brantlewick
