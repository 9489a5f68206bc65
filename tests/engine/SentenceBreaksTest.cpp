// The conversion on literal texts, and the streaming engine against the plain reference on random input.
#include "SentenceBreaks.h"
#include "ReferenceConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

namespace brantlewick {
namespace {

using Entries = std::vector<std::string>;
const Entries kDefault = {".", "!", "?"};

// Feeds `text` in pieces of the sizes `nextSize` picks, each copied into a heap buffer of exactly its size,
// so that a read one byte past a piece fails under the sanitizer (a string's terminator would hide it).
template <typename NextSize>
std::string ConvertInPieces(std::string_view text, const Entries& entries, int enters, NextSize nextSize) {
    SentenceBreaker breaker(entries, enters);
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = std::min<std::size_t>(nextSize(), text.size() - at);
        const auto piece = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(piece.get(), text.data() + at, size);
        breaker.Feed(std::string_view(piece.get(), size), out);
        at += size;
    }
    breaker.Finish(out);
    return out;
}

std::string ConvertWhole(std::string_view text, const Entries& entries, int enters) {
    return ConvertInPieces(text, entries, enters, [&] { return text.size(); });
}

struct Case {
    const char* name;
    std::string input;
    Entries entries;
    int enters;
    std::string expected;
};

TEST(SentenceBreaksTest, ConvertsTheWorkedExamplesByteForByte) {
    const Case cases[] = {
        {"one enter", "Hi. Bye! Ok?", kDefault, 1, "Hi.\r\nBye!\r\nOk?\r\n"},
        {"two enters", "Hi. Bye! Ok?", kDefault, 2, "Hi.\r\n\r\nBye!\r\n\r\nOk?\r\n\r\n"},
        {"zero enters only drops spaces", "Hi. Bye! Ok?", kDefault, 0, "Hi.Bye!Ok?"},
        {"lines run together", "Title\r\nOne. Two\r\n", kDefault, 1, "TitleOne.\r\nTwo"},
        {"only the first space goes", "Wait..  Go", kDefault, 1, "Wait.\r\n.\r\n Go"},
        {"decimals are split too", "Pi is 3.14", kDefault, 1, "Pi is 3.\r\n14"},
        {"space before stays", "Hi .", kDefault, 1, "Hi .\r\n"},
        {"zero bytes", "", kDefault, 3, ""},
        {"entry case is written", "A cat", {"a"}, 1, "a\r\nca\r\nt"},
        {"short entry first", "Wait...", {".", "..."}, 1, "Wait.\r\n.\r\n.\r\n"},
        {"long entry first", "Wait...", {"...", "."}, 1, "Wait.\r\n.\r\n.\r\n\r\n"},
        {"duplicate entry breaks twice", "A.B", {".", "."}, 1, "A.\r\n\r\nB"},
        {"duplicate with zero enters drops two spaces", "A.  B", {".", "."}, 0, "A.B"},
        {"space at the start of the next line stays", "End.\n Next", kDefault, 1, "End.\r\n Next"},
        {"no match across a line break", "ab\ncd", {"bc"}, 1, "abcd"},
        {"multi-character entry, any case", "Stop STOP stop", {"stop"}, 1, "stop\r\nstop\r\nstop\r\n"},
        {"utf-8 entries stay whole",
         "\xE4\xBB\x8A\xE3\x80\x82\xE6\x98\x8E",
         {"\xE3\x80\x82"},
         1,
         "\xE4\xBB\x8A\xE3\x80\x82\r\n\xE6\x98\x8E"},
        {"bytes above 127 are never folded", "\xC3\xA9 \xC3\x89 ", {"\xC3\xA9"}, 1, "\xC3\xA9\r\n\xC3\x89 "},
        {"empty entries match nothing", "a.b", {"", "."}, 1, "a.\r\nb"},
        {"space entry", "a  b", {" "}, 1, "a \r\nb"},
        {"last line without terminator is converted", "x\r\ny.", kDefault, 1, "xy.\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertWhole(c.input, c.entries, c.enters), c.expected) << c.name;
    }
}

// Every chunking of the input must give the same bytes: lines, spaces and CR LF pairs cross chunk ends.
TEST(SentenceBreaksTest, ChunkBoundariesChangeNothing) {
    const std::string input = "One. Two!\r\n Three? Four... five\r\rsix. \nSeven.";
    for (const Entries& entries : {kDefault, Entries{"...", ".", "T"}}) {
        const std::string whole = ConvertWhole(input, entries, 2);
        for (std::size_t size = 1; size < input.size(); ++size) {
            EXPECT_EQ(ConvertInPieces(input, entries, 2, [size] { return size; }), whole)
                << "chunk size " << size;
        }
    }
}

std::string RandomText(std::mt19937& random, std::size_t length, const Entries& entries) {
    static const std::string alphabet = "aAbBcC .!?\r\n\xE3\x80\x82xyz";
    std::string text;
    while (text.size() < length) {
        if (!entries.empty() && random() % 5 == 0) {
            text += entries[random() % entries.size()];
        } else {
            text += alphabet[random() % alphabet.size()];
        }
    }
    return text;
}

Entries RandomEntries(std::mt19937& random) {
    static const Entries pool = {".",  "!",  "?",  "..", "...", "a", "A", "ab", "B", " ", "\xE3\x80\x82",
                                 ". ", "c.", "?!", "\n", "x"};
    Entries entries;
    const std::size_t count = random() % 5;
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back(pool[random() % pool.size()]);
    }
    return entries;
}

TEST(SentenceBreaksTest, StreamingEngineMatchesTheReferenceOnRandomInput) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 4000; ++round) {
        const Entries entries = round % 3 == 0 ? kDefault : RandomEntries(random);
        const int enters = static_cast<int>(random() % 4);
        // Some texts are long enough for the 64-byte windows of the single pass, which whole texts take.
        const std::string text = RandomText(random, random() % (round % 2 == 0 ? 200 : 700), entries);
        const std::string expected = testing::ReferenceConvert(text, entries, enters);
        ASSERT_EQ(ConvertWhole(text, entries, enters), expected)
            << "round " << round << " text " << ::testing::PrintToString(text) << " entries "
            << ::testing::PrintToString(entries) << " enters " << enters;
        const std::string pieces = ConvertInPieces(text, entries, enters, [&] { return 1 + random() % 160; });
        ASSERT_EQ(pieces, expected) << "round " << round << " text " << ::testing::PrintToString(text)
                                    << " entries " << ::testing::PrintToString(entries) << " enters "
                                    << enters;
    }
}

// An ending and its space at every place near the end of a piece. The single pass once read one byte past
// the piece when the ending was a window's last byte and the space came just after it.
TEST(SentenceBreaksTest, EndingsNearTheEndOfAPieceAreReadInsideIt) {
    for (std::size_t size = 126; size < 262; ++size) {
        for (std::size_t at = 0; at + 2 <= size; ++at) {
            std::string text(size, 'x');
            text.replace(at, 2, ". ");
            const std::string expected = text.substr(0, at + 1) + "\r\n" + text.substr(at + 2);
            ASSERT_EQ(ConvertWhole(text, kDefault, 1), expected) << "size " << size << " at " << at;
        }
    }
}

// The bounded output buffer hands its bytes on in order whatever its size; sizes below one replacement
// make it grow, and large outputs go through its second thread.
TEST(SentenceBreaksTest, DrainingSinkPassesEverythingOnInOrder) {
    std::mt19937 random(4);
    const std::string text = RandomText(random, 20000, kDefault);
    for (const auto& entries : {kDefault, Entries{"...", "."}}) {
        for (const int enters : {1, 9}) {
            const std::string expected = testing::ReferenceConvert(text, entries, enters);
            for (const std::size_t capacity : {1, 7, 64, 1000, 16 * 1024}) {
                std::string drained;
                SentenceBreaker breaker(entries, enters);
                DrainingSink sink([&drained](std::string_view bytes) { drained += bytes; }, capacity);
                for (std::size_t at = 0; at < text.size(); at += 5000) {
                    breaker.Feed(std::string_view(text).substr(at, 5000), sink);
                }
                breaker.Finish(sink);
                sink.Flush();
                EXPECT_EQ(drained == expected, true) << "capacity " << capacity << " enters " << enters;
            }
        }
    }
}

// A flush hands the filled buffer over and goes on in the other one: writes after it must land there.
TEST(SentenceBreaksTest, DrainingSinkTakesWritesAfterAFlush) {
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
}

// A failing write is raised on the converting thread, once the sink is used again or flushed.
TEST(SentenceBreaksTest, DrainingSinkRaisesTheDrainFailure) {
    const std::string text(1024 * 1024, 'x');
    for (const std::size_t failingCall : {1, 2, 5}) {
        std::size_t calls = 0;
        SentenceBreaker breaker(kDefault, 1);
        DrainingSink sink(
            [&calls, failingCall](std::string_view) {
                if (++calls == failingCall) {
                    throw std::runtime_error("disk full");
                }
            },
            64 * 1024);
        try {
            breaker.Feed(text, sink);
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
