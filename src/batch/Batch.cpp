// The batch run: the steps of each file, the protection of inputs and results, the conversion call.
#include "Batch.h"

#include "PathHelpers.h"

#include <unistd.h>

#include <stdexcept>

namespace brantlewick {
namespace {

// Runs one step of a file. A failure goes to the listener and marks the file; the caller goes on with its
// next step, as a trapped procedure goes on with its next line.
template <typename Action>
bool Attempt(BatchListener& listener, BatchStep step, std::string_view input, bool& failed, Action&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        listener.Failure(step, input, error);
    } catch (...) {
        listener.Failure(step, input, std::runtime_error("Unexpected error"));
    }
    failed = true;
    return false;
}

// Never reports: a file that cannot be deleted makes the write fail, and that is reported. Its mode is left
// alone: on POSIX it does not decide whether a file can be deleted, so making the file writable first
// would only change a file that then stays.
void DeleteOldOutput(const std::string& path) noexcept {
    if (!path.empty()) {
        ::unlink(path.c_str());
    }
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
    bool failed = false;
    // Nothing is converted unprotected: without the inputs there is no run.
    const bool started = Attempt(listener, BatchStep::Start, {}, failed, [&] {
        listener.ListChanged(); // what happened before this run is in the answer below
        namer_.Protect(listener.Inputs());
        listAhead_ = false;
    });
    summary.stopped = listener.MustStop();
    for (std::size_t position = 0; started && !summary.stopped && position < count; ++position) {
        summary.stopped = !ConvertAt(listener, position, summary);
    }
    return summary;
}

bool Batch::ConvertAt(BatchListener& listener, std::size_t position, BatchSummary& summary) {
    bool failed = false;
    bool converted = false;
    const auto done = [&](bool goOn) {
        summary.converted += converted ? 1 : 0;
        summary.failed += failed ? 1 : 0;
        return goOn;
    };
    // Asked after every step that may have let the front end run (a yield, or a failure it was shown).
    const auto stopping = [&] { return listener.MustStop(); };

    Attempt(listener, BatchStep::Pause, {}, failed, [&] { listener.Yield(); });
    if (stopping()) {
        return done(false);
    }
    std::string input;
    const bool known =
        Attempt(listener, BatchStep::ReadInput, {}, failed, [&] { input = listener.InputAt(position); });
    if (stopping() || !known) {
        return done(!stopping());
    }
    Attempt(listener, BatchStep::ShowFile, input, failed, [&] {
        listener.Progress({FileProgress::Stage::Started, position, input, {}});
        listener.Yield();
    });
    if (stopping() || input.empty()) {
        return done(!stopping());
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
    const bool chosen = Attempt(listener, BatchStep::ChooseOutput, input, failed, [&] {
        CatchUpWithTheList(listener);
        settings = listener.SettingsFor(input);
        chooseOutput();
    });
    if (stopping() || !chosen) {
        return done(!stopping());
    }
    // A file added to the list during any pause is an input like the others: before the delete and again
    // before the write, a result that would now replace one is given a free name instead.
    Attempt(listener, BatchStep::ClearOutput, input, failed, [&] { listener.Yield(); });
    if (stopping()) {
        return done(false);
    }
    Attempt(listener, BatchStep::ClearOutput, input, failed, [&] {
        if (CatchUpWithTheList(listener)) {
            chooseOutput();
        }
        if (!dryRun_) {
            DeleteOldOutput(output);
        }
    });
    if (stopping()) {
        return done(false);
    }
    ConversionCounts counts;
    converted = Attempt(listener, BatchStep::Convert, input, failed, [&] {
        if (CatchUpWithTheList(listener)) {
            chooseOutput();
        }
        listener.Progress({FileProgress::Stage::Writing, position, input, output});
        const ConversionOptions options{settings.entries, enterCount_, LineBreaks::Join};
        if (dryRun_) {
            counts = TryConvertFile(input, output, options);
            namer_.WouldWrite(input, output);
        } else {
            counts = ConvertFile(input, output, options);
            namer_.Written(input, output);
        }
    });
    if (converted) {
        Attempt(listener, BatchStep::Convert, input, failed, [&] {
            listener.Progress({FileProgress::Stage::Converted, position, input, output, counts, replaced});
        });
    }
    return done(!stopping());
}

} // namespace brantlewick
