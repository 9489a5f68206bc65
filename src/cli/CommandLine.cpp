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
#include "Utf8.h"

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

// Whether a character would break a line or reach the terminal as a command, as `ls` tells: control
// characters, the line and paragraph separators, and bytes that are not UTF-8.
bool IsUnprintable(char32_t c) {
    return c == utf8::kInvalid || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

void AppendEscaped(std::string& shown, unsigned char byte) {
    static constexpr char kLetters[] = "abtnvfr"; // bytes 7 to 13
    if (byte >= 7 && byte <= 13) {
        shown += '\\';
        shown += kLetters[byte - 7];
        return;
    }
    const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                          static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
    shown.append(octal, sizeof octal);
}

// A name as `ls` shows it: unchanged when every character is printable, else quoted for the shell with
// the unprintable ones written as $'\n' escapes, so that one file is always one line and no escape
// sequence reaches the terminal.
std::string ShownName(std::string_view name) {
    bool printable = true;
    for (std::size_t pos = 0; printable && pos < name.size();) {
        printable = !IsUnprintable(utf8::Next(name, pos));
    }
    if (printable) {
        return std::string(name);
    }
    std::string shown = "'";
    bool escaping = false; // inside $'...'
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t start = pos;
        const char32_t c = utf8::Next(name, pos);
        if (IsUnprintable(c)) {
            shown += escaping ? "" : "'$'";
            escaping = true;
            for (std::size_t i = start; i < pos; ++i) {
                AppendEscaped(shown, static_cast<unsigned char>(name[i]));
            }
            continue;
        }
        shown += escaping ? "''" : "";
        escaping = false;
        shown += c == U'\'' ? std::string_view("'\\''") : name.substr(start, pos - start);
    }
    return shown + "'";
}

// "INPUT -> OUTPUT (N breaks, M spaces dropped)", and whether a file at OUTPUT would be replaced.
std::string ResultLine(const FileResult& file) {
    return ShownName(file.input) + " -> " + ShownName(file.output) + " (" +
           std::to_string(file.counts.breaksInserted) + " breaks, " +
           std::to_string(file.counts.spacesDropped) + " spaces dropped)" +
           (file.replaces ? " (replaces an existing file)" : "") + "\n";
}

std::string Counted(std::uint64_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

void PrintSummary(const BatchSummary& summary, bool dryRun, double seconds, std::ostream& errors) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", seconds);
    errors << kProgram << ": " << (dryRun ? "dry run, nothing written: " : "")
           << Counted(summary.converted, "file") << " converted, " << summary.failed << " failed, "
           << Counted(summary.counts.bytesIn, "byte") << " in, " << Counted(summary.counts.bytesOut, "byte")
           << " out, " << Counted(summary.counts.breaksInserted, "break") << " inserted, " << time << '\n';
}

void ReportFailure(std::ostream& errors, std::string_view path, const std::exception& failure) {
    const auto* engineError = dynamic_cast<const EngineError*>(&failure);
    errors << kProgram << ": " << ShownName(path) << ": "
           << (engineError ? engineError->Reason() : failure.what()) << '\n';
}

// The inputs the arguments stand for, in order: a folder is replaced by its files, collected as a folder
// dropped on the window is. The scan passes over unreadable folders without a word; a folder the user
// named that gives nothing is explained here, and so is every folder left out for its depth, which the
// user could not tell from one left out because it is empty. Returns how many named folders could not be
// read.
std::size_t ExpandFolders(const std::vector<std::string>& paths, std::vector<std::string>& inputs,
                          std::ostream& errors) {
    ScanHooks hooks;
    hooks.leftOutTooDeep = [&errors](const std::string& folder) {
        errors << kProgram << ": " << ShownName(folder)
               << ": left out, with everything in it: its path is 260 characters or longer\n";
    };
    std::size_t unread = 0;
    for (const std::string& path : paths) {
        if (path == kStandardStreams || !IsFolder(path)) {
            inputs.push_back(path);
            continue;
        }
        try {
            std::vector<std::string> files =
                CollectFolderFiles(WithoutTrailingSeparators(path), "*.*", hooks);
            if (files.empty()) {
                ListSubFolderNames(path); // throws the reason when the folder cannot be read
                errors << kProgram << ": " << ShownName(path) << ": no files in this folder\n";
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

// The command line as the batch run's front end: a fixed list and one set of settings, a line for each
// file (on a terminal as it is written; with --verbose and --dry-run once it is converted) and one for
// each failure. It never ends a run early.
class CommandLineRun final : public BatchSource, public BatchSink {
public:
    CommandLineRun(const std::vector<std::string>& inputs, const FileSettings& settings,
                   const Options& options, const Streams& streams)
        : inputs_(inputs), settings_(settings), options_(options), streams_(streams) {}

    std::string InputAt(std::size_t position) override { return inputs_.at(position); }
    std::vector<std::string> Inputs() override { return inputs_; }
    FileSettings SettingsFor(const std::string& /*input*/) override { return settings_; }

    bool FileWriting(const FileResult& file) override {
        if (streams_.showProgress && !options_.quiet && !options_.verbose && !options_.dryRun) {
            streams_.errors << '[' << (file.position + 1) << '/' << inputs_.size() << "] "
                            << ShownName(file.input) << " -> " << ShownName(file.output) << '\n';
        }
        return true;
    }
    // The line of a dry run is its report, on standard output: a file whose line cannot be written there
    // fails. With --verbose it goes to standard error beside the failures, since standard output may
    // carry a converted standard input.
    bool FileConverted(const FileResult& file) override {
        if (options_.dryRun) {
            try {
                WriteAll(streams_.standardOutput, ResultLine(file), "standard output");
            } catch (const EngineError& error) {
                throw EngineError({}, "cannot write its line to standard output: " +
                                          SystemErrorText(error.SystemError()));
            }
        } else if (options_.verbose) {
            streams_.errors << ResultLine(file);
        }
        return true;
    }
    bool FileFailed(BatchStep /*step*/, std::string_view input, const std::exception& error) override {
        ReportFailure(streams_.errors, input, error);
        return true;
    }

private:
    const std::vector<std::string>& inputs_;
    const FileSettings& settings_;
    const Options& options_;
    const Streams& streams_;
};

} // namespace

std::string UsageText() {
    return "Usage: brantlewick-cli [options] PATH...\n"
           "Adds line breaks after every sentence ending in each file and writes the result as a new file;\n"
           "the input files are never changed. A folder PATH stands for every file in it and in its\n"
           "sub-folders, except names beginning with \"~\", writable dot-files and what lies below a folder\n"
           "path of 260 characters or more (each such folder is named on standard error). PATH \"-\" reads\n"
           "standard input and writes standard output. A name holding control characters or bytes that\n"
           "are not UTF-8 is shown quoted as ls shows it.\n"
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
           "Exit status: 0 when every file was converted, 1 when any failed, 2 for a usage error.\n";
}

std::variant<Options, UsageError> ParseArguments(const std::vector<std::string>& arguments) {
    Options options;
    UsageError error;
    bool beside = false;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyPaths || argument == kStandardStreams || !argument.starts_with("-")) {
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
        streams.errors << kProgram << ": " << ShownName(*options.outputFolder)
                       << ": the output folder does not exist\n";
        return kUsageProblem;
    }

    const auto started = std::chrono::steady_clock::now();
    const FileSettings settings{options.outputFolder,
                                {options.entries, enterCount, options.lines, options.sentences,
                                 options.language.value_or(UserLanguage())}};
    std::vector<std::string> inputs;
    const std::size_t unread = ExpandFolders(options.paths, inputs, streams.errors);
    CommandLineRun run(inputs, settings, options, streams);
    BatchScheduler noPauses;
    Batch batch(BatchOptions{options.dryRun, options.jobs != 0 ? options.jobs : ProcessorCount(),
                             BatchOptions::Streams{streams.standardInput, streams.standardOutput}});
    BatchSummary summary = batch.Run({run, run, noPauses}, inputs.size());
    summary.failed += unread;
    if (!options.quiet) {
        PrintSummary(summary, options.dryRun,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                     streams.errors);
    }
    return summary.failed > 0 ? kSomeFailed : kAllConverted;
}

} // namespace brantlewick::cli
