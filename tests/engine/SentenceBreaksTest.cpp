// The conversion on literal texts, and the streaming engine against the plain reference on random input.
#include "SentenceBreaks.h"
#include "ReferenceConversion.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace brantlewick {
namespace {

using Entries = std::vector<std::string>;
const Entries kDefault = {".", "!", "?"};

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
        EXPECT_EQ(ConvertText(c.input, c.entries, c.enters), c.expected) << c.name;
    }
}

// Every chunking of the input must give the same bytes: lines, spaces and CR LF pairs cross chunk ends.
TEST(SentenceBreaksTest, ChunkBoundariesChangeNothing) {
    const std::string input = "One. Two!\r\n Three? Four... five\r\rsix. \nSeven.";
    for (const Entries& entries : {kDefault, Entries{"...", ".", "T"}}) {
        const std::string whole = ConvertText(input, entries, 2);
        for (std::size_t size = 1; size < input.size(); ++size) {
            SentenceBreaker breaker(entries, 2);
            std::string out;
            for (std::size_t at = 0; at < input.size(); at += size) {
                breaker.Feed(std::string_view(input).substr(at, size), out);
            }
            breaker.Finish(out);
            EXPECT_EQ(out, whole) << "chunk size " << size;
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
        ASSERT_EQ(ConvertText(text, entries, enters), expected)
            << "round " << round << " text " << ::testing::PrintToString(text) << " entries "
            << ::testing::PrintToString(entries) << " enters " << enters;

        SentenceBreaker breaker(entries, enters);
        std::string out;
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t size = 1 + random() % 40;
            breaker.Feed(std::string_view(text).substr(at, size), out);
            at += size;
        }
        breaker.Finish(out);
        ASSERT_EQ(out, expected) << "round " << round << " text " << ::testing::PrintToString(text)
                                 << " entries " << ::testing::PrintToString(entries) << " enters " << enters;
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
