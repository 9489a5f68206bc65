// SPDX-License-Identifier: GPL-3.0-or-later
// Converting the files ahead of a batch run on worker threads. A file converted ahead waits, complete, as a
// temporary file in the folder its result goes to; the run, reaching the file in list order, decides the
// name as it always does and only gives the file that name. Nothing here chooses a name, deletes or replaces
// a file, so a run with workers leaves exactly what a run without them does.
#pragma once

#include "brantlewick/batch/FileSettings.h"
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/filesystem/FileSystem.h"

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace brantlewick {

struct AheadJob {
    std::string input;
    std::string plainOutput; // the result's path before any suffix: the temporary file goes beside it
    FileSettings settings;
    bool dryRun = false; // converted to nothing: only the counts are kept
};

struct AheadResult {
    std::unique_ptr<SafeOutputFile> output; // finished, not committed; none in a dry run
    FileId inputId;                         // the file that was read
    FileStamp outputId;                     // the result, also once it is renamed
    ConversionCounts counts;
};

// A job and what came of it: no result when it failed (the run converts the file again in its turn, and
// reports the failure then) or was never added.
struct AheadConversion {
    AheadJob job;
    std::optional<AheadResult> result;
};

// A file converted ahead mostly waits without a name; where the file system cannot make a file without one,
// or the process runs short of open files, it waits under a temporary name, which a killed run would leave
// behind. The pool keeps those few: no file is begun ahead while the finished ones that wait under a name
// and the ones being converted are as many as the jobs (the taking thread's own file, converted as it is
// taken, may make one more), so that their number grows with the jobs and never with the files.
class ConversionPool {
public:
    // `workers` threads besides the one that takes the results (fewer if the system grants fewer).
    explicit ConversionPool(unsigned workers);
    // Queued jobs are dropped, running ones finished; every result not taken is removed.
    ~ConversionPool();
    ConversionPool(const ConversionPool&) = delete;
    ConversionPool& operator=(const ConversionPool&) = delete;

    // Queues jobs, each under a key of its own.
    void Add(std::vector<std::pair<std::size_t, AheadJob>>&& jobs);
    // The job under `key` once done: run here if no worker has begun it, else waited for while this thread
    // does the queued jobs. Nothing when no job was added under `key`.
    std::optional<AheadConversion> Take(std::size_t key);
    // Drops every job not taken, after the running ones are done, so that the temporary files of those
    // converted go and the disk space they held is free again; the run converts them in their turn.
    // Answers whether any of them held a result.
    bool GiveBackSpace();

private:
    enum class State { Queued, Running, Done };
    struct Slot {
        AheadConversion conversion;
        State state = State::Queued;
    };
    using Slots = std::map<std::size_t, Slot>;

    void Work();
    // Runs the first queued job, the lock released meanwhile; false when none is queued, or when the
    // files that wait under a name leave no room for another.
    bool RunQueued(std::unique_lock<std::mutex>& lock);
    void Run(Slots::iterator slot, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable queued_; // a job was added, or the pool stops
    std::condition_variable done_;   // a job finished
    Slots slots_;                    // in list order: the nearest job is begun first
    bool stopping_ = false;
    std::size_t running_ = 0;
    std::size_t named_ = 0; // finished, not taken, waiting under a temporary name
    std::size_t jobs_;      // the workers and the thread that takes the results
    std::vector<std::thread> workers_;
};

} // namespace brantlewick
