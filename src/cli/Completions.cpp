// SPDX-License-Identifier: GPL-3.0-or-later
// The bash, zsh and fish completions of brantlewick-cli, written from its option table.
#include "OptionTable.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace brantlewick::cli {

namespace {

constexpr std::string_view kMadeFromTable =
    "# Made from brantlewick-cli's option table when the program was built: edit the table, not this file.\n";

std::string Words(std::span<const std::string_view> words) {
    std::string joined;
    for (std::string_view word : words) {
        joined += (joined.empty() ? "" : " ") + std::string(word);
    }
    return joined;
}

// Inside single quotes; `quote` is how the shell writes a single quote there.
std::string SingleQuoted(std::string_view text, std::string_view quote) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string(quote) : std::string(1, c);
    }
    return quoted + "'";
}

// "-n | --enters" for bash's case, or "--language".
std::string BashPattern(const OptionRow& row) {
    return (row.letter != 0 ? std::string{'-', row.letter} + " | " : "") + "--" + row.name;
}

std::string BashValueAction(const OptionRow& row) {
    switch (row.value) {
    case Value::Choice:
        return "            COMPREPLY=($(compgen -W '" + Words(row.choices) + "' -- \"$cur\"))\n";
    case Value::Folder:
        return "            _filedir -d\n";
    case Value::File:
        return "            _filedir\n";
    default:
        return ""; // the user's own text: nothing to offer
    }
}

// One argument of zsh's _arguments: '(-n --enters)'{-n+,--enters=}'[help]:TEXT: ' and the like.
std::string ZshArgument(const OptionRow& row) {
    const bool takesValue = row.value != Value::None;
    const std::string longForm = "--" + std::string(row.name) + (takesValue ? "=" : "");
    // Both spellings of an option are offered until one is given, unless it may be given again.
    std::string names = (row.repeats ? "'*'" : "") + longForm;
    if (row.letter != 0) {
        const std::string shortForm = "-" + std::string(1, row.letter) + (takesValue ? "+" : "");
        names = (row.repeats ? "'*'" : "'(" + shortForm.substr(0, 2) + " --" + row.name + ")'") + "{" +
                shortForm + "," + longForm + "}";
    }
    std::string help;
    for (const char c : ShortHelp(row)) {
        help += c == '[' || c == ']' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
    }
    std::string description = "[" + help + "]";
    if (row.value == Value::Choice) {
        description += ":" + std::string(row.valueName) + ":(" + Words(row.choices) + ")";
    } else if (row.value == Value::Folder) {
        description += ":" + std::string(row.valueName) + ":_files -/";
    } else if (row.value == Value::File) {
        description += ":" + std::string(row.valueName) + ":_files";
    } else if (takesValue) {
        description += ":" + std::string(row.valueName) + ": ";
    }
    return names + SingleQuoted(description, "'\\''");
}

std::string FishLine(const OptionRow& row) {
    std::string line = "complete -c brantlewick-cli";
    line += row.letter != 0 ? " -s " + std::string(1, row.letter) : "";
    line += " -l " + std::string(row.name);
    if (row.value == Value::Choice) {
        line += " -x -a " + SingleQuoted(Words(row.choices), "\\'");
    } else if (row.value == Value::Folder) {
        line += " -x -a '(__fish_complete_directories)'";
    } else if (row.value == Value::File) {
        line += " -r -F";
    } else if (row.value == Value::Text) {
        line += " -x";
    }
    std::string help;
    for (const char c : ShortHelp(row)) {
        help += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return line + " -d " + SingleQuoted(help, "\\'") + "\n";
}

} // namespace

std::string BashCompletion() {
    // One case arm for each way of completing a value, naming every option completed that way.
    std::vector<std::pair<std::string, std::string>> arms; // action, patterns
    std::string options;
    for (const OptionRow& row : OptionTable()) {
        options += (options.empty() ? "--" : " --") + std::string(row.name);
        if (row.value == Value::None) {
            continue;
        }
        const std::string action = BashValueAction(row);
        const auto arm =
            std::find_if(arms.begin(), arms.end(), [&](const auto& known) { return known.first == action; });
        if (arm == arms.end()) {
            arms.emplace_back(action, BashPattern(row));
        } else {
            arm->second += " | " + BashPattern(row);
        }
    }
    for (const OptionRow& row : OptionTable()) {
        options += row.letter != 0 ? std::string(" -") + row.letter : "";
    }
    std::string valueCases;
    for (const auto& [action, patterns] : arms) {
        valueCases.append("        ").append(patterns).append(")\n").append(action);
        valueCases += "            return\n            ;;\n";
    }
    return "# bash completion for brantlewick-cli                       -*- shell-script -*-\n" +
           std::string(kMadeFromTable) +
           "\n"
           "_brantlewick_cli()\n"
           "{\n"
           "    local cur prev words cword split\n"
           "    _init_completion -s || return\n"
           "\n"
           "    # After \"--\" every word is a PATH, even one that begins with \"-\".\n"
           "    local i\n"
           "    for ((i = 1; i < cword; i++)); do\n"
           "        if [[ ${words[i]} == -- ]]; then\n"
           "            _filedir\n"
           "            return\n"
           "        fi\n"
           "    done\n"
           "\n"
           "    case $prev in\n" +
           valueCases +
           "    esac\n"
           "    $split && return\n"
           "\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W '" +
           options +
           "' -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    _filedir\n"
           "} &&\n"
           "    complete -F _brantlewick_cli brantlewick-cli\n"
           "\n"
           "# ex: filetype=sh\n";
}

std::string ZshCompletion() {
    std::string text = "#compdef brantlewick-cli\n# zsh completion for brantlewick-cli.\n" +
                       std::string(kMadeFromTable) + "\n_arguments -s -S \\\n";
    for (const OptionRow& row : OptionTable()) {
        text += "  " + ZshArgument(row) + " \\\n";
    }
    return text + "  '*:PATH:_files'\n";
}

std::string FishCompletion() {
    std::string text = "# fish completion for brantlewick-cli.\n" + std::string(kMadeFromTable);
    for (const OptionRow& row : OptionTable()) {
        text += FishLine(row);
    }
    return text;
}

} // namespace brantlewick::cli
