// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick-cli's options: every form users type, and every refusal word for word.
#include "brantlewick/cli/CommandLine.h"

#include <gtest/gtest.h>

#include <numeric>

namespace brantlewick::cli {
namespace {

// Each in brackets, so that an empty one shows.
std::string Listed(const std::vector<std::string>& texts) {
    return std::accumulate(
        texts.begin(), texts.end(), std::string(),
        [](const std::string& listed, const std::string& text) { return listed + "[" + text + "]"; });
}

// What a parse gave, in a few words: the options that differ from their defaults, or the refusal.
std::string Described(const std::variant<Options, UsageError>& parsed) {
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return (error->hint ? "refused: " : "refused, naming the choices: ") + error->message;
    }
    const Options& options = std::get<Options>(parsed);
    std::string words;
    const auto add = [&](bool given, const std::string& word) { words += given ? word + " " : ""; };
    add(options.entersText != "1", "n=" + options.entersText);
    add(Listed(options.entries) != "[.][!][?]", "c=" + Listed(options.entries));
    add(options.outputFolder.has_value(), "o=" + options.outputFolder.value_or(""));
    add(options.beside, "beside");
    add(options.jobs != 0, "j=" + std::to_string(options.jobs));
    add(options.sentences, "sentences");
    add(options.language.has_value(),
        "language=" + std::string(LanguageCode(options.language.value_or(Language::English))));
    add(options.lines != LineBreaks::Join, "lines=" + std::string(LineBreaksName(options.lines)));
    add(options.quiet, "quiet");
    add(options.verbose, "verbose");
    add(options.dryRun, "dry-run");
    add(options.format.has_value(),
        "format=" + std::string(TextFormatName(options.format.value_or(TextFormat::Plain))));
    add(options.check, "check");
    add(options.diff, "diff");
    add(options.stdinName.has_value(), "stdin-filename=" + options.stdinName.value_or(""));
    add(options.inPlace, "in-place");
    add(options.showHelp, "help");
    add(options.showVersion, "version");
    return words + "paths=" + Listed(options.paths);
}

// The arguments and what they give. In this order: a row right after a refusal within a bundle shows that
// nothing of that parse is left.
const std::pair<std::vector<std::string>, std::string> kRows[] = {
    // Each form of a value. "-n2" was refused as an unknown option while the parser was our own.
    {{"-n2", "a"}, "n=2 paths=[a]"},
    {{"--ent=2.5", "a"}, "n=2.5 paths=[a]"},
    {{"-n", "-2", "--enters=-.5", "a"}, "n=-.5 paths=[a]"},
    // A value left out: the option after it was taken for the number, and a dry run became a real one.
    {{"-n", "--dry-run", "a"},
     "refused: the number of line breaks (-n) is missing: \"--dry-run\" looks like an option"},
    {{"-c", "...", "-c!", "--char=?", "--cha", "。", "a"}, "c=[...][!][?][。] paths=[a]"},
    {{"-o/out", "--output-dir", "/o", "--output-dir=/p", "--dry", "a"}, "o=/p dry-run paths=[a]"},
    // Bundles.
    {{"-j256", "-qj2", "a"}, "j=2 quiet paths=[a]"},
    {{"-qx", "a"}, "refused: unknown option -x"},
    {{"-vj", "3", "a"}, "j=3 verbose paths=[a]"},
    {{"-hV"}, "help version paths="},
    // Paths: in their place among the options, "-" for the standard streams, anything after "--".
    {{"a", "-q", "b", "--dry-run", "-"}, "quiet dry-run paths=[a][b][-]"},
    {{"--", "-odd", "--quiet", "--", "-", ""}, "paths=[-odd][--quiet][--][-][]"},
    // Every choice, in any letter case.
    {{"--sentences", "--beside", "--language=DE", "--lines", "KEEP", "a"},
     "beside sentences language=de lines=keep paths=[a]"},
    {{"--language", "en", "--lines=reflow", "a"}, "language=en lines=reflow paths=[a]"},
    {{"--language=fr", "--lines=keep", "--lines=join", "a"}, "language=fr paths=[a]"},
    {{"--lang=Zh", "a"}, "language=zh paths=[a]"},
    {{"--language=es", "a"}, "language=es paths=[a]"},
    {{"--language=it", "a"}, "language=it paths=[a]"},
    {{"--language=ru", "a"}, "language=ru paths=[a]"},
    {{"--language=nl", "a"}, "language=nl paths=[a]"},
    {{"--language=JA", "a"}, "language=ja paths=[a]"},
    {{"--lines", "wrap", "a"}, "refused, naming the choices: --lines wrap: not one of join, keep, reflow"},
    {{"--language=pt", "a"},
     "refused, naming the choices: --language pt: not one of auto, en, de, fr, es, it, ru, nl, ja, zh"},
    // Refusals.
    {{}, "refused: no file given"},
    {{"a", "-qn"}, "refused: option -n needs a value"},
    {{"a", "--ent"}, "refused: option --enters needs a value"},
    {{"a", "--language"}, "refused: option --language needs a value"},
    {{"--quiet", "-h", "--bogus=3", "a"}, "refused: unknown option --bogus=3"},
    {{"--=x", "a"}, "refused: unknown option --=x"},
    {{"--l", "a"}, "refused: option --l is ambiguous: --language, --lines"},
    {{"--verb=", "a"}, "refused: option --verbose takes no value"},
    {{"-c", "", "a"}, "refused: a sentence ending (-c) cannot be empty"},
    {{"-o", "", "a"}, "refused: the output folder (-o) cannot be empty"},
    {{"-o", "/x", "--beside", "a"}, "refused: --beside and --output-dir exclude each other"},
    {{"--beside", "-o/x", "a"}, "refused: --beside and --output-dir exclude each other"},
    {{"-q", "a", "-v"}, "refused: --quiet and --verbose exclude each other"},
    {{"-j", "0", "a"}, "refused: the number of jobs (-j) must be a whole number from 1 to 256"},
    {{"-j257", "a"}, "refused: the number of jobs (-j) must be a whole number from 1 to 256"},
    {{"--jobs=2x", "a"}, "refused: the number of jobs (-j) must be a whole number from 1 to 256"},
    {{"--format=Markdown", "--check", "a"}, "format=markdown check paths=[a]"},
    {{"--format", "plain", "--format=auto", "--in-place", "a"}, "in-place paths=[a]"},
    {{"--format", "md", "a"},
     "refused, naming the choices: --format md: not one of auto, plain, markdown, asciidoc, rst, latex"},
    {{"--check", "--in-place", "a"}, "refused: --check and --in-place exclude each other"},
    {{"--check", "-o/x", "a"}, "refused: --output-dir and --check exclude each other"},
    {{"--beside", "--check", "a"}, "refused: --beside and --check exclude each other"},
    {{"--check", "--dry-run", "a"}, "refused: --dry-run and --check exclude each other"},
    {{"--check", "-v", "a"}, "refused: --verbose and --check exclude each other"},
    {{"--in-place", "-o/x", "a"}, "refused: --output-dir and --in-place exclude each other"},
    {{"--in-place", "--beside", "a"}, "refused: --beside and --in-place exclude each other"},
    {{"--in-place", "--dry-run", "a"}, "refused: --dry-run and --in-place exclude each other"},
    {{"-v", "--in-place", "a"}, "verbose in-place paths=[a]"},
    {{"--check", "a", "-"}, "refused: --check takes files, not standard input (\"-\")"},
    {{"--in-place", "--", "-"}, "refused: --in-place takes files, not standard input (\"-\")"},
    {{"--check", "--diff", "a"}, "check diff paths=[a]"},
    {{"--diff", "a"}, "refused: --diff shows what --check finds: give --check too"},
    {{"--stdin-filename", "d/a.md", "-"}, "stdin-filename=d/a.md paths=[-]"},
    {{"--stdin-filename=a.md", "a"},
     "refused: --stdin-filename names standard input: give \"-\" as a PATH too"},
    {{"--stdin-filename=", "-"}, "refused: the name of standard input (--stdin-filename) cannot be empty"},
};

// POSIXLY_CORRECT would make getopt_long stop at the first path; options could always follow paths.
TEST(OptionTableTest, ReadsEveryFormUsersTypeAndRefusesWithAReason) {
    for (const bool posixlyCorrect : {true, false}) {
        posixlyCorrect ? ::setenv("POSIXLY_CORRECT", "1", 1) : ::unsetenv("POSIXLY_CORRECT");
        for (const auto& [arguments, expected] : kRows) {
            EXPECT_EQ(Described(ParseArguments(arguments)), expected)
                << ::testing::PrintToString(arguments) << (posixlyCorrect ? " with POSIXLY_CORRECT" : "");
        }
    }
}

} // namespace
} // namespace brantlewick::cli
