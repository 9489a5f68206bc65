// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's options, one row each: the parser, --help and the shell completions are made from it.
#pragma once

#include "brantlewick/cli/CommandLine.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brantlewick::cli {

// What follows an option, and so what a shell offers there.
enum class Value {
    None,   // a flag
    Text,   // anything the user types; nothing is offered
    Folder, // a folder's path
    File,   // a file's path (a folder's too, on the way to one)
    Choice, // one of the row's choices, ASCII letter case ignored
};

using Refusal = std::optional<UsageError>;

struct OptionRow {
    const char* name; // the long name, without "--"
    char letter = 0;  // the short name; 0 for none
    Value value = Value::None;
    std::string_view valueName{}; // as --help shows the value: "TEXT", "DIR"
    std::span<const std::string_view> choices{};
    bool repeats = false;    // each time given it adds to the earlier ones rather than replacing them
    std::string_view help{}; // the text --help shows beside the option, broken into its lines
    // Takes the value (empty for a flag) into the options, or says why it cannot.
    Refusal (*take)(Options& options, std::string_view value);
};

std::span<const OptionRow> OptionTable();

// What a shell shows beside the option: the help up to its first colon or semicolon outside brackets.
std::string ShortHelp(const OptionRow& row);

// The completion scripts, each complete and ready to install.
std::string BashCompletion();
std::string ZshCompletion();
std::string FishCompletion();

} // namespace brantlewick::cli
