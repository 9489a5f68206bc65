// The conversion on literal texts, and the streaming engine against the plain reference on random input.
#include "Conversion.h"
#include "ReferenceConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

namespace brantlewick {
namespace {

using Entries = std::vector<std::string>;
const Entries kDefault(kDefaultEntries.begin(), kDefaultEntries.end());
constexpr LineBreaks kJoin = LineBreaks::Join;
constexpr LineBreaks kKeep = LineBreaks::Keep;
constexpr LineBreaks kReflow = LineBreaks::Reflow;

// Feeds `text` in pieces of the sizes `nextSize` picks, each copied into a heap buffer of exactly its size,
// so that a read one byte past a piece fails under the sanitizer (a string's terminator would hide it).
template <typename NextSize>
std::string ConvertInPieces(std::string_view text, const ConversionOptions& options, NextSize nextSize,
                            ConversionCounts* counts = nullptr) {
    Converter converter(options);
    std::string out;
    StringSink sink(out);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = std::min<std::size_t>(nextSize(), text.size() - at);
        const auto piece = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(piece.get(), text.data() + at, size);
        converter.Feed(std::string_view(piece.get(), size), sink);
        at += size;
    }
    converter.Finish(sink);
    sink.Close();
    if (counts != nullptr) {
        *counts = converter.Counts();
    }
    return out;
}

std::string ConvertWhole(std::string_view text, const ConversionOptions& options,
                         ConversionCounts* counts = nullptr) {
    return ConvertInPieces(
        text, options, [&] { return text.size(); }, counts);
}

struct Case {
    const char* name;
    std::string input;
    Entries entries;
    int enters;
    LineBreaks lines;
    std::string expected;
};

TEST(ConversionTest, ConvertsTheWorkedExamplesByteForByte) {
    const Case cases[] = {
        {"one enter", "Hi. Bye! Ok?", kDefault, 1, kJoin, "Hi.\r\nBye!\r\nOk?\r\n"},
        {"two enters", "Hi. Bye! Ok?", kDefault, 2, kJoin, "Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n"},
        {"zero enters only drops spaces", "Hi. Bye! Ok?", kDefault, 0, kJoin, "Hi.Bye!Ok?"},
        {"lines run together", "Title\r\nOne. Two\r\n", kDefault, 1, kJoin, "TitleOne.\r\nTwo"},
        {"only the first space goes", "Wait..  Go", kDefault, 1, kJoin, "Wait.\r\n.\r\n Go"},
        {"decimals are split too", "Pi is 3.14", kDefault, 1, kJoin, "Pi is 3.\r\n14"},
        {"space before stays", "Hi .", kDefault, 1, kJoin, "Hi .\r\n"},
        {"zero bytes", "", kDefault, 3, kJoin, ""},
        {"entry case is written", "A cat", {"a"}, 1, kJoin, "a\r\nca\r\nt"},
        {"short entry first", "Wait...", {".", "..."}, 1, kJoin, "Wait.\r\n.\r\n.\r\n"},
        {"long entry first", "Wait...", {"...", "."}, 1, kJoin, "Wait.\r\n.\r\n.\r\n\r\n"},
        {"duplicate entry breaks twice", "A.B", {".", "."}, 1, kJoin, "A.\r\n\r\nB"},
        {"duplicate with zero enters drops two spaces", "A.  B", {".", "."}, 0, kJoin, "A.B"},
        {"space at the start of the next line stays", "End.\n Next", kDefault, 1, kJoin, "End.\r\n Next"},
        {"no match across a line break", "ab\ncd", {"bc"}, 1, kJoin, "abcd"},
        {"multi-character entry, any case", "Stop STOP stop", {"stop"}, 1, kJoin, "stop\r\nstop\r\nstop\r\n"},
        {"utf-8 entries stay whole",
         "\xE4\xBB\x8A\xE3\x80\x82\xE6\x98\x8E",
         {"\xE3\x80\x82"},
         1,
         kJoin,
         "\xE4\xBB\x8A\xE3\x80\x82\r\n\xE6\x98\x8E"},
        {"bytes above 127 are never folded",
         "\xC3\xA9 \xC3\x89 ",
         {"\xC3\xA9"},
         1,
         kJoin,
         "\xC3\xA9\r\n\xC3\x89 "},
        {"empty entries match nothing", "a.b", {"", "."}, 1, kJoin, "a.\r\nb"},
        {"space entry", "a  b", {" "}, 1, kJoin, "a \r\nb"},
        {"last line without terminator is converted", "x\r\ny.", kDefault, 1, kJoin, "xy.\r\n"},
        {"a line-end entry matches inserted breaks only", "a.\nb", {".", "\n"}, 1, kJoin, "a.\r\n\r\nb"},
        {"enter count past the short copy",
         "a.b",
         {"."},
         9,
         kJoin,
         "a.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nb"},
        {"keep writes every terminator back", "Title\r\nOne. Two\r\n", kDefault, 1, kKeep,
         "Title\r\nOne.\r\nTwo\r\n"},
        {"keep: lone CR and LF", "a.\nb! \rc", {"!", "."}, 1, kKeep, "a.\r\n\nb!\r\n\rc"},
        {"keep: several-character entry", "Wait... go\n", {"..."}, 1, kKeep, "Wait...\r\ngo\n"},
        {"keep ignores line-end entries", "a.\nb", {".", "\n"}, 1, kKeep, "a.\r\n\nb"},
        {"reflow joins a paragraph, one empty line between", "This is\nwrapped. Text\n\n\nNext  para\n",
         kDefault, 1, kReflow, "This is wrapped.\r\nText\r\n\r\nNext  para\r\n"},
        {"reflow adds only the missing breaks", "One.\n\nTwo.", kDefault, 1, kReflow, "One.\r\n\r\nTwo.\r\n"},
        {"reflow with two enters adds nothing", "A.\r\n  \r\nB", kDefault, 2, kReflow, "A.\r\n\r\nB\r\n"},
        {"reflow drops blank lines and blanks at line ends", "\n \n\t Indented line\r   next.  \n \n",
         kDefault, 1, kReflow, "Indented line next.\r\n"},
        {"reflow joins Japanese lines without a space",
         "\xE6\x97\xA5\xE6\x9C\xAC\n\xE8\xAA\x9E\n\xE8\xAA\x9E\nEnglish", kDefault, 1, kReflow,
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE8\xAA\x9E English\r\n"},
        {"reflow of blank lines only", "  \n\t\r\n", kDefault, 1, kReflow, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertWhole(c.input, {c.entries, c.enters, c.lines}), c.expected) << c.name;
    }
}

TEST(ConversionTest, CountsWhatItDid) {
    struct CountCase {
        std::string input;
        Entries entries;
        LineBreaks lines;
        ConversionCounts expected; // breaks, spaces, lines in and out, bytes in and out
    };
    const CountCase cases[] = {
        {"Hi. Bye! Ok?", kDefault, kJoin, {3, 2, 1, 3, 12, 16}},
        {"a.\r\nb", kDefault, kKeep, {1, 0, 2, 3, 5, 7}},
        {"a\r\rb\r\n", kDefault, kKeep, {0, 0, 3, 3, 6, 6}},
        {"Wait... go.\n", {"...", "."}, kJoin, {5, 1, 1, 5, 12, 20}},
        {"a\nb.\n\nc", kDefault, kReflow, {1, 0, 4, 3, 7, 11}},
        {"", kDefault, kJoin, {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        ConversionCounts counts;
        ConvertWhole(c.input, {c.entries, 1, c.lines}, &counts);
        const auto fields = [](const ConversionCounts& k) {
            return std::vector<std::uint64_t>{k.breaksInserted, k.spacesDropped, k.linesIn,
                                              k.linesOut,       k.bytesIn,       k.bytesOut};
        };
        EXPECT_EQ(fields(counts), fields(c.expected)) << ::testing::PrintToString(c.input);
    }
}

// An ending and its space at every place near the end of a piece. The single pass once read one byte past
// the piece when the ending was a window's last byte and the space came just after it.
TEST(ConversionTest, EndingsNearTheEndOfAPieceAreReadInsideIt) {
    for (std::size_t size = 126; size < 262; ++size) {
        for (std::size_t at = 0; at + 2 <= size; ++at) {
            std::string text(size, 'x');
            text.replace(at, 2, ". ");
            const std::string expected = text.substr(0, at + 1) + "\r\n" + text.substr(at + 2);
            ASSERT_EQ(ConvertWhole(text, {}), expected) << "size " << size << " at " << at;
        }
    }
}

// Lines as an editor counts them: terminators (CR LF once), and a last line without one.
std::uint64_t EditorLines(std::string_view text) {
    std::uint64_t lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            ++lines;
        }
    }
    return lines + (!text.empty() && text.back() != '\n' && text.back() != '\r');
}

std::string RandomText(std::mt19937& random, std::size_t length, const Entries& entries) {
    static const std::string alphabet = "aAbBcC .!?\r\n\t\xE3\x80\x82xyz";
    std::string text;
    while (text.size() < length) {
        const auto draw = random() % 40;
        if (!entries.empty() && draw < 8) {
            text += entries[random() % entries.size()];
        } else if (draw == 8) {
            text += std::string(1 + random() % 300, " .a\n"[random() % 4]); // runs longer than any window
        } else {
            text += alphabet[random() % alphabet.size()];
        }
    }
    return text;
}

Entries RandomEntries(std::mt19937& random) {
    static const Entries pool = {".",  "!",  "?",  "..", "...", "a",  "A",    "ab",  "B", " ", "\xE3\x80\x82",
                                 ". ", "c.", "?!", "\n", "x",   "aa", "\r\n", ".a.", ""};
    switch (random() % 4) {
    case 0:
        return kDefault;
    case 1: // distinct single bytes: the fused pass
        return {"x", "!", "?", "B"};
    default: {
        Entries entries;
        const std::size_t count = random() % 5;
        for (std::size_t i = 0; i < count; ++i) {
            entries.push_back(pool[random() % pool.size()]);
        }
        return entries;
    }
    }
}

TEST(ConversionTest, StreamingEngineMatchesTheReferenceOnRandomInput) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 6000; ++round) {
        const Entries entries = RandomEntries(random);
        const int enters = round % 50 == 0 ? 9 : static_cast<int>(random() % 4);
        const LineBreaks lines = std::array{kJoin, kKeep, kReflow}[random() % 3];
        const std::string text = RandomText(random, random() % (round % 2 == 0 ? 200 : 1500), entries);
        const std::string expected = testing::ReferenceConvert(text, entries, enters, lines);
        const auto trace = [&] {
            return "round " + std::to_string(round) + " text " + ::testing::PrintToString(text) +
                   " entries " + ::testing::PrintToString(entries) + " enters " + std::to_string(enters) +
                   " lines " + std::to_string(static_cast<int>(lines));
        };
        ConversionCounts counts;
        ASSERT_EQ(ConvertWhole(text, {entries, enters, lines}, &counts), expected) << trace();
        const std::size_t largest = 1 + random() % (round % 3 == 0 ? 8 : 200);
        ASSERT_EQ(ConvertInPieces(text, {entries, enters, lines}, [&] { return 1 + random() % largest; }),
                  expected)
            << trace();
        ASSERT_EQ(counts.bytesIn, text.size());
        ASSERT_EQ(counts.bytesOut, expected.size());
        ASSERT_EQ(counts.linesIn, EditorLines(text)) << trace();
        const bool lineEndEntry = std::any_of(entries.begin(), entries.end(), [](const std::string& entry) {
            return entry.find_first_of("\r\n") != std::string::npos;
        });
        if (!lineEndEntry) {
            ASSERT_EQ(counts.linesOut, EditorLines(expected)) << trace();
        }
    }
}

// The bounded output buffer hands its bytes on in order whatever its size; sizes below one replacement
// make it grow, and large outputs go through its second thread.
TEST(ConversionTest, DrainingSinkPassesEverythingOnInOrder) {
    std::mt19937 random(4);
    const std::string text = RandomText(random, 20000, kDefault);
    for (const auto& entries : {kDefault, Entries{"...", "."}}) {
        for (const int enters : {1, 9}) {
            const std::string expected = testing::ReferenceConvert(text, entries, enters);
            for (const std::size_t capacity : {1, 7, 64, 1000, 16 * 1024}) {
                std::string drained;
                Converter converter(ConversionOptions{entries, enters});
                DrainingSink sink([&drained](std::string_view bytes) { drained += bytes; }, capacity);
                for (std::size_t at = 0; at < text.size(); at += 5000) {
                    converter.Feed(std::string_view(text).substr(at, 5000), sink);
                }
                converter.Finish(sink);
                sink.Flush();
                EXPECT_EQ(drained == expected, true) << "capacity " << capacity << " enters " << enters;
            }
        }
    }
}

// A flush hands the filled buffer over and goes on in the other one: writes after it must land there.
TEST(ConversionTest, DrainingSinkTakesWritesAfterAFlush) {
    std::string drained;
    std::string expected;
    DrainingSink sink([&drained](std::string_view bytes) { drained += bytes; }, 16);
    for (int round = 0; round < 5; ++round) {
        const std::string bytes(40 + round, static_cast<char>('a' + round));
        sink.Append(bytes);
        expected += bytes;
        sink.Flush();
        ASSERT_EQ(drained, expected) << "round " << round;
    }
    EXPECT_EQ(sink.Written(), expected.size());
    EXPECT_EQ(sink.LastByte(), 'e');
}

// A failing write is raised on the converting thread, once the sink is used again or flushed.
TEST(ConversionTest, DrainingSinkRaisesTheDrainFailure) {
    const std::string text(1024 * 1024, 'x');
    for (const std::size_t failingCall : {1, 2, 5}) {
        std::size_t calls = 0;
        Converter converter(ConversionOptions{});
        DrainingSink sink(
            [&calls, failingCall](std::string_view) {
                if (++calls == failingCall) {
                    throw std::runtime_error("disk full");
                }
            },
            64 * 1024);
        try {
            converter.Feed(text, sink);
            sink.Flush();
            ADD_FAILURE() << "no error for call " << failingCall;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "disk full");
        }
        EXPECT_EQ(calls, failingCall); // nothing more is written after the failure
    }
}

} // namespace
} // namespace brantlewick
