// SPDX-License-Identifier: GPL-3.0-or-later
// The file loop of brantlewick-cli; its options are read in OptionTable.cpp.
#include "brantlewick/cli/CommandLine.h"

#include "UnifiedDiff.h"
#include "brantlewick/base/Utf8.h"
#include "brantlewick/batch/Batch.h"
#include "brantlewick/engine/EnterCount.h"
#include "brantlewick/filelist/FolderScan.h"
#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/filesystem/FileSystem.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>
#include <unordered_set>

namespace brantlewick::cli {

namespace {

constexpr const char* kProgram = "brantlewick-cli";

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

// Whether a character means the same to the shell inside double quotes as it does written plainly, as ls
// tells it: the only others a name with a "'" may hold to be shown in double quotes.
bool IsPlainInDoubleQuotes(char32_t c) {
    constexpr std::u32string_view kPunctuation = U" %'+,-./:@]_";
    return c >= 0x80 || (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
           kPunctuation.find(c) != std::u32string_view::npos;
}

// A name quoted for the shell, the unprintable characters written as $'\n' escapes.
std::string SingleQuoted(std::string_view name) {
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
        if (c == U'\'') {
            shown += "'\\''"; // ends the quotes, $'...' as well, and opens them again after it
        } else {
            shown += escaping ? "''" : "";
            shown += name.substr(start, pos - start);
        }
        escaping = false;
    }
    return shown + "'";
}

// A name as `ls --quoting-style=shell-escape-always` shows it where it has to be quoted: where it holds an
// unprintable character, so that one file is always one line and no escape sequence reaches the terminal,
// or a "'" or "$", so that no name reads as another's quoted form. Any other name is shown as it is.
std::string ShownName(std::string_view name) {
    bool printable = true;
    bool apostrophe = false;
    bool dollar = false;
    bool plainInDoubleQuotes = true;
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = utf8::Next(name, pos);
        printable = printable && !IsUnprintable(c);
        apostrophe = apostrophe || c == U'\'';
        dollar = dollar || c == U'$';
        plainInDoubleQuotes = plainInDoubleQuotes && IsPlainInDoubleQuotes(c);
    }
    if (printable && !apostrophe && !dollar) {
        return std::string(name);
    }
    if (printable && apostrophe && plainInDoubleQuotes) {
        return "\"" + std::string(name) + "\"";
    }
    return SingleQuoted(name);
}

// "INPUT -> OUTPUT (N breaks, M spaces dropped)", and whether a file at OUTPUT would be replaced.
std::string ResultLine(const std::string& shownInput, const FileResult& file) {
    return shownInput + " -> " + ShownName(file.output) + " (" + std::to_string(file.counts.breaksInserted) +
           " breaks, " + std::to_string(file.counts.spacesDropped) + " spaces dropped)" +
           (file.replaces ? " (replaces an existing file)" : "") + "\n";
}

std::string Counted(std::uint64_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

void PrintSummary(const BatchSummary& summary, const Options& options, std::size_t changes, double seconds,
                  std::ostream& errors) {
    char time[32];
    std::snprintf(time, sizeof time, "%.2f s", seconds);
    if (options.check) {
        errors << kProgram << ": check, nothing written: " << changes << " of "
               << Counted(summary.converted, "file") << " would change, " << summary.failed << " failed, "
               << time << '\n';
        return;
    }
    errors << kProgram << ": " << (options.dryRun ? "dry run, nothing written: " : "")
           << Counted(summary.converted, "file") << " converted"
           << (options.inPlace ? " in place (" + std::to_string(changes) + " changed)" : "") << ", "
           << summary.failed << " failed, " << Counted(summary.counts.bytesIn, "byte") << " in, "
           << Counted(summary.counts.bytesOut, "byte") << " out, "
           << Counted(summary.counts.breaksInserted, "break") << " inserted, " << time << '\n';
}

std::string ReadWhole(const std::string& path) {
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    InputFile file(path);
    std::string bytes;
    std::size_t got = 0;
    do {
        const std::size_t size = bytes.size();
        bytes.resize(size + kChunk);
        got = file.Read(bytes.data() + size, kChunk);
        bytes.resize(size + got);
    } while (got > 0);
    return bytes;
}

// The file as it is and as it would be converted, as a unified diff. The check only tells whether they
// differ: a second reading, under the options the check had, gives the bytes.
std::string DiffOf(const std::string& path, const ConversionOptions& options) {
    std::string after;
    InputFile input(path);
    ConvertStream(input, options, [&after](std::string_view bytes) { after += bytes; });
    return UnifiedDiff(ReadWhole(path), after, path);
}

void ReportFailure(std::ostream& errors, std::string_view path, const std::exception& failure) {
    const auto* engineError = dynamic_cast<const EngineError*>(&failure);
    errors << kProgram << ": " << ShownName(path) << ": "
           << (engineError ? engineError->Reason() : failure.what()) << '\n';
}

// Tells what the scan of the folder `path` passed over; returns how many sub-folders that a check could not
// read failed.
std::size_t TellPassedOver(const std::string& path, const FolderFiles& found, bool checking,
                           std::ostream& errors) {
    for (const std::string& folder : found.tooDeep) {
        errors << kProgram << ": " << ShownName(folder)
               << ": left out, with everything in it: its path is 260 characters or longer\n";
    }
    std::size_t unread = 0;
    if (checking) {
        for (const auto& [folder, reason] : found.unreadable) {
            errors << kProgram << ": " << ShownName(folder) << ": " << reason
                   << "; its files are not checked\n";
            ++unread;
        }
    }
    const std::vector<std::string>& leftOut = found.resultsLeftOut;
    if (!leftOut.empty()) {
        errors << kProgram << ": " << ShownName(path) << ": left out " << Counted(leftOut.size(), "file")
               << " named as the result of a file beside it (such as " << ShownName(leftOut.front())
               << "); --include-results takes them too\n";
    } else if (found.files.empty()) {
        CheckFolderListable(path);
        errors << kProgram << ": " << ShownName(path) << ": no files in this folder\n";
    }
    return unread;
}

// The inputs the arguments stand for, in order: a folder is replaced by its files, collected as a folder
// dropped on the window is. The scan passes over unreadable folders without a word; a folder the user
// named that gives nothing is explained here, and so is every folder left out for its depth, which the
// user could not tell from one left out because it is empty, and the results of an earlier run that the
// folder holds beside their inputs. A check cannot pass over files it did not see: with `checking`, each
// sub-folder that cannot be read fails. Returns how many folders failed.
std::size_t ExpandFolders(const std::vector<std::string>& paths, bool includeResults, bool checking,
                          std::vector<std::string>& inputs, std::ostream& errors) {
    std::size_t unread = 0;
    ScanHooks hooks;
    hooks.keepResults = includeResults;
    hooks.listTooDeep = true;
    for (const std::string& path : paths) {
        if (path == kStandardStreams) {
            inputs.push_back(path);
            continue;
        }
        try {
            std::optional<FolderFiles> found = FilesOfFolder(path, hooks);
            if (!found) {
                inputs.push_back(path);
                continue;
            }
            unread += TellPassedOver(path, *found, checking, errors);
            std::vector<std::string>& files = found->files;
            inputs.insert(inputs.end(), std::make_move_iterator(files.begin()),
                          std::make_move_iterator(files.end()));
        } catch (const std::exception& failure) {
            ReportFailure(errors, path, failure);
            ++unread;
        }
    }
    return unread;
}

// One file named twice, however spelled (a folder and a file in it, "./a.txt", a hard link), is one input,
// the first: converted twice, it would get its breaks twice in place. In place, and so in the check that
// tells what in place would do, a symbolic link is an input of its own, refused as such, so that the file
// it leads to is still converted where it is named too.
void KeepEachFileOnce(std::vector<std::string>& inputs, bool linksApart) {
    std::unordered_set<FileId, FileIdHash> seen;
    std::erase_if(inputs, [&](const std::string& input) {
        struct stat info {};
        const int found = input == kStandardStreams ? -1
                          : linksApart              ? ::lstat(input.c_str(), &info)
                                                    : ::stat(input.c_str(), &info);
        return found == 0 && !seen.insert(FileId{info.st_dev, info.st_ino}).second;
    });
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
    FileSettings SettingsFor(const std::string& input) override {
        // Standard input has the format of the file it stands for.
        if (input == kStandardStreams && options_.stdinName && settings_.formatByName) {
            FileSettings settings = settings_;
            settings.conversion.format = TextFormatOfFile(*options_.stdinName);
            settings.formatByName = false;
            return settings;
        }
        return settings_;
    }

    bool FileWriting(const FileResult& file) override {
        if (streams_.showProgress && !options_.quiet && !options_.verbose && !options_.dryRun &&
            !options_.check) {
            streams_.errors << '[' << (file.position + 1) << '/' << inputs_.size() << "] "
                            << Shown(file.input) << " -> " << ShownName(file.output) << '\n';
        }
        return true;
    }
    // The line of a dry run is its report, on standard output: a file whose line cannot be written there
    // fails. With --verbose it goes to standard error beside the failures, since standard output may
    // carry a converted standard input.
    bool FileConverted(const FileResult& file) override {
        changes_ += file.changes ? 1 : 0;
        if (options_.check) {
            // The list is the check's report, as a dry run's lines are.
            if (file.changes) {
                const std::string input(file.input);
                WriteReportLine(options_.diff ? DiffOf(input, ConversionFor(input, settings_))
                                              : ShownName(file.input) + "\n");
            }
        } else if (options_.dryRun) {
            WriteReportLine(ResultLine(Shown(file.input), file));
        } else if (options_.verbose) {
            streams_.errors << ResultLine(Shown(file.input), file);
        }
        return true;
    }
    bool FileFailed(BatchStep /*step*/, std::string_view input, const std::exception& error) override {
        ReportFailure(streams_.errors,
                      input == kStandardStreams && options_.stdinName ? *options_.stdinName : input, error);
        return true;
    }

    // Files converted in place, or checked, whose result differs.
    std::size_t Changes() const { return changes_; }

private:
    // Standard input under the name it was given.
    std::string Shown(std::string_view input) const {
        return ShownName(input == kStandardStreams && options_.stdinName ? *options_.stdinName : input);
    }

    void WriteReportLine(const std::string& line) const {
        try {
            WriteAll(streams_.standardOutput, line, "standard output");
        } catch (const EngineError& error) {
            throw EngineError({}, "cannot write its line to standard output: " +
                                      SystemErrorText(error.SystemError()));
        }
    }

    std::size_t changes_ = 0;
    const std::vector<std::string>& inputs_;
    const FileSettings& settings_;
    const Options& options_;
    const Streams& streams_;
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
        streams.errors << kProgram << ": " << ShownName(*options.outputFolder)
                       << ": the output folder does not exist\n";
        return kUsageProblem;
    }

    const auto started = std::chrono::steady_clock::now();
    const FileSettings settings{options.outputFolder,
                                {options.entries, enterCount, options.lines, options.sentences,
                                 options.language.value_or(UserLanguage()), options.findLanguage,
                                 options.format.value_or(TextFormat::Plain)},
                                !options.format.has_value()};
    std::vector<std::string> inputs;
    const std::size_t unread =
        ExpandFolders(options.paths, options.includeResults, options.check, inputs, streams.errors);
    KeepEachFileOnce(inputs, options.inPlace || options.check);
    CommandLineRun run(inputs, settings, options, streams);
    BatchScheduler noPauses;
    const InputUse use = options.check     ? InputUse::Check
                         : options.inPlace ? InputUse::Replace
                                           : InputUse::Keep;
    Batch batch(BatchOptions{options.dryRun, options.jobs != 0 ? options.jobs : ProcessorCount(),
                             BatchOptions::Streams{streams.standardInput, streams.standardOutput}, use});
    BatchSummary summary = batch.Run({run, run, noPauses}, inputs.size());
    summary.failed += unread;
    if (!options.quiet) {
        PrintSummary(summary, options, run.Changes(),
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                     streams.errors);
    }
    if (options.check) {
        return summary.failed > 0 ? kNotAllChecked : run.Changes() > 0 ? kSomeFailed : kAllConverted;
    }
    return summary.failed > 0 ? kSomeFailed : kAllConverted;
}

} // namespace brantlewick::cli
