// SPDX-License-Identifier: GPL-3.0-or-later
// The file loop of brantlewick-cli; its options are read in OptionTable.cpp.
#include "CommandLine.h"

#include "Batch.h"
#include "EngineError.h"
#include "EnterCount.h"
#include "FileSystem.h"
#include "FolderScan.h"
#include "LineFile.h"
#include "PathHelpers.h"

#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

namespace brantlewick::cli {

namespace {

constexpr const char* kProgram = "brantlewick-cli";
constexpr const char* kStandardStream = "-";

// The processors this process may run on.
unsigned ProcessorCount() {
    cpu_set_t allowed;
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        return static_cast<unsigned>(std::max(CPU_COUNT(&allowed), 1));
    }
    return std::max(std::thread::hardware_concurrency(), 1u);
}

// A dry run reads standard input and writes nothing to standard output.
ConversionCounts ConvertStandardStreams(const ConversionOptions& conversion, const Options& options,
                                        const Streams& streams) {
    InputFile input(streams.standardInput, "standard input");
    return ConvertStream(input, conversion, [&](std::string_view bytes) {
        if (!options.dryRun) {
            WriteAll(streams.standardOutput, bytes, "standard output");
        }
    });
}

// What a run did, for the line that sums it up.
struct Totals {
    std::size_t converted = 0;
    std::size_t failed = 0;
    ConversionCounts counts;

    void Add(const ConversionCounts& more) {
        ++converted;
        counts += more;
    }
};

// "INPUT -> OUTPUT (N breaks, M spaces dropped)", and whether a file at OUTPUT would be replaced.
std::string ResultLine(std::string_view input, std::string_view output, const ConversionCounts& counts,
                       bool replaced) {
    return std::string(input) + " -> " + std::string(output) + " (" + std::to_string(counts.breaksInserted) +
           " breaks, " + std::to_string(counts.spacesDropped) + " spaces dropped)" +
           (replaced ? " (replaces an existing file)" : "") + "\n";
}

std::string Counted(std::uint64_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

void PrintSummary(const Totals& totals, bool dryRun, double seconds, std::ostream& errors) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", seconds);
    errors << kProgram << ": " << (dryRun ? "dry run, nothing written: " : "")
           << Counted(totals.converted, "file") << " converted, " << totals.failed << " failed, "
           << Counted(totals.counts.bytesIn, "byte") << " in, " << Counted(totals.counts.bytesOut, "byte")
           << " out, " << Counted(totals.counts.breaksInserted, "break") << " inserted, " << time << '\n';
}

// The per-file line: on standard output for a dry run, whose report it is; with --verbose, on standard
// error beside the failures, since standard output may carry a converted standard input.
void ReportResult(const std::string& line, const Options& options, const Streams& streams) {
    if (options.dryRun) {
        WriteAll(streams.standardOutput, line, "standard output");
    } else if (options.verbose) {
        streams.errors << line;
    }
}

void ReportFailure(std::ostream& errors, std::string_view path, const std::exception& failure) {
    const auto* engineError = dynamic_cast<const EngineError*>(&failure);
    errors << kProgram << ": " << path << ": " << (engineError ? engineError->Reason() : failure.what())
           << '\n';
}

// The inputs the arguments stand for, in order: a folder is replaced by its files, collected as a folder
// dropped on the window is. The scan passes over unreadable folders without a word; a folder the user
// named that gives nothing is explained here. Returns how many named folders could not be read.
std::size_t ExpandFolders(const std::vector<std::string>& paths, std::vector<std::string>& inputs,
                          std::ostream& errors) {
    std::size_t unread = 0;
    for (const std::string& path : paths) {
        if (path == kStandardStream || !IsFolder(path)) {
            inputs.push_back(path);
            continue;
        }
        try {
            std::vector<std::string> files = CollectFolderFiles(WithoutTrailingSeparators(path), "*.*");
            if (files.empty()) {
                ListSubFolderNames(path); // throws the reason when the folder cannot be read
                errors << kProgram << ": " << path << ": no files in this folder\n";
            }
            inputs.insert(inputs.end(), std::make_move_iterator(files.begin()),
                          std::make_move_iterator(files.end()));
        } catch (const std::exception& failure) {
            ReportFailure(errors, path, failure);
            ++unread;
        }
    }
    return unread;
}

// The files of the command line, handed to the batch run one stretch at a time: a "-" between them is
// converted by the command line itself, in its place.
class FileArguments final : public BatchListener {
public:
    FileArguments(const std::vector<std::string>& inputs, const Options& options, const Streams& streams,
                  const ConversionOptions& conversion)
        : inputs_(inputs), options_(options), streams_(streams), conversion_(conversion) {
        for (const std::string& input : inputs) {
            if (input != kStandardStream) {
                files_.push_back(input);
            }
        }
    }

    // The stretch of inputs that starts at `first`.
    void StartAt(std::size_t first) { first_ = first; }

    std::string InputAt(std::size_t position) override { return inputs_.at(first_ + position); }
    std::vector<std::string> Inputs() override { return files_; }
    FileSettings SettingsFor(const std::string& /*input*/) override {
        return {options_.outputFolder, conversion_};
    }
    void Progress(const FileProgress& progress) override {
        if (progress.stage == FileProgress::Stage::Converted) {
            totals.Add(progress.counts);
            ReportResult(ResultLine(progress.input, progress.output, progress.counts, progress.replaced),
                         options_, streams_);
        } else if (progress.stage == FileProgress::Stage::Writing && streams_.showProgress &&
                   !options_.quiet && !options_.verbose && !options_.dryRun) {
            streams_.errors << '[' << (first_ + progress.position + 1) << '/' << inputs_.size() << "] "
                            << progress.input << " -> " << progress.output << '\n';
        }
    }
    void Failure(BatchStep /*step*/, std::string_view input, const std::exception& error) override {
        ReportFailure(streams_.errors, input, error);
    }

    Totals totals;

private:
    const std::vector<std::string>& inputs_;
    const Options& options_;
    const Streams& streams_;
    const ConversionOptions& conversion_;
    std::vector<std::string> files_;
    std::size_t first_ = 0;
};

} // namespace

int Run(const Options& options, const Streams& streams) {
    int enterCount = 1;
    try {
        enterCount = EnterCountFromText(options.entersText);
    } catch (const EnterCountOverflow&) {
        streams.errors << kProgram << ": --enters " << options.entersText
                       << ": too large (at most 32767 line breaks)\n";
        return kUsageProblem;
    }
    if (options.outputFolder && !IsFolder(*options.outputFolder)) {
        streams.errors << kProgram << ": " << *options.outputFolder << ": the output folder does not exist\n";
        return kUsageProblem;
    }

    const auto started = std::chrono::steady_clock::now();
    const ConversionOptions conversion{options.entries, enterCount, options.lines, options.sentences,
                                       options.language.value_or(UserLanguage())};
    std::vector<std::string> inputs;
    const std::size_t unread = ExpandFolders(options.paths, inputs, streams.errors);
    // Built once the list is complete: it protects every input from the results.
    FileArguments files(inputs, options, streams, conversion);
    Totals& totals = files.totals;
    totals.failed = unread;
    Batch batch(enterCount, options.dryRun, options.jobs != 0 ? options.jobs : ProcessorCount());
    for (std::size_t first = 0; first < inputs.size();) {
        if (inputs[first] == kStandardStream) {
            try {
                const ConversionCounts counts = ConvertStandardStreams(conversion, options, streams);
                totals.Add(counts);
                ReportResult(ResultLine(kStandardStream, kStandardStream, counts, false), options, streams);
            } catch (const std::exception& failure) {
                ReportFailure(streams.errors, inputs[first], failure);
                ++totals.failed;
            }
            ++first;
            continue;
        }
        std::size_t end = first;
        while (end < inputs.size() && inputs[end] != kStandardStream) {
            ++end;
        }
        files.StartAt(first);
        totals.failed += batch.Run(files, end - first).failed;
        first = end;
    }
    if (!options.quiet) {
        PrintSummary(totals, options.dryRun,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                     streams.errors);
    }
    return totals.failed > 0 ? kSomeFailed : kAllConverted;
}

} // namespace brantlewick::cli
