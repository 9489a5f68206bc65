// Text with a UTF-16 or UTF-32 mark is converted in its own encoding. What has no exact form, and a file
// that is plainly not text, is refused with one error and leaves no output.
#include "TextEncoding.h"
#include "EngineError.h"
#include "SentenceBreaks.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace brantlewick {
namespace {

using namespace std::string_literals;
using testing::TempDir;

struct Row {
    const char* name;
    std::string in;
    std::string out; // the result, or a part of the error when `refused`
    bool refused = false;
};
// The pair D83D DE00 is U+1F600; the input's own CR LF is dropped as in bytes. The entries are ".", "!",
// "?" and the byte C3, which is no UTF-8 text: it splits U+00E9 (C3 A9), as bytes do.
const Row kRows[] = {
    {"UTF-16 LE", "\xFF\xFEH\0i\0.\0 \0B\0\r\0\n\0"s, "\xFF\xFEH\0i\0.\0\r\0\n\0B\0"s},
    {"UTF-16 BE", "\xFE\xFF\0A\xD8\x3D\xDE\0\0!\0 \x01\0"s, "\xFE\xFF\0A\xD8\x3D\xDE\0\0!\0\r\0\n\x01\0"s},
    {"UTF-32 LE", "\xFF\xFE\0\0?\0\0\0 \0\0\0x\0\0\0"s, "\xFF\xFE\0\0?\0\0\0\r\0\0\0\n\0\0\0x\0\0\0"s},
    {"UTF-32 BE", "\0\0\xFE\xFF\0\0\0.\0\x01\xF6\0"s, "\0\0\xFE\xFF\0\0\0.\0\0\0\r\0\0\0\n\0\x01\xF6\0"s},
    {"a mark alone", "\xFF\xFE", "\xFF\xFE"},
    {"UTF-8 with its mark, as bytes", "\xEF\xBB\xBFHi. \xC3\xA9", "\xEF\xBB\xBFHi.\r\n\xC3\r\n\xA9"},
    {"an odd last byte", "\xFF\xFE\x41\0.\0X"s,
     "not valid UTF-16 text (a last character cut short at byte 6)", true},
    {"a lone low surrogate", "\xFF\xFE\x41\0\0\xDC"s, "not valid UTF-16 text (a lone surrogate at byte 4)",
     true},
    {"a high surrogate at the end", "\xFE\xFF\xD8\x3D", "(a lone surrogate at byte 2)", true},
    {"a high surrogate before a letter", "\xFF\xFE\x3D\xD8\x41\0"s, "(a lone surrogate at byte 2)", true},
    {"a UTF-32 value past U+10FFFF", "\xFF\xFE\0\0\0\0\x11\0"s, "not valid UTF-32 text (a value that", true},
    {"NUL bytes without a mark", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR. "s, "not a text file: it holds NUL bytes",
     true},
    {"an ending inside a character", "\xFF\xFE\xE9\0"s, "cannot be written back as UTF-16", true},
};

TEST(TextEncodingTest, MarkedUnicodeIsConvertedInItsOwnEncodingOrRefusedWhole) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        testing::WriteBytes(dir / "in", row.in);
        const std::vector<std::string> entries = {".", "!", "?", "\xC3"};
        try {
            InsertEnterInFile(dir / "in", dir / "out", 1, entries);
            EXPECT_FALSE(row.refused);
            EXPECT_EQ(testing::ReadBytes(dir / "out"), row.out);
        } catch (const EngineError& error) {
            EXPECT_TRUE(row.refused) << error.what();
            EXPECT_NE(error.Reason().find(row.out), std::string::npos) << error.Reason();
            EXPECT_EQ(testing::ListNames(dir.Path()), "in");
        }
    }
}

// Pieces of every size, each in a heap block of exactly its size: decoding and encoding again gives the
// input back, and a cut inside a unit or a pair changes nothing.
TEST(TextEncodingTest, DecodingAndEncodingInAnyTwoPiecesGiveTheInputBack) {
    for (const Row& row : kRows) {
        const TextEncoding encoding = EncodingOf(row.in);
        if (row.refused || encoding == TextEncoding::Bytes) {
            continue;
        }
        const std::string units = row.in.substr(ByteOrderMark(encoding).size());
        for (std::size_t cut = 0; cut <= units.size(); ++cut) {
            SCOPED_TRACE(std::string(row.name) + " cut at " + std::to_string(cut));
            TextDecoder decoder(encoding, "in");
            TextEncoder encoder(encoding, "in");
            std::string utf8;
            std::string back;
            for (const std::string_view piece :
                 {std::string_view(units).substr(0, cut), std::string_view(units).substr(cut)}) {
                const std::unique_ptr<char[]> exact(new char[piece.size()]);
                std::copy(piece.begin(), piece.end(), exact.get());
                decoder.Decode(std::string_view(exact.get(), piece.size()), utf8);
            }
            decoder.Finish();
            encoder.Encode(std::string_view(utf8).substr(0, cut), back);
            encoder.Encode(std::string_view(utf8).substr(std::min(cut, utf8.size())), back);
            encoder.Finish();
            EXPECT_EQ(back, units);
        }
    }
}

// The first two reads of 64 KiB meet inside the pair D83D DE00 (bytes 65534 to 65537).
TEST(TextEncodingTest, ALargeFileIsConvertedAcrossEveryReadBoundary) {
    TempDir dir;
    std::string in = "\xFF\xFEZ\0Z\0Z\0"s;
    std::string out = in;
    for (int i = 0; i < 20000; ++i) {
        in += "A\0.\0 \0\x3D\xD8\0\xDE"s;
        out += "A\0.\0\r\0\n\0\x3D\xD8\0\xDE"s;
    }
    testing::WriteBytes(dir / "in", in);
    InsertEnterInFile(dir / "in", dir / "out", 1, {"."});
    EXPECT_EQ(testing::ReadBytes(dir / "out"), out);
}

} // namespace
} // namespace brantlewick
