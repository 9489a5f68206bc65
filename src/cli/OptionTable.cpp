// SPDX-License-Identifier: GPL-3.0-or-later
// The options of brantlewick-cli, and the parser and --help made from them.
#include "OptionTable.h"

#include "brantlewick/engine/Language.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <mutex>
#include <vector>

namespace brantlewick::cli {

namespace {

constexpr auto kLanguageCodes = [] {
    std::array<std::string_view, kLanguages.size() + 1> codes{"auto"};
    for (std::size_t i = 0; i < kLanguages.size(); ++i) {
        codes[i + 1] = kLanguages[i].code;
    }
    return codes;
}();
constexpr std::array<std::string_view, 3> kLineChoices = {"join", "keep", "reflow"};
constexpr std::array<std::string_view, 6> kFormatChoices = {"auto",     "plain", "markdown",
                                                            "asciidoc", "rst",   "latex"};

// More than any machine this runs on uses; a slip of the keyboard cannot start thousands of threads.
constexpr unsigned kMostJobs = 256;

Refusal TakeJobs(Options& options, std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMostJobs) {
        return UsageError{"the number of jobs (-j) must be a whole number from 1 to " +
                          std::to_string(kMostJobs)};
    }
    options.jobs = value;
    return std::nullopt;
}

// A flag's row: the option turns on one of the options' switches.
template <bool Options::*flag> Refusal Set(Options& options, std::string_view /*flag*/) {
    options.*flag = true;
    return std::nullopt;
}

// In the order --help lists them.
constexpr std::array kOptions = {
    OptionRow{.name = "enters",
              .letter = 'n',
              .value = Value::Text,
              .valueName = "TEXT",
              .help = "line breaks to add after each sentence ending (default 1); a text\n"
                      "that is not a positive number counts as 1, one that looks like an\n"
                      "option is refused; \".\" is the decimal point whatever the locale",
              .take = [](Options& options, std::string_view text) -> Refusal {
                  // "-n --dry-run file": the value was left out, and a real run would follow.
                  if (text.size() > 1 && text[0] == '-' && text[1] != '.' &&
                      (text[1] < '0' || text[1] > '9')) {
                      return UsageError{"the number of line breaks (-n) is missing: \"" + std::string(text) +
                                        "\" looks like an option"};
                  }
                  options.entersText = text;
                  return std::nullopt;
              }},
    OptionRow{.name = "char",
              .letter = 'c',
              .value = Value::Text,
              .valueName = "TEXT",
              .repeats = true,
              .help = "a sentence ending; repeat for several, applied in the order given\n"
                      "(default: \".\" \"!\" \"?\")",
              .take = [](Options& options, std::string_view entry) -> Refusal {
                  if (entry.empty()) {
                      return UsageError{"a sentence ending (-c) cannot be empty"};
                  }
                  options.entries.emplace_back(entry);
                  return std::nullopt;
              }},
    OptionRow{.name = "sentences",
              .help = "break only where a sentence really ends: not inside numbers (3.14),\n"
                      "after abbreviations (Dr., e.g.), in web or e-mail addresses; list\n"
                      "items start on a line of their own, and every blank between two\n"
                      "sentences goes",
              .take = Set<&Options::sentences>},
    OptionRow{.name = "language",
              .value = Value::Choice,
              .valueName = "CODE",
              .choices = kLanguageCodes,
              .help = "whose abbreviations and punctuation --sentences knows: en, de, fr,\n"
                      "es, it, ru, nl, ja or zh (default: the locale's language, else en);\n"
                      "auto finds each file's from its start, else takes the locale's",
              .take = [](Options& options, std::string_view code) -> Refusal {
                  options.language = LanguageFromCode(code);
                  options.findLanguage = !options.language.has_value();
                  return std::nullopt;
              }},
    OptionRow{.name = "lines",
              .value = Value::Choice,
              .valueName = "CHOICE",
              .choices = kLineChoices,
              .help = "the input's own line breaks: join (the lines run together; the\n"
                      "default), keep (each is written back), or reflow (the lines of a\n"
                      "paragraph are joined with a space, paragraphs stay apart by one\n"
                      "empty line, list items keep their lines)",
              .take = [](Options& options, std::string_view choice) -> Refusal {
                  options.lines = LineBreaksFromName(choice).value_or(options.lines);
                  return std::nullopt;
              }},
    OptionRow{.name = "format",
              .value = Value::Choice,
              .valueName = "FORMAT",
              .choices = kFormatChoices,
              .help = "how --sentences reads a file: auto (the default: by the name's\n"
                      "extension in any letter case: markdown for *.md, *.markdown,\n"
                      "*.mdown and *.mkd, asciidoc for *.adoc, *.asciidoc and *.asc, rst\n"
                      "for *.rst and *.rest, latex for *.tex and *.ltx; plain otherwise\n"
                      "and for standard input), plain, or one of those formats (only\n"
                      "paragraph prose is re-broken, one sentence a line, with the file's\n"
                      "own line end; code, math, tables, headings, links, comments and\n"
                      "the rest stay as they are); without --sentences the format changes\n"
                      "nothing",
              .take = [](Options& options, std::string_view choice) -> Refusal {
                  options.format = TextFormatFromName(choice); // "auto" is none of them
                  return std::nullopt;
              }},
    OptionRow{.name = "stdin-filename",
              .value = Value::File,
              .valueName = "NAME",
              .help = "read standard input (\"-\") in the format --format auto gives the\n"
                      "file NAME, and call it NAME in messages (for editors)",
              .take = [](Options& options, std::string_view name) -> Refusal {
                  if (name.empty()) {
                      return UsageError{"the name of standard input (--stdin-filename) cannot be empty"};
                  }
                  options.stdinName = std::string(name);
                  return std::nullopt;
              }},
    OptionRow{.name = "output-dir",
              .letter = 'o',
              .value = Value::Folder,
              .valueName = "DIR",
              .help = "write the results into DIR under the input's own name",
              .take = [](Options& options, std::string_view folder) -> Refusal {
                  if (folder.empty()) {
                      return UsageError{"the output folder (-o) cannot be empty"};
                  }
                  options.outputFolder = std::string(folder);
                  return std::nullopt;
              }},
    OptionRow{.name = "beside",
              .help = "write each result beside its input as NAME-Pellnor.EXT (default)",
              .take = Set<&Options::beside>},
    OptionRow{.name = "include-results",
              .help = "take from a folder also the files that are results of another file\n"
                      "beside them (NAME-Pellnor.EXT beside NAME.EXT), which are left out\n"
                      "otherwise, with a note",
              .take = Set<&Options::includeResults>},
    OptionRow{.name = "dry-run",
              .help = "read and convert every file, write nothing, and print one line per\n"
                      "file on standard output: \"INPUT -> OUTPUT (N breaks, M spaces\n"
                      "dropped)\", with \" (replaces an existing file)\" where it would;\n"
                      "failures and exit status as a real run would have them",
              .take = Set<&Options::dryRun>},
    OptionRow{.name = "check",
              .help = "write nothing; list on standard output each file whose result\n"
                      "would differ from it, one a line; exit status 0 when none would,\n"
                      "1 when any would, 2 when a file could not be checked or a\n"
                      "sub-folder could not be read",
              .take = Set<&Options::check>},
    OptionRow{.name = "diff",
              .help = "with --check, print on standard output a unified diff of what\n"
                      "would change, in place of the names: \"--- NAME\", \"+++ NAME\" and\n"
                      "hunks with three lines of context, as patch and git apply take it",
              .take = Set<&Options::diff>},
    OptionRow{.name = "in-place",
              .help = "replace each input with its result, the one way the program\n"
                      "changes an input: whole or not at all, keeping the input's mode\n"
                      "(setuid, setgid and sticky bits too), owner, group, ACL and\n"
                      "extended attributes; a file whose result is the same is left\n"
                      "untouched; a file that changes while it runs is refused and left\n"
                      "as saved; symbolic links, files with several hard links and\n"
                      "read-only files (by their mode, also for root) are refused",
              .take = Set<&Options::inPlace>},
    OptionRow{.name = "jobs",
              .letter = 'j',
              .value = Value::Text,
              .valueName = "N",
              .help = "convert N files at once (default: one per processor); names,\n"
                      "results and messages are those of one at a time",
              .take = TakeJobs},
    OptionRow{.name = "quiet",
              .letter = 'q',
              .help = "no progress output and no summary",
              .take = Set<&Options::quiet>},
    OptionRow{.name = "verbose",
              .letter = 'v',
              .help = "the same line per file as --dry-run, on standard error",
              .take = Set<&Options::verbose>},
    OptionRow{
        .name = "help", .letter = 'h', .help = "show this help and exit", .take = Set<&Options::showHelp>},
    OptionRow{.name = "version",
              .letter = 'V',
              .help = "show the version and exit",
              .take = Set<&Options::showVersion>},
};

// Names and choices go into shell scripts unquoted, and the parser tells rows apart by name and letter.
constexpr bool IsPlainWord(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

constexpr bool IsWellFormed(const OptionRow& row) {
    const bool letter = row.letter == 0 || (row.letter >= 'a' && row.letter <= 'z') ||
                        (row.letter >= 'A' && row.letter <= 'Z');
    return letter && IsPlainWord(row.name) && row.name[0] != '-' &&
           row.valueName.empty() == (row.value == Value::None) &&
           row.choices.empty() == (row.value != Value::Choice) &&
           std::all_of(row.choices.begin(), row.choices.end(), IsPlainWord);
}

constexpr bool EveryRowStandsApart() {
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        for (std::size_t j = i + 1; j < kOptions.size(); ++j) {
            if (std::string_view(kOptions[i].name) == kOptions[j].name ||
                (kOptions[i].letter != 0 && kOptions[i].letter == kOptions[j].letter)) {
                return false;
            }
        }
    }
    return true;
}

static_assert(std::all_of(kOptions.begin(), kOptions.end(), IsWellFormed));
static_assert(EveryRowStandsApart());

// getopt_long's codes: a letter for a row that has one, past every character for a row that has none.
constexpr int kPath = 1; // an argument that is not an option, returned in its place
constexpr int kMissingValue = ':';
constexpr int kFirstLongOnly = 256;

int CodeOf(std::size_t row) {
    return kOptions[row].letter != 0 ? kOptions[row].letter : kFirstLongOnly + static_cast<int>(row);
}

const OptionRow* RowOf(int code) {
    for (std::size_t row = 0; row < kOptions.size(); ++row) {
        if (CodeOf(row) == code) {
            return &kOptions[row];
        }
    }
    return nullptr;
}

// "-" first: paths come back in their place among the options, so options may follow paths whatever
// POSIXLY_CORRECT says, as they always could. ":" next: a missing value is told apart from an unknown option.
std::string ShortOptions() {
    std::string letters = "-:";
    for (const OptionRow& row : kOptions) {
        if (row.letter != 0) {
            letters += row.letter;
            letters += row.value == Value::None ? "" : ":";
        }
    }
    return letters;
}

std::vector<option> LongOptions() {
    std::vector<option> longOptions;
    for (std::size_t row = 0; row < kOptions.size(); ++row) {
        const int hasArgument = kOptions[row].value == Value::None ? no_argument : required_argument;
        longOptions.push_back({kOptions[row].name, hasArgument, nullptr, CodeOf(row)});
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    return longOptions;
}

bool IsChoice(std::string_view value, std::span<const std::string_view> choices) {
    const auto foldAscii = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::any_of(choices.begin(), choices.end(), [&](std::string_view choice) {
        return std::equal(value.begin(), value.end(), choice.begin(), choice.end(),
                          [&](char a, char b) { return foldAscii(a) == b; });
    });
}

std::string Joined(std::span<const std::string_view> words, std::string_view prefix,
                   std::string_view separator) {
    std::string joined;
    for (std::string_view word : words) {
        joined += (joined.empty() ? "" : separator);
        joined += prefix;
        joined += word;
    }
    return joined;
}

Refusal Take(const OptionRow& row, Options& options, std::string_view value) {
    if (row.value == Value::Choice && !IsChoice(value, row.choices)) {
        return UsageError{"--" + std::string(row.name) + " " + std::string(value) + ": not one of " +
                              Joined(row.choices, "", ", "),
                          false};
    }
    return row.take(options, value);
}

// A long option getopt_long did not take: unknown, or the start of several names.
UsageError UnknownLongOption(std::string_view typed) {
    const std::string_view name = typed.substr(2, typed.find('=') - 2);
    std::vector<std::string_view> matches;
    for (const OptionRow& row : kOptions) {
        if (!name.empty() && std::string_view(row.name).starts_with(name)) {
            matches.emplace_back(row.name);
        }
    }
    if (matches.size() > 1) {
        return {"option --" + std::string(name) + " is ambiguous: " + Joined(matches, "--", ", ")};
    }
    return {"unknown option " + std::string(typed)};
}

// Why getopt_long stopped at an argument. `typed` is the last argument it read: for a missing value and
// for a long option always the option itself, for an unknown letter perhaps an earlier argument.
UsageError Refused(int code, int letterOrCode, std::string_view typed) {
    const OptionRow* row = RowOf(letterOrCode);
    if (code == kMissingValue) {
        const std::string spelled =
            typed.starts_with("--") ? "--" + std::string(row->name) : std::string{'-', row->letter};
        return {"option " + spelled + " needs a value"};
    }
    if (letterOrCode == 0) {
        return UnknownLongOption(typed);
    }
    if (row != nullptr) {
        return {"option --" + std::string(row->name) + " takes no value"};
    }
    return {"unknown option -" + std::string(1, static_cast<char>(letterOrCode))};
}

// The first two options given that make no sense together.
Refusal Excluded(const Options& options) {
    struct Given {
        std::string_view name;
        bool given;
    };
    const std::array<Given, 7> given = {{{"--beside", options.beside},
                                         {"--output-dir", options.outputFolder.has_value()},
                                         {"--quiet", options.quiet},
                                         {"--verbose", options.verbose},
                                         {"--dry-run", options.dryRun},
                                         {"--check", options.check},
                                         {"--in-place", options.inPlace}}};
    // By position in `given`. --check writes nothing and names no result; --in-place names none either,
    // and a dry run of it is --check.
    static constexpr std::array<std::pair<int, int>, 10> kExclusive = {
        {{0, 1}, {2, 3}, {5, 6}, {0, 5}, {1, 5}, {4, 5}, {3, 5}, {0, 6}, {1, 6}, {4, 6}}};
    for (const auto& [first, second] : kExclusive) {
        if (given.at(first).given && given.at(second).given) {
            return UsageError{std::string(given.at(first).name) + " and " +
                              std::string(given.at(second).name) + " exclude each other"};
        }
    }
    return std::nullopt;
}

// What no single option can refuse.
Refusal Unfinished(Options& options) {
    if (Refusal refusal = Excluded(options)) {
        return refusal;
    }
    const bool standardInput =
        std::find(options.paths.begin(), options.paths.end(), "-") != options.paths.end();
    if (options.diff && !options.check) {
        return UsageError{"--diff shows what --check finds: give --check too"};
    }
    if (options.stdinName && !standardInput && !options.paths.empty()) {
        return UsageError{"--stdin-filename names standard input: give \"-\" as a PATH too"};
    }
    if ((options.check || options.inPlace) && standardInput) {
        return UsageError{std::string(options.check ? "--check" : "--in-place") +
                          " takes files, not standard input (\"-\")"};
    }
    if (options.entries.empty()) {
        options.entries.assign(kDefaultEntries.begin(), kDefaultEntries.end());
    }
    if (options.paths.empty() && !options.showHelp && !options.showVersion) {
        return UsageError{"no file given"};
    }
    return std::nullopt;
}

// getopt_long keeps its place in globals: one parse at a time.
std::mutex parsing;

} // namespace

std::span<const OptionRow> OptionTable() {
    return kOptions;
}

std::string ShortHelp(const OptionRow& row) {
    std::string text;
    int depth = 0;
    for (const char c : row.help) {
        if (depth == 0 && (c == ':' || c == ';')) {
            break;
        }
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        text += c == '\n' ? ' ' : c;
    }
    return text;
}

std::variant<Options, UsageError> ParseArguments(const std::vector<std::string>& arguments) {
    // getopt_long takes writable arguments it may reorder: it gets a copy, with a program name in front.
    std::vector<std::string> copies{"brantlewick-cli"};
    copies.insert(copies.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(copies.size() + 1);
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());
    const std::string shortOptions = ShortOptions();
    const std::vector<option> longOptions = LongOptions();

    const std::lock_guard lock(parsing);
    optind = 0; // 0, not 1: glibc starts afresh, forgetting where the last parse stopped within a bundle
    opterr = 0;
    Options options;
    for (int code = 0; (code = ::getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(),
                                             nullptr)) != -1;) {
        if (code == kPath) {
            options.paths.emplace_back(optarg);
        } else if (const OptionRow* row = RowOf(code)) {
            if (Refusal refusal = Take(*row, options, optarg != nullptr ? optarg : "")) {
                return *refusal;
            }
        } else {
            return Refused(code, optopt, argv[optind - 1]);
        }
    }
    // After "--": every argument is a path.
    options.paths.insert(options.paths.end(), copies.begin() + optind, copies.end());
    if (Refusal refusal = Unfinished(options)) {
        return *refusal;
    }
    return options;
}

std::string UsageText() {
    constexpr std::size_t kHelpColumn = 25;
    std::string text =
        "Usage: brantlewick-cli [options] PATH...\n"
        "Adds line breaks after every sentence ending in each file and writes the result as a new file;\n"
        "the input files are never changed, except with --in-place. A folder PATH stands for every file\n"
        "in it and in its sub-folders, except names beginning with \"~\", writable dot-files and what\n"
        "lies below a folder path of 260 characters or more (each such folder is named on standard\n"
        "error). PATH \"-\" reads standard input and writes standard output. A name holding control\n"
        "characters or bytes that are not UTF-8, or \"'\" or \"$\", is shown quoted as ls shows it. A file\n"
        "named twice, however spelled, is one input.\n"
        "\n"
        "Options:\n";
    for (const OptionRow& row : kOptions) {
        std::string line = row.letter != 0 ? std::string("  -") + row.letter + ", --" : "      --";
        line += row.name;
        line += row.valueName.empty() ? "" : " " + std::string(row.valueName);
        // An option too long for the column has its help start on the next line, as GNU tools have it.
        line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ')
                                          : "\n" + std::string(kHelpColumn, ' ');
        for (const char c : row.help) {
            line += c;
            line += c == '\n' ? std::string(kHelpColumn, ' ') : "";
        }
        text += line + "\n";
    }
    return text +
           "\n"
           "At the end a line on standard error sums the run up: files converted and failed, bytes in and\n"
           "out, breaks inserted and the time taken.\n"
           "Exit status: 0 when every file was converted, 1 when any failed, 2 for a usage error (for\n"
           "--check see above); 130, 143, 129 or 141 when SIGINT, SIGTERM, SIGHUP or SIGPIPE ended the run,\n"
           "leaving no temporary file, and every input --in-place was replacing either as it was or wholly\n"
           "converted.\n"
           "A result gets its input's permission bits less the umask; with --in-place exactly its input's\n"
           "mode, owner, group, ACL and extended attributes, and a file that changes while it runs is\n"
           "refused (exit status 1) and left as it was saved.\n";
}

} // namespace brantlewick::cli
