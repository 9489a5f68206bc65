// SPDX-License-Identifier: GPL-3.0-or-later
// The headless converter: argument parsing and the batch over files, kept apart from main() for tests.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace brantlewick::cli {

struct Options {
    std::string entersText = "1";
    std::vector<std::string> entries; // empty until parsed: then the defaults ".", "!", "?"
    std::optional<std::string> outputFolder;
    bool beside = false; // the default; named only so that --output-dir can be refused beside it
    bool includeResults = false;
    unsigned jobs = 0; // files converted at once; 0: one per processor
    bool sentences = false;
    std::optional<Language> language; // nothing: the user's
    bool findLanguage = false;        // each file's from its start, else `language`
    LineBreaks lines = LineBreaks::Join;
    bool quiet = false;
    bool verbose = false;
    bool dryRun = false;
    std::optional<TextFormat> format; // nothing: by each file's name (auto)
    bool check = false;
    bool diff = false; // with check: a unified diff in place of the names
    bool inPlace = false;
    std::optional<std::string> stdinName; // the name standard input is read and shown as
    bool showHelp = false;
    bool showVersion = false;
    std::vector<std::string> paths;
};

// A mistake in the arguments; main() prints it, with the usage hint unless the message names what is
// accepted, and exits with status 2.
struct UsageError {
    std::string message;
    bool hint = true;
};

// Parses argv[1..] the way GNU tools do (getopt_long: "-n2", bundled flags, unambiguous abbreviations of
// long options, "--"), with options allowed after paths; returns the options or a usage error.
std::variant<Options, UsageError> ParseArguments(const std::vector<std::string>& arguments);

std::string UsageText();

// Exit statuses.
inline constexpr int kAllConverted = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageProblem = 2;
// With --check: 1 when a file would change, and this when a file could not be checked.
inline constexpr int kNotAllChecked = 2;

struct Streams {
    int standardInput = 0;
    int standardOutput = 1;
    std::ostream& errors;
    bool showProgress = false;
};

// Converts every path; failures are printed one line each and the batch goes on, and unless quiet, one
// line sums the run up at the end. Returns the exit status.
int Run(const Options& options, const Streams& streams);

} // namespace brantlewick::cli
