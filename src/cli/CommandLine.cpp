// Argument parsing and the file loop of brantlewick-cli.
#include "CommandLine.h"

#include "Batch.h"
#include "EngineError.h"
#include "EnterCount.h"
#include "FileSystem.h"
#include "FolderScan.h"
#include "LineFile.h"
#include "PathHelpers.h"

#include <exception>

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

void ConvertStandardStreams(const std::vector<std::string>& entries, int enterCount, const Streams& streams) {
    InputFile input(streams.standardInput, "standard input");
    ConversionOptions options;
    options.entries = entries;
    options.enterCount = enterCount;
    ConvertStream(input, options, [&streams](std::string_view bytes) {
        WriteAll(streams.standardOutput, bytes, "standard output");
    });
}

void ReportFailure(std::ostream& errors, std::string_view path, const std::exception& failure) {
    const auto* engineError = dynamic_cast<const EngineError*>(&failure);
    errors << kProgram << ": " << path << ": " << (engineError ? engineError->Reason() : failure.what())
           << '\n';
}

// The inputs the arguments stand for, in order: a folder is replaced by its files, collected as a folder
// dropped on the window is. The scan passes over unreadable folders without a word; a folder the user
// named that gives nothing is explained here. Returns false when a named folder could not be read.
bool ExpandFolders(const std::vector<std::string>& paths, std::vector<std::string>& inputs,
                   std::ostream& errors) {
    bool allRead = true;
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
            allRead = false;
        }
    }
    return allRead;
}

// The files of the command line, handed to the batch run one stretch at a time: a "-" between them is
// converted by the command line itself, in its place.
class FileArguments final : public BatchListener {
public:
    FileArguments(const std::vector<std::string>& inputs, const Options& options, const Streams& streams)
        : inputs_(inputs), options_(options), streams_(streams) {
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
        FileSettings settings{options_.outputFolder, {}};
        settings.conversion.entries = options_.entries;
        return settings;
    }
    void Progress(const FileProgress& progress) override {
        if (progress.stage == FileProgress::Stage::Converted && options_.verbose) {
            streams_.errors << progress.input << " -> " << progress.output << '\n';
        } else if (progress.stage == FileProgress::Stage::Writing && streams_.showProgress &&
                   !options_.quiet && !options_.verbose) {
            streams_.errors << '[' << (first_ + progress.position + 1) << '/' << inputs_.size() << "] "
                            << progress.input << " -> " << progress.output << '\n';
        }
    }
    void Failure(BatchStep /*step*/, std::string_view input, const std::exception& error) override {
        ReportFailure(streams_.errors, input, error);
    }

private:
    const std::vector<std::string>& inputs_;
    const Options& options_;
    const Streams& streams_;
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
           "  -o, --output-dir DIR   write the results into DIR under the input's own name\n"
           "      --beside           write each result beside its input as NAME-Pellnor.EXT (default)\n"
           "  -q, --quiet            no progress output\n"
           "  -v, --verbose          say where each result went, one line \"INPUT -> OUTPUT\" per file\n"
           "  -h, --help             show this help and exit\n"
           "  -V, --version          show the version and exit\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 when any failed, 2 for a usage error.\n";
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
        } else if (argument == "--beside") {
            beside = true;
        } else if (auto enters = OptionValue(arguments, i, "-n", "--enters", error)) {
            options.entersText = *enters;
        } else if (auto entry = OptionValue(arguments, i, "-c", "--char", error)) {
            if (entry->empty()) {
                return UsageError{"a sentence ending (-c) cannot be empty"};
            }
            options.entries.push_back(*entry);
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

    std::vector<std::string> inputs;
    bool failed = !ExpandFolders(options.paths, inputs, streams.errors);
    Batch batch(enterCount);
    FileArguments files(inputs, options, streams);
    for (std::size_t first = 0; first < inputs.size();) {
        if (inputs[first] == kStandardStream) {
            try {
                ConvertStandardStreams(options.entries, enterCount, streams);
            } catch (const std::exception& failure) {
                ReportFailure(streams.errors, inputs[first], failure);
                failed = true;
            }
            ++first;
            continue;
        }
        std::size_t end = first;
        while (end < inputs.size() && inputs[end] != kStandardStream) {
            ++end;
        }
        files.StartAt(first);
        failed = batch.Run(files, end - first).failed > 0 || failed;
        first = end;
    }
    return failed ? kSomeFailed : kAllConverted;
}

} // namespace brantlewick::cli
