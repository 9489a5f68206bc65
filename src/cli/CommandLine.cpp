// SPDX-License-Identifier: GPL-3.0-or-later
// Argument parsing and the file loop of brantlewick-cli.
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
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

namespace brantlewick::cli {

namespace {

constexpr const char* kProgram = "brantlewick-cli";
constexpr const char* kStandardStream = "-";

// "--name=value" or "--name value" / "-x value"; advances `i` past what it used.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, std::size_t& i,
                                       const std::string& shortName, const std::string& longName,
                                       UsageError& error) {
    const std::string& argument = arguments[i];
    if (argument.starts_with(longName + "=")) {
        return argument.substr(longName.size() + 1);
    }
    if (argument != shortName && argument != longName) {
        return std::nullopt;
    }
    if (i + 1 >= arguments.size()) {
        error.message = "option " + argument + " needs a value";
        return std::nullopt;
    }
    return arguments[++i];
}

// More than any machine this runs on uses; a slip of the keyboard cannot start thousands of threads.
constexpr unsigned kMostJobs = 256;

bool ParseJobs(const std::string& text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMostJobs) {
        return false;
    }
    jobs = value;
    return true;
}

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

std::string UsageText() {
    return "Usage: brantlewick-cli [options] PATH...\n"
           "Adds line breaks after every sentence ending in each file and writes the result as a new file;\n"
           "the input files are never changed. A folder PATH stands for every file in it and in its\n"
           "sub-folders, except names beginning with \"~\" and writable dot-files. PATH \"-\" reads\n"
           "standard input and writes standard output.\n"
           "\n"
           "Options:\n"
           "  -n, --enters TEXT      line breaks to add after each sentence ending (default 1); a text\n"
           "                         that is not a positive number counts as 1; \".\" is the decimal\n"
           "                         point whatever the locale\n"
           "  -c, --char TEXT        a sentence ending; repeat for several, applied in the order given\n"
           "                         (default: \".\" \"!\" \"?\")\n"
           "      --sentences        break only where a sentence really ends: not inside numbers (3.14),\n"
           "                         after abbreviations (Dr., e.g.), in web or e-mail addresses; list\n"
           "                         items start on a line of their own, and every blank between two\n"
           "                         sentences goes\n"
           "      --language CODE    whose abbreviations and punctuation --sentences knows: en, de, fr,\n"
           "                         es, it, ru, nl, ja or zh (default: the locale's language, else en)\n"
           "      --lines CHOICE     the input's own line breaks: join (the lines run together; the\n"
           "                         default), keep (each is written back), or reflow (the lines of a\n"
           "                         paragraph are joined with a space, paragraphs stay apart by one\n"
           "                         empty line, list items keep their lines)\n"
           "  -o, --output-dir DIR   write the results into DIR under the input's own name\n"
           "      --beside           write each result beside its input as NAME-Pellnor.EXT (default)\n"
           "      --dry-run          read and convert every file, write nothing, and print one line per\n"
           "                         file on standard output: \"INPUT -> OUTPUT (N breaks, M spaces\n"
           "                         dropped)\", with \" (replaces an existing file)\" where it would;\n"
           "                         failures and exit status as a real run would have them\n"
           "  -j, --jobs N           convert N files at once (default: one per processor); names,\n"
           "                         results and messages are those of one at a time\n"
           "  -q, --quiet            no progress output and no summary\n"
           "  -v, --verbose          the same line per file as --dry-run, on standard error\n"
           "  -h, --help             show this help and exit\n"
           "  -V, --version          show the version and exit\n"
           "\n"
           "At the end a line on standard error sums the run up: files converted and failed, bytes in and\n"
           "out, breaks inserted and the time taken.\n"
           "Exit status: 0 when every file was converted, 1 when any failed, 2 for a usage error; 130,\n"
           "143 or 129 when SIGINT, SIGTERM or SIGHUP ended the run, leaving no temporary file.\n"
           "A result gets its input's permission bits less the umask.\n";
}

std::variant<Options, UsageError> ParseArguments(const std::vector<std::string>& arguments) {
    Options options;
    UsageError error;
    bool beside = false;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPaths || argument == kStandardStream || !argument.starts_with("-")) {
            options.paths.push_back(argument);
        } else if (argument == "--") {
            onlyPaths = true;
        } else if (argument == "-h" || argument == "--help") {
            options.showHelp = true;
        } else if (argument == "-V" || argument == "--version") {
            options.showVersion = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "-v" || argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "--beside") {
            beside = true;
        } else if (auto enters = OptionValue(arguments, i, "-n", "--enters", error)) {
            options.entersText = *enters;
        } else if (auto entry = OptionValue(arguments, i, "-c", "--char", error)) {
            if (entry->empty()) {
                return UsageError{"a sentence ending (-c) cannot be empty"};
            }
            options.entries.push_back(*entry);
        } else if (auto jobs = OptionValue(arguments, i, "-j", "--jobs", error)) {
            if (!ParseJobs(*jobs, options.jobs)) {
                return UsageError{"the number of jobs (-j) must be a whole number from 1 to " +
                                  std::to_string(kMostJobs)};
            }
        } else if (argument == "--sentences") {
            options.sentences = true;
        } else if (auto code = OptionValue(arguments, i, "--language", "--language", error)) {
            options.language = LanguageFromCode(*code);
            if (!options.language) {
                return UsageError{"--language " + *code + ": not one of en, de, fr, es, it, ru, nl, ja, zh",
                                  false};
            }
        } else if (auto choice = OptionValue(arguments, i, "--lines", "--lines", error)) {
            const std::optional<LineBreaks> lines = LineBreaksFromName(*choice);
            if (!lines) {
                return UsageError{"--lines " + *choice + ": not one of join, keep, reflow", false};
            }
            options.lines = *lines;
        } else if (auto folder = OptionValue(arguments, i, "-o", "--output-dir", error)) {
            if (folder->empty()) {
                return UsageError{"the output folder (-o) cannot be empty"};
            }
            options.outputFolder = *folder;
        } else if (!error.message.empty()) {
            return error;
        } else {
            return UsageError{"unknown option " + argument};
        }
    }
    if (beside && options.outputFolder) {
        return UsageError{"--beside and --output-dir exclude each other"};
    }
    if (options.quiet && options.verbose) {
        return UsageError{"--quiet and --verbose exclude each other"};
    }
    if (options.entries.empty()) {
        options.entries.assign(kDefaultEntries.begin(), kDefaultEntries.end());
    }
    if (options.paths.empty() && !options.showHelp && !options.showVersion) {
        return UsageError{"no file given"};
    }
    return options;
}

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
