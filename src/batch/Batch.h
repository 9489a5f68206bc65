// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run that the window and brantlewick-cli share: every listed file converted in turn into a
// result of its own. The run talks to its front end through one listener and never learns which one it
// serves: a window that lets its event loop run between steps and whose list may change meanwhile, or a
// command line with a fixed list.
#pragma once

#include "Conversion.h"
#include "OutputNaming.h"

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

// Where in the handling of one file a failure arose; a front end maps it onto its own report.
enum class BatchStep {
    Start,        // taking the inputs to protect, before the first file
    Pause,        // the yield before a file comes up
    ReadInput,    // asking for the input at the file's position
    ShowFile,     // the yield that lets the front end show the file in hand
    ChooseOutput, // asking for the file's settings and choosing its result's path
    ClearOutput,  // the yield before an old result is deleted, and the delete
    Convert,      // the conversion itself
};

// How one file is converted, as the front end's choices stand when the file comes up. The Enter count in
// `conversion` is not looked at: the batch's own holds for every file.
struct FileSettings {
    std::optional<std::string> outputFolder; // nothing: beside the input
    ConversionOptions conversion;
    friend bool operator==(const FileSettings&, const FileSettings&) = default;
};

struct FileProgress {
    enum class Stage {
        Started,   // the input is known
        Writing,   // the result's path is chosen and the conversion begins
        Converted, // the result is written
    };
    Stage stage;
    std::size_t position; // from 0
    std::string_view input;
    std::string_view output; // empty when Started
    // Converted only: what the conversion did, and whether a file was at the result's place before.
    ConversionCounts counts = {};
    bool replaced = false;
};

// What the run asks of its front end and tells it. The run calls it from one thread only. A call may throw:
// the failure is reported through Failure() under the step it was made in, and the run goes on.
class BatchListener {
public:
    virtual ~BatchListener() = default;

    // The input at `position` as the front end's list stands now; the empty path is passed over. Throws when
    // the position holds no entry any more.
    virtual std::string InputAt(std::size_t position) = 0;
    // Every input the list holds now. The run protects them all from being replaced by a result, and keeps
    // protecting whatever it was told once.
    virtual std::vector<std::string> Inputs() = 0;
    // The settings for the file now coming up (`input`). Throws when they cannot give a sound result.
    virtual FileSettings SettingsFor(const std::string& input) = 0;

    virtual void Progress(const FileProgress& /*progress*/) {}
    virtual void Failure(BatchStep step, std::string_view input, const std::exception& error) = 0;

    // Lets the front end do its own work (paint, take clicks) at the run's three pauses per file.
    virtual void Yield() {}
    // True once the run must end at once, for example because its window is closing.
    virtual bool MustStop() { return false; }
    // True when the list gained or changed an entry since the last call; the run then asks Inputs() again
    // before it deletes or writes anything.
    virtual bool ListChanged() { return false; }
    // Converts the file in hand by calling `convert`, which may take long: a front end may call it on a
    // thread of its own and meanwhile follow `bytesRead`, the input's bytes read so far. It returns, or
    // throws, what `convert` does, and only once `convert` is done.
    virtual void Convert(std::string_view /*input*/, const std::function<void()>& convert,
                         const std::atomic<std::uint64_t>& /*bytesRead*/) {
        convert();
    }
};

struct BatchSummary {
    std::size_t converted = 0;
    std::size_t failed = 0;  // files with at least one failure
    bool stopped = false;    // MustStop() ended the run early
    ConversionCounts counts; // of all files converted
};

// One batch: the Enter count is fixed for it, and whatever it protects or writes stays known to it, also
// across several runs. A dry run does all of it but the writing: it deletes and writes nothing, converts
// in memory, and names each result as if the earlier ones had been written.
//
// With more than one job, files further down the list are converted on worker threads while the run walks
// the list as it always does: every name is still chosen, every old result deleted and every event told
// in list order, so the files, names and messages are those of a run with one job. The listener is asked
// for the inputs and settings ahead of their turn: a front end whose list may change during the run
// (the window) keeps to one job. A file converted ahead is converted again in its turn whenever its input,
// settings or folder changed meanwhile or its conversion failed.
class Batch {
public:
    explicit Batch(int enterCount, bool dryRun = false, unsigned jobs = 1);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Converts the files at positions 0 to count - 1, each as the listener answers for it when it comes up.
    BatchSummary Run(BatchListener& listener, std::size_t count);

private:
    // Converts the file at `position`; false when the run must stop.
    bool ConvertAt(BatchListener& listener, std::size_t position, BatchSummary& summary);
    // Protects what the list holds now if it changed since the last look; true when it did.
    bool CatchUpWithTheList(BatchListener& listener);
    // Hands the workers the files up to a few beyond `position`.
    void LookAhead(BatchListener& listener, std::size_t position, std::size_t count);
    // The front end's settings for `input`, with the batch's Enter count.
    FileSettings SettingsFor(BatchListener& listener, const std::string& input) const;

    int enterCount_;
    bool dryRun_;
    unsigned jobs_;
    OutputNamer namer_;
    // The list changed and its inputs are not protected yet.
    bool listAhead_ = false;
    // While a run with several jobs goes on: its workers, and the first position not handed to them.
    std::unique_ptr<ConversionPool> pool_;
    std::size_t nextAhead_ = 0;
    // The run chose a result's name under which something was found already, to be replaced.
    bool replacedAny_ = false;
};

} // namespace brantlewick
