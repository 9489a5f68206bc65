// SPDX-License-Identifier: GPL-3.0-or-later
// Sentence mode throughput on English prose, and its memory on one very long line, through the whole
// conversion. Not a test: it prints figures.
//
//   sentence_bench [--runs N] [--size MIB] [--lines join|keep|reflow] [--language auto] [FILE...]
//       converts FILEs (default: the licence texts in /usr/share/common-licenses) repeated to MIB
//       (default 64) in memory, N times (default 5), and prints each run's MB/s and the median.
//   sentence_bench --one-line MB
//       streams MB megabytes of prose without a single line end through the conversion in 64 KiB chunks
//       and prints the peak resident memory, which must not grow with MB.
//   sentence_bench --score FILE [--lines join|keep|reflow]
//       converts each case of FILE (see bench/sentences/quality.txt) with one Enter and counts, per
//       language, the cases whose output lines (empty ones left out) are exactly the expected
//       sentences, and the precision, recall and F1 of the boundaries between sentences; last the mean F1
//       of the languages. With --language auto (here and above), each text's language is found from it,
//       English where it does not tell.
//   sentence_bench --detect FILE
//       joins the cases of each language of FILE into paragraphs of 20 words and more, and counts per
//       language those whose language --language auto finds at a text's start; names each language
//       whose paragraphs, as a text of their own, convert otherwise with auto than with the language
//       given; and shuffles all paragraphs into one text and counts those whose language is found there
//       and those converted exactly as with their language given.
#include "BenchKit.h"
#include "brantlewick/engine/Conversion.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using brantlewick::bench::CountingSink;
using brantlewick::bench::kPiece;
using brantlewick::bench::PeakResidentKiB;

bool findLanguage = false;

brantlewick::ConversionOptions Options(brantlewick::LineBreaks lines,
                                       brantlewick::Language language = brantlewick::Language::English) {
    return {{".", "!", "?"}, 1, lines, true, findLanguage ? brantlewick::Language::English : language,
            findLanguage};
}

int OneLine(long megabytes) {
    const std::string prose = "Dr. Smith paid $1.50 for 3.14 kg of apples, i.e. the red ones, on Jan. 5 at "
                              "10.30 a.m. \"Why?\" he asked. See p. 55 of the U.S. report... It rained. ";
    std::string chunk;
    while (chunk.size() < kPiece) {
        chunk += prose;
    }
    brantlewick::Converter converter(Options(brantlewick::LineBreaks::Join));
    CountingSink sink;
    const std::uint64_t total = static_cast<std::uint64_t>(megabytes) * 1000 * 1000;
    std::uint64_t fed = 0;
    for (; fed < total; fed += chunk.size()) {
        converter.Feed(chunk, sink);
    }
    converter.Finish(sink);
    std::printf("one line of %.0f MB: %llu breaks, peak resident memory %ld KiB\n",
                static_cast<double>(fed) / 1e6,
                static_cast<unsigned long long>(converter.Counts().breaksInserted), PeakResidentKiB());
    return 0;
}

// Where the sentences of `sentences` end, counted in characters other than blanks and line ends, so
// that the dropped blanks and joined lines do not move a boundary. The text's own end is no boundary.
std::vector<std::size_t> Boundaries(const std::vector<std::string>& sentences) {
    std::vector<std::size_t> ends;
    std::size_t count = 0;
    for (const std::string& sentence : sentences) {
        for (const char c : sentence) {
            count += c != ' ' && c != '\t' && c != '\r' && c != '\n' ? 1 : 0;
        }
        ends.push_back(count);
    }
    if (!ends.empty()) {
        ends.pop_back();
    }
    return ends;
}

struct Tally {
    std::string language;
    int passed = 0, cases = 0;
    std::size_t found = 0, made = 0, marked = 0; // right boundaries, boundaries made, boundaries expected
    double Precision() const {
        return made == 0 ? 100.0 : 100.0 * static_cast<double>(found) / static_cast<double>(made);
    }
    double Recall() const {
        return marked == 0 ? 100.0 : 100.0 * static_cast<double>(found) / static_cast<double>(marked);
    }
    double F1() const {
        const double p = Precision(), r = Recall();
        return p + r == 0 ? 0 : 2 * p * r / (p + r);
    }
};

// The output's lines without the empty ones that part paragraphs; a line end of the input that stays
// (with --lines keep) parts two lines as an inserted break does.
std::vector<std::string> OutputSentences(const std::string& out) {
    std::vector<std::string> got;
    std::string current;
    for (const char c : out) {
        if (c == '\r' || c == '\n') {
            if (!current.empty()) {
                got.push_back(current);
            }
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        got.push_back(current);
    }
    return got;
}

int Score(const char* path, brantlewick::LineBreaks lines) {
    std::ifstream in(path);
    std::string line;
    std::vector<Tally> totals{{"en"}};
    std::size_t current = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[') {
            // A language may come back later in the file: its cases count together.
            const std::string code = line.substr(1, line.find(']') - 1);
            current =
                static_cast<std::size_t>(std::find_if(totals.begin(), totals.end(),
                                                      [&](const Tally& t) { return t.language == code; }) -
                                         totals.begin());
            if (current == totals.size()) {
                totals.push_back({code});
            }
            continue;
        }
        const std::size_t tab = line.find('\t');
        std::string input = line.substr(0, tab);
        for (std::size_t at = input.find("\\n"); at != std::string::npos; at = input.find("\\n", at)) {
            input.replace(at, 2, "\n");
        }
        std::vector<std::string> expected;
        std::string rest = line.substr(tab + 1);
        for (std::size_t bar; (bar = rest.find(" | ")) != std::string::npos; rest.erase(0, bar + 3)) {
            expected.push_back(rest.substr(0, bar));
        }
        expected.push_back(rest);

        Tally& total = totals[current];
        const std::string out =
            brantlewick::ConvertText(input, Options(lines, *brantlewick::LanguageFromCode(total.language)));
        const std::vector<std::string> got = OutputSentences(out);
        const std::vector<std::size_t> made = Boundaries(got), marked = Boundaries(expected);
        std::vector<std::size_t> right;
        std::set_intersection(made.begin(), made.end(), marked.begin(), marked.end(),
                              std::back_inserter(right));
        total.found += right.size();
        total.made += made.size();
        total.marked += marked.size();
        ++total.cases;
        if (got == expected) {
            ++total.passed;
        } else {
            std::printf("[%s] %s\n", total.language.c_str(), input.c_str());
            for (const auto& sentence : got) {
                std::printf("      got: %s\n", sentence.c_str());
            }
        }
    }
    Tally all{"all"};
    double macro = 0;
    int languages = 0;
    for (const Tally& total : totals) {
        if (total.cases == 0) {
            continue;
        }
        std::printf("%s %d/%d cases, boundaries: precision %.1f, recall %.1f, F1 %.1f\n",
                    total.language.c_str(), total.passed, total.cases, total.Precision(), total.Recall(),
                    total.F1());
        all.passed += total.passed;
        all.cases += total.cases;
        macro += total.F1();
        ++languages;
    }
    std::printf("all %d/%d cases, macro F1 %.1f\n", all.passed, all.cases,
                languages == 0 ? 0.0 : macro / languages);
    return 0;
}

// Cases joined into paragraphs of 20 words and more, each judged by the language found in it.
struct Paragraphs {
    std::string code, text;
    int words = 0;
    std::vector<std::pair<std::string, std::pair<int, int>>> totals; // language, found of paragraphs
    std::vector<std::pair<std::string, std::string>> all;            // language, paragraph

    void Add(const std::string& input) {
        text += input + " ";
        // Chinese and Japanese: a character or two a word.
        words += static_cast<int>(std::count(input.begin(), input.end(), ' ') + 1 +
                                  (code == "ja" || code == "zh" ? input.size() / 6 : 0));
        if (words >= 20) {
            Judge();
        }
    }

    void Judge() {
        if (words >= 20) {
            const auto found = brantlewick::LanguageOfText(text);
            const std::string got = found ? std::string(brantlewick::LanguageCode(*found)) : "none";
            auto& [right, count] = totals.back().second;
            right += got == code ? 1 : 0;
            ++count;
            if (got != code) {
                std::printf("[%s] %s -> %s\n", code.c_str(), text.c_str(), got.c_str());
            }
            text.pop_back();
            all.emplace_back(code, text);
        }
        text.clear();
        words = 0;
    }
};

std::string Convert(const std::string& text, brantlewick::LineBreaks lines, brantlewick::Language language,
                    bool find) {
    return brantlewick::ConvertText(text, {{".", "!", "?"}, 1, lines, true, language, find});
}

// The pieces of `text` between empty lines.
std::vector<std::string> SplitParagraphs(const std::string& text) {
    std::vector<std::string> pieces;
    for (std::size_t from = 0;;) {
        const std::size_t gap = text.find("\n\n", from);
        pieces.push_back(text.substr(from, gap == std::string::npos ? gap : gap - from));
        if (gap == std::string::npos) {
            return pieces;
        }
        from = gap + 2;
    }
}

// The paragraphs of all languages shuffled into one text: counts those whose language is found, and
// those converted (lines kept) exactly as with their language given.
void Mixed(std::vector<std::pair<std::string, std::string>> paragraphs) {
    std::mt19937 random(2026);
    std::shuffle(paragraphs.begin(), paragraphs.end(), random);
    std::string text;
    for (const auto& paragraph : paragraphs) {
        text += (text.empty() ? "" : "\n\n") + paragraph.second;
    }
    const auto file =
        brantlewick::LanguageOfText(text.substr(0, 16384)).value_or(brantlewick::Language::English);
    std::vector<std::vector<std::string>> given;
    given.reserve(brantlewick::kLanguages.size());
    for (const auto& row : brantlewick::kLanguages) {
        given.push_back(SplitParagraphs(Convert(text, brantlewick::LineBreaks::Keep, row.language, false)));
    }
    const std::vector<std::string> found =
        SplitParagraphs(Convert(text, brantlewick::LineBreaks::Keep, file, true));
    int named = 0, same = 0;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const brantlewick::Language language = *brantlewick::LanguageFromCode(paragraphs[i].first);
        const bool right = brantlewick::LanguageOfParagraph(paragraphs[i].second, file) == language;
        named += right ? 1 : 0;
        same += found.at(i) == given[static_cast<std::size_t>(language)].at(i) ? 1 : 0;
        if (!right) {
            std::printf("mixed [%s] %s\n", paragraphs[i].first.c_str(), paragraphs[i].second.c_str());
        }
    }
    std::printf("mixed, %s at its start: %d/%zu paragraphs found, %d/%zu converted as with their language\n",
                std::string(brantlewick::LanguageCode(file)).c_str(), named, paragraphs.size(), same,
                paragraphs.size());
}

// Each language's paragraphs as a text of its own, converted in each line choice with --language auto
// and with the language given: the same bytes, or the paragraphs that differ.
void SingleLanguage(const std::vector<std::pair<std::string, std::string>>& paragraphs) {
    for (const auto& row : brantlewick::kLanguages) {
        std::string text;
        for (const auto& [code, paragraph] : paragraphs) {
            text += code == row.code ? paragraph + "\n\n" : "";
        }
        for (const auto lines : {brantlewick::LineBreaks::Join, brantlewick::LineBreaks::Keep,
                                 brantlewick::LineBreaks::Reflow}) {
            const std::string given = Convert(text, lines, row.language, false);
            const std::string found = Convert(text, lines, brantlewick::Language::English, true);
            if (given != found) {
                std::printf("%s, lines %s: auto differs from the language given\n",
                            std::string(row.code).c_str(),
                            std::string(brantlewick::LineBreaksName(lines)).c_str());
            }
        }
    }
}

int Detect(const char* path) {
    std::ifstream in(path);
    Paragraphs paragraphs;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.front() == '[') {
            paragraphs.Judge();
            paragraphs.code = line.substr(1, line.find(']') - 1);
            paragraphs.totals.push_back({paragraphs.code, {0, 0}});
        } else {
            paragraphs.Add(line.substr(0, line.find('\t')));
        }
    }
    paragraphs.Judge();
    int right = 0, all = 0;
    for (const auto& [language, found] : paragraphs.totals) {
        std::printf("%s %d/%d\n", language.c_str(), found.first, found.second);
        right += found.first;
        all += found.second;
    }
    std::printf("all %d/%d paragraphs\n", right, all);
    SingleLanguage(paragraphs.all);
    Mixed(paragraphs.all);
    return 0;
}

// The files' text, repeated to at least `mebibytes`; the licence texts when no file is named.
std::string ReadText(std::vector<std::filesystem::path> files, std::size_t mebibytes) {
    if (files.empty()) {
        for (const auto& entry : std::filesystem::directory_iterator("/usr/share/common-licenses")) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
    }
    std::string once;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        once.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string text;
    while (!once.empty() && text.size() < mebibytes * 1024 * 1024) {
        text += once;
    }
    return text;
}

void Throughput(const std::string& text, brantlewick::LineBreaks lines, int runs) {
    const brantlewick::bench::Rates rates = brantlewick::bench::Throughput(Options(lines), text, runs);
    std::printf("median %.0f MB/s (%.0f MB per processor second) over %d runs, %.1f MB of text, lines %s\n",
                rates.wall, rates.cpu, runs, static_cast<double>(text.size()) / 1e6,
                lines == brantlewick::LineBreaks::Keep     ? "keep"
                : lines == brantlewick::LineBreaks::Reflow ? "reflow"
                                                           : "join");
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::size_t mebibytes = 64;
    auto lines = brantlewick::LineBreaks::Join;
    std::vector<std::filesystem::path> files;
    const char* score = nullptr;
    if (argc == 3 && std::string_view(argv[1]) == "--detect") {
        return Detect(argv[2]);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--one-line" && i + 1 < argc) {
            return OneLine(std::atol(argv[++i]));
        }
        if (arg == "--language" && i + 1 < argc) {
            findLanguage = std::string_view(argv[++i]) == "auto";
        } else if (arg == "--score" && i + 1 < argc) {
            score = argv[++i];
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && i + 1 < argc) {
            mebibytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--lines" && i + 1 < argc) {
            lines = brantlewick::LineBreaksFromName(argv[++i]).value_or(brantlewick::LineBreaks::Join);
        } else {
            files.emplace_back(arg);
        }
    }
    if (score != nullptr) {
        return Score(score, lines);
    }
    const std::string text = ReadText(std::move(files), mebibytes);
    if (text.empty()) {
        std::fprintf(stderr, "sentence_bench: no text to convert\n");
        return 1;
    }
    Throughput(text, lines, runs);
    return 0;
}
