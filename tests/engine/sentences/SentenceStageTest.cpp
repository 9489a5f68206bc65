// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode on the literal cases of cases.txt, and what it must keep on any text: every
// character but the dropped blanks, in any chunking.
#include "sentences/SentenceStage.h"
#include "ReferenceConversion.h"
#include "SentenceEdits.h"
#include "brantlewick/engine/Conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <tuple>

namespace brantlewick {
namespace {

struct Result {
    std::string text;
    std::uint64_t breaks = 0, blanks = 0;
};

// Feeds pieces of 1 to maxChunk bytes, each in a heap buffer of exactly its size, so that reading past
// a piece trips the address sanitizer.
template <typename Engine>
std::string Feed(Engine& engine, std::string_view text, std::size_t maxChunk, std::mt19937& random) {
    std::string out;
    StringSink sink(out);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(1 + random() % maxChunk, text.size() - at);
        const auto piece = std::make_unique<char[]>(n);
        std::copy_n(text.data() + at, n, piece.get());
        engine.Feed({piece.get(), n}, sink);
        at += n;
    }
    engine.Finish(sink);
    sink.Close();
    return out;
}

Result Convert(const SentenceOptions& options, std::string_view text, std::size_t maxChunk,
               std::mt19937& random) {
    SentenceStage stage(options);
    std::string out = Feed(stage, text, maxChunk, random);
    return {std::move(out), stage.Tally().breaksInserted, stage.Tally().spacesDropped};
}

void ExpectPromisesKept(const SentenceOptions& options, std::string_view text, const std::string& where) {
    std::mt19937 random(static_cast<unsigned>(text.size()));
    const Result whole = Convert(options, text, text.size() + 1, random);
    const testing::SentenceEdits edits = testing::CompareSentenceEdits(text, whole.text);
    EXPECT_EQ(edits.fault, "") << where;
    EXPECT_EQ(edits.breaks, whole.breaks) << where;
    EXPECT_EQ(edits.blanks, whole.blanks) << where;
    for (const std::size_t maxChunk : {std::size_t{1}, std::size_t{7}, std::size_t{300}}) {
        ASSERT_EQ(Convert(options, text, maxChunk, random).text, whole.text)
            << where << ", chunks " << maxChunk;
    }
}

struct Case {
    int line;
    SentenceOptions options;
    std::string input, expected;
};

std::string Unescape(std::string text) {
    const std::pair<const char*, const char*> escapes[] = {
        {"\\r", "\r"}, {"\\n", "\n"}, {"\\t", "\t"}, {"\\s", "\xC2\xA0"}, {"\\w", "\xE3\x80\x80"}};
    for (const auto& [from, to] : escapes) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, 2, to);
        }
    }
    return text;
}

// cases.txt: options, input and expected output on each line, tab-separated ("[...]" heads a group).
std::vector<Case> Cases() {
    std::vector<Case> cases;
    std::ifstream file(BRANTLEWICK_SOURCE_DIR "/tests/engine/sentences/cases.txt");
    std::string line, options, input, expected, word;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream fields(line), words(line.substr(0, line.find('\t')));
        if (line.empty() || line[0] == '#' || line[0] == '[' || !std::getline(fields, options, '\t') ||
            !std::getline(fields, input, '\t') || !std::getline(fields, expected, '\t')) {
            continue;
        }
        Case c{number, {{".", "!", "?"}, 1, Language::English, false}, Unescape(input), Unescape(expected)};
        for (words >> word, c.options.language = LanguageFromCode(word).value(); words >> word;) {
            if (word == "keep") {
                c.options.terminatorsSurvive = true;
            } else if (word.starts_with("e=")) {
                std::istringstream entries(word.substr(2));
                for (c.options.entries.clear(); std::getline(entries, word, ',');) {
                    c.options.entries.push_back(word);
                }
            } else {
                c.options.enterCount = std::stoi(word);
            }
        }
        cases.push_back(c);
    }
    return cases;
}

TEST(SentenceStageTest, TheWrittenCasesGiveExactlyTheseBytes) {
    const std::vector<Case> cases = Cases();
    ASSERT_GT(cases.size(), 50u);
    for (const Case& c : cases) {
        std::mt19937 random(static_cast<unsigned>(c.line));
        EXPECT_EQ(Convert(c.options, c.input, c.input.size() + 1, random).text, c.expected)
            << "cases.txt line " << c.line;
        ExpectPromisesKept(c.options, c.input, "cases.txt line " + std::to_string(c.line));
    }
}

// The whole conversion, in pieces as above.
std::string ConvertAll(const ConversionOptions& options, std::string_view text, std::size_t maxChunk,
                       std::mt19937& random, ConversionCounts& counts) {
    Converter converter(options);
    std::string out = Feed(converter, text, maxChunk, random);
    counts = converter.Counts();
    return out;
}

// Random text made of what the rules look at, in every script they know, plus broken UTF-8; the shipped
// samples; and one line far longer than anything a decision reads.
std::vector<std::string> RandomTexts(unsigned seed, int count) {
    std::vector<std::string> pieces;
    std::istringstream list(
        "Mr.|Dr|e.g.|U.S.|z. B.|т. д.|3.14|1.|2.|a)|(b)|1. |a) |• |- |...|…|?!|!|?|.|. |? "
        "|。|！|？|．|「|」|“|”|"
        "\"|'|«|» |(|)|[1]| |  |\t|\xC2\xA0|\xE3\x80\x80|\n|\r\n|\r|\n\n|The|Hi|he|Der|Он|は|と|日|"
        "example.com|:|,|etc.|A.|x|\xFF|\xE3\x80|\xC2|``|''|,,|*|„|“|《|》|— |—|– |and|und|said|Jenny|"
        "Yahoo!|pop.|par.|Di|(1)|N°|. . .");
    for (std::string piece; std::getline(list, piece, '|');) {
        pieces.push_back(piece);
    }
    std::mt19937 random(seed);
    const auto piece = [&] { return pieces[random() % pieces.size()]; };
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (auto n = 1 + random() % 400; n > 0; --n) {
            text += piece();
        }
        texts.push_back(text);
    }
    std::string samples;
    for (const auto& entry : std::filesystem::directory_iterator(BRANTLEWICK_SOURCE_DIR "/samples/Samples")) {
        std::ifstream file(entry.path(), std::ios::binary);
        samples.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    texts.push_back(samples);
    std::string longLine;
    while (longLine.size() < 20000) {
        const std::string next = piece();
        longLine += next.find_first_of("\r\n") == std::string::npos ? next : " ";
    }
    texts.push_back(longLine);
    // Paragraphs in every language, for the language found by paragraph.
    std::ifstream languages(BRANTLEWICK_SOURCE_DIR "/tests/engine/sentences/languages.txt");
    std::string mixed;
    for (std::string line; std::getline(languages, line);) {
        mixed += line.starts_with('#') ? "" : line.substr(line.find('\t') + 1) + "\n\n";
    }
    texts.push_back(mixed);
    return texts;
}

// The stage keeps every character but the blanks it drops, in any chunking; the whole conversion,
// through each line choice, keeps the text apart from spaces and line ends, and counts what it did.
TEST(SentenceStageTest, KeepsEveryCharacterButBlanksInAnyChunking) {
    const std::vector<std::string> texts = RandomTexts(2024, 400);
    ASSERT_GT(texts[texts.size() - 3].size(), 500u);
    std::mt19937 random(2024);
    const std::vector<std::string> entries[] = {
        {".", "!", "?"}, {".", "?", "..."}, {"!", ";", "END", "\n", ""}, {"\xE3\x80\x82", "?"}};
    for (std::size_t t = 0; t < texts.size(); ++t) {
        const std::string& text = texts[t];
        const SentenceOptions stage{entries[t % 4], static_cast<int>(t % 4), static_cast<Language>(t % 9),
                                    t % 2 == 0};
        ExpectPromisesKept(stage, text, "text " + std::to_string(t));
        const ConversionOptions options{
            stage.entries,
            stage.enterCount,
            std::array{LineBreaks::Join, LineBreaks::Keep, LineBreaks::Reflow}[t % 3],
            true,
            stage.language,
            t % 5 == 0 || t + 1 == texts.size()};
        ConversionCounts whole, inPieces;
        const std::string out = ConvertAll(options, text, text.size() + 1, random, whole);
        ASSERT_EQ(ConvertAll(options, text, 1 + random() % 64, random, inPieces), out) << t;
        EXPECT_EQ(std::tie(inPieces.breaksInserted, inPieces.spacesDropped, inPieces.linesOut),
                  std::tie(whole.breaksInserted, whole.spacesDropped, whole.linesOut))
            << t;
        EXPECT_TRUE(testing::KeepsTheText(text, out)) << t;
        EXPECT_EQ(std::pair(whole.linesIn, whole.linesOut),
                  std::pair(testing::EditorLines(text), testing::EditorLines(out)))
            << t;
        if (options.lines == LineBreaks::Keep) {
            // Kept lines take their breaks in the text's first line end when that is an LF.
            const std::size_t first = text.find_first_of("\r\n");
            const testing::SentenceEdits edits = testing::CompareSentenceEdits(
                text, out, first != std::string::npos && text[first] == '\n' ? "\n" : "\r\n");
            EXPECT_EQ(std::tuple(edits.fault, edits.breaks, edits.blanks),
                      std::tuple("", whole.breaksInserted, whole.spacesDropped))
                << t;
        }
    }
}

// What a run makes of a text, a second run leaves as it is, in every line choice: "--check" relies on it,
// and a second pass once glued more words at every paragraph that ended without a sentence end.
TEST(SentenceStageTest, ASecondRunChangesNothing) {
    std::vector<std::string> texts = RandomTexts(77, 300);
    // Texts that once changed on a second run, each for a reason of its own.
    for (const char* text :
         {"Install with\n\n    make install\n\nthen run it", // a paragraph that ends without an end
          "Brian W. Kernighan and\nP. J. Plauger's book.",   // an initial joined to a word
          "Dr\nX. Then we left. A.\nA. J",                   // ... and to an abbreviation
          "Iain   (gdc)\nAurelien   (mips)\nMatt   (hppa)",  // short lines
          "《!\tJ！》",                                      // an end inside a title
          "！r.Hi ",                                         // a word after a wide end
          "„? Da. B? –D",                                    // a quote's dialogue dash
          "e.g.は 。\u00A0」 ！\t？",                        // blanks rejoined lines drop
          "? 1. D .\r. 1 —\n1. •t",                          // a number alone, a bullet's item
          "A copy of the license is included in the \"GNU Free\nDocumentation License\" file."}) {
        texts.emplace_back(text);
    }
    // Real documents: the Markdown corpus read as plain text.
    for (const auto& entry :
         std::filesystem::directory_iterator(BRANTLEWICK_SOURCE_DIR "/tests/engine/markdown/corpus")) {
        if (entry.path().filename() != "utf16.md") {
            std::ifstream file(entry.path(), std::ios::binary);
            texts.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
    }
    std::mt19937 random(77);
    for (std::size_t t = 0; t < texts.size(); ++t) {
        for (const LineBreaks lines : {LineBreaks::Join, LineBreaks::Keep, LineBreaks::Reflow}) {
            const ConversionOptions options{{".", "!", "?"},
                                            1 + static_cast<int>(t % 5 == 4),
                                            lines,
                                            true,
                                            static_cast<Language>((t + static_cast<std::size_t>(lines)) % 9),
                                            t % 4 == 0 || t + 1 == texts.size()};
            ConversionCounts counts;
            const std::string once = ConvertAll(options, texts[t], 1 + random() % 64, random, counts);
            ASSERT_EQ(ConvertAll(options, once, 1 + random() % 64, random, counts), once)
                << "text " << t << ", lines " << LineBreaksName(lines) << ": "
                << ::testing::PrintToString(texts[t]);
        }
    }
}

TEST(SentenceStageTest, NamesLanguagesByCodeAndLocale) {
    for (const char* unknown : {"", "d", "deu", "pt", "e\xC3"}) {
        EXPECT_EQ(LanguageFromCode(unknown), std::nullopt) << unknown;
    }
    const char* const locales[][2] = {
        {"ZH", "zh"},          {"de_DE.UTF-8", "de"}, {"nl-BE", "nl"}, {"ja_JP.eucJP@x", "ja"},
        {"pt_BR.UTF-8", "en"}, {"C", "en"},           {"", "en"},
    };
    for (const auto& [name, code] : locales) {
        EXPECT_EQ(LanguageCode(LanguageFromLocale(name)), code) << name;
    }
}

// languages.txt: paragraphs of twenty words and more in each language, and starts that tell nothing.
TEST(SentenceStageTest, FindsATextsLanguageFromItsStart) {
    std::ifstream file(BRANTLEWICK_SOURCE_DIR "/tests/engine/sentences/languages.txt");
    int rows = 0;
    for (std::string line; std::getline(file, line); rows += line.empty() || line[0] == '#' ? 0 : 1) {
        const std::size_t tab = line.find('\t');
        const std::optional<Language> found = LanguageOfText(line.substr(tab + 1));
        EXPECT_TRUE(line.empty() || line[0] == '#' ||
                    line.substr(0, tab) == (found ? LanguageCode(*found) : ""))
            << line;
    }
    EXPECT_GT(rows, 12);
    const std::pair<const char*, const char*> frontMatters[] = {
        {"---\ntitle: Notes\nlang: de-CH\n---\nThe text.", "de"},
        {"---\r\nlanguage: \"fr\"\r\n---\r\n", "fr"},
        {"---\nlang: pt\n---\n", ""},           // none of ours
        {"---\ntitle: x\n---\nlang: de\n", ""}, // after the front matter
        {"Text\n---\nlang: de\n---\n", ""},     // no front matter
        {"---\nmeta:\n  lang: de\n---\n", ""},  // not a top-level key
    };
    for (const auto& [text, code] : frontMatters) {
        const std::optional<Language> named = FrontMatterLanguage(text);
        EXPECT_EQ(named ? LanguageCode(*named) : "", code) << text;
    }
}

// The language found is the sentence mode's, however the text comes in pieces; a start that tells
// nothing takes the language given, and a Markdown file's front matter wins over its text.
TEST(SentenceStageTest, AFoundLanguageDecidesTheBreaks) {
    std::string german;
    while (german.size() < 40000) {
        german += "Der Rat hat beschlossen, dass die Gebühren nicht steigen, siehe Abb. Drei und die Liste. ";
    }
    const std::string english = "See Abb. Drei and the list. Then more.\n";
    ConversionOptions options;
    options.sentences = true;
    options.findLanguage = true;
    options.language = Language::English;
    std::mt19937 random(4711);
    ConversionCounts counts;
    const std::string out = ConvertAll(options, german, 1 + random() % 9000, random, counts);
    EXPECT_EQ(out, ConvertText(german, options));
    EXPECT_EQ(std::pair(out.find("Abb.\r\n"), out.find("Liste.\r\nDer") != std::string::npos),
              std::pair(std::string::npos, true));
    EXPECT_EQ(ConvertText(english, options), "See Abb.\r\nDrei and the list.\r\nThen more.\r\n");
    options.format = TextFormat::Markdown;
    EXPECT_EQ(ConvertText("---\nlang: de\n---\n" + english, options),
              "---\nlang: de\n---\nSee Abb. Drei and the list.\nThen more.\n");
}

// Each paragraph is read in the language its start tells clearly, in every line choice and in a
// document, however the text comes in pieces; a paragraph too short to tell is read in the text's.
TEST(SentenceStageTest, EachParagraphIsReadInTheLanguageItsStartTells) {
    const std::string english =
        "The council met on Monday and said that it would not raise the fees this year, but the "
        "members of the board were not sure how long they could wait for the money.\n\n";
    const std::string german =
        "Der Rat hat am Montag beschlossen, dass die Gebühren in diesem Jahr nicht steigen, "
        "siehe Abb. Drei, aber die Mitglieder wissen nicht, wie lange sie warten können.\n\n";
    const std::string french =
        "Le conseil a dit qu'il ne relèvera pas les tarifs cette année, mais les membres ne "
        "sont pas sûrs de pouvoir attendre encore longtemps pour avoir l'argent.\n\n";
    const std::string russian = "Совет заявил, что в этом году не будет повышать тарифы и т. д. Потом члены "
                                "правления сказали, что не знают, сколько ещё они смогут ждать.\n";
    const struct {
        std::string text;
        TextFormat format;
        LineBreaks lines;
        std::string_view expected;
    } rows[] = {
        {english + german + english, TextFormat::Plain, LineBreaks::Join, "Abb. Drei"},
        {english + german, TextFormat::Plain, LineBreaks::Keep, "Abb. Drei"},
        {english + german, TextFormat::Plain, LineBreaks::Reflow, "Abb. Drei"},
        {english + german, TextFormat::Markdown, LineBreaks::Keep, "Abb. Drei"},
        {french + russian, TextFormat::Plain, LineBreaks::Join, "т. д.\r\nПотом"},
        {german + german + "See Abb. Drei, the list.\n", TextFormat::Plain, LineBreaks::Join, "Abb. Drei,"},
        {english + "Siehe Abb. Drei und die Liste.", TextFormat::Plain, LineBreaks::Join, "Abb.\r\nDrei"},
    };
    std::mt19937 random(5);
    for (const auto& row : rows) {
        ConversionOptions options{{".", "!", "?"}, 1, row.lines, true, Language::Italian, true};
        options.format = row.format;
        ConversionCounts counts;
        const std::string out = ConvertAll(options, row.text, 1 + random() % 300, random, counts);
        EXPECT_NE(out.find(row.expected), std::string::npos) << out;
        EXPECT_EQ(out, ConvertText(row.text, options));
    }
    // A line of names repeats a few words of one language: each counts once, and the text's stays.
    EXPECT_EQ(
        LanguageOfParagraph("Present: Van der Berg, van Dijk, de Jong, van den Bosch, de Vries, van der "
                            "Meer, van Dam, van Leeuwen.",
                            Language::English),
        Language::English);
}

} // namespace
} // namespace brantlewick
