// SPDX-License-Identifier: GPL-3.0-or-later
// Text with a UTF-16 or UTF-32 mark is converted in its own encoding. What has no exact form, and a file
// that is plainly not text, is refused with one error and leaves no output.
#include "TextEncoding.h"
#include "ExactError.h"
#include "Rows.h"
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace brantlewick {
namespace {

using namespace std::string_literals;

// The pair D83D DE00 is U+1F600; the input's own CR LF is dropped as in bytes. Besides ".", "!" and "?"
// the byte C3 is an ending: no UTF-8 text, it splits U+00E9 (C3 A9) as bytes do.
const struct {
    const char* name;
    std::string in;
    std::string out; // the result, or the error's reason when `refused`
    bool refused = false;
    std::size_t piece = 1; // read from a descriptor, each read gives so many bytes
} kRows[] = {
    {"an empty file", "", ""},
    {"UTF-16 LE", "\xFF\xFEH\0i\0.\0 \0B\0\r\0\n\0"s, "\xFF\xFEH\0i\0.\0\r\0\n\0B\0"s},
    {"UTF-16 BE", "\xFE\xFF\0A\xD8\x3D\xDE\0\0!\0 \x01\0"s, "\xFE\xFF\0A\xD8\x3D\xDE\0\0!\0\r\0\n\x01\0"s},
    {"UTF-32 LE", "\xFF\xFE\0\0?\0\0\0 \0\0\0x\0\0\0"s, "\xFF\xFE\0\0?\0\0\0\r\0\0\0\n\0\0\0x\0\0\0"s},
    {"UTF-32 BE", "\0\0\xFE\xFF\0\0\0.\0\x01\xF6\0"s, "\0\0\xFE\xFF\0\0\0.\0\0\0\r\0\0\0\n\0\x01\xF6\0"s},
    {"a mark alone", "\xFF\xFE", "\xFF\xFE"},
    {"UTF-8 with its mark, as bytes", "\xEF\xBB\xBFHi. \xC3\xA9", "\xEF\xBB\xBFHi.\r\n\xC3\r\n\xA9"},
    {"an odd last byte", "\xFF\xFE\x41\0.\0X"s,
     "not valid UTF-16 text (a last character cut short at byte 6); not converted", true},
    {"a lone surrogate at the end", "\xFE\xFF\0\x41\xD8\0"s,
     "not valid UTF-16 text (a lone surrogate at byte 4); not converted", true},
    {"an ending inside a character", "\xFF\xFE\xC0\0"s,
     "the result is not UTF-8 text and cannot be written back as UTF-16 (is a sentence ending not valid "
     "UTF-8?); not converted",
     true},
    // FF FE 00 00 was once read as UTF-16 LE when a unit in the first read was no character: garbage.
    {"the UTF-32 LE mark decides", "\xFF\xFE\0\0A\0\0\0\0\0\x11\0"s,
     "not valid UTF-32 text (a value that is no character at byte 8); not converted", true},
    // A NUL after a short first read from a pipe was once let through.
    {"a NUL after a short read", "abcdxxxx\0yy. zz"s,
     "not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs its byte-order mark); not converted",
     true, 4},
    // Read from a pipe, the result of the part before a late invalid unit was once written out.
    {"a lone surrogate after much text", "\xFF\xFE"s + std::string(400000, '.') + "\0\xDC"s, // U+2E2E
     "not valid UTF-16 text (a lone surrogate at byte 400002); not converted", true, std::size_t{32} * 1024},
};

// From a file, and from a descriptor read a few bytes at a time: one result, or one refusal writing nothing.
// An older output (the row's name) is replaced whole or left whole; the bytes counted are the files'.
TEST(TextEncodingTest, MarkedUnicodeIsConvertedInItsOwnEncodingOrRefusedWhole) {
    const ConversionOptions options{{".", "!", "?", "\xC3"}, 1};
    FOR_EACH_ROW(row, kRows) {
        testing::TempDir dir;
        testing::WriteBytes(dir / "in", row.in);
        testing::WriteBytes(dir / "out", row.name);
        const testing::PiecesDescriptor pipe(row.in, row.piece);
        InputFile input(pipe.Descriptor(), "-");
        std::string piped;
        const auto pipeOut = [&piped](std::string_view bytes) { piped += bytes; };
        for (const bool fromFile : {true, false}) {
            const auto convert = [&] {
                return fromFile ? ConvertFile(dir / "in", dir / "out", options)
                                : ConvertStream(input, options, pipeOut);
            };
            if (row.refused) {
                EXPECT_ENGINE_ERROR(convert(), fromFile ? dir / "in" : "-", row.out);
                continue;
            }
            const ConversionCounts counts = convert();
            EXPECT_EQ(fromFile ? testing::ReadBytes(dir / "out") : piped, row.out);
            EXPECT_EQ(counts.bytesIn, row.in.size());
            EXPECT_EQ(counts.bytesOut, row.out.size());
        }
        EXPECT_EQ(testing::ListNames(dir.Path()), "in|out"); // no temporary file left
        EXPECT_TRUE(!row.refused || (piped.empty() && testing::ReadBytes(dir / "out") == row.name));
    }
}

// The result of an encoded stream waits in $TMPDIR; where nothing can be made there, nothing is converted.
TEST(TextEncodingTest, AnEncodedStreamWaitsInTheTemporaryFolder) {
    testing::TempDir dir;
    const std::string tmp = dir / "missing";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    const testing::PiecesDescriptor pipe("\xFF\xFEH\0"s, 4);
    InputFile input(pipe.Descriptor(), "-");
    EXPECT_ENGINE_ERROR(ConvertStream(input, {}, [](std::string_view) { ADD_FAILURE() << "written"; }), "-",
                        "cannot create a temporary file in " + tmp + ": No such file or directory");
    ::unsetenv("TMPDIR"); // each test runs in a process of its own
}

// The reference: glibc's iconv; nothing when it refuses the text.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
    const iconv_t converter = ::iconv_open(to, from);
    std::string out(in.size() * 4 + 16, '\0');
    char* inCursor = const_cast<char*>(in.data());
    char* outCursor = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const bool done =
        ::iconv(converter, &inCursor, &inLeft, &outCursor, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(converter);
    return done ? std::optional(out.substr(0, out.size() - outLeft)) : std::nullopt;
}

// Ours, on `in` cut in two at `cut`, each piece in a heap block of exactly its size.
template <typename Coder>
std::optional<std::string> Ours(TextEncoding encoding, std::string_view in, std::size_t cut = 0) {
    try {
        Coder coder(encoding, "in");
        std::string out;
        for (const std::string_view piece : {in.substr(0, cut), in.substr(cut)}) {
            const std::unique_ptr<char[]> exact(new char[piece.size()]);
            coder.Feed(std::string_view(exact.get(), piece.copy(exact.get(), piece.size())), out);
        }
        coder.Finish();
        return out;
    } catch (const EngineError&) {
        return std::nullopt;
    }
}

// Three units in `encoding`, picked from a list of valid and invalid values by the base-9 digits of `n`.
std::string ThreeUnits(TextEncoding encoding, int n) {
    const std::uint32_t values[] = {0x41, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFFFF, 0x10FFFF, 0x110000};
    const int size = encoding == TextEncoding::Utf32LE || encoding == TextEncoding::Utf32BE ? 4 : 2;
    const bool little = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf32LE;
    std::string in;
    for (int k = n, i = 0; i < 3; ++i, k /= 9) {
        for (int b = 0; b < size; ++b) {
            in += char(values[k % 9] >> 8 * (little ? b : size - 1 - b) & 0xFF);
        }
    }
    return in;
}

// Every character, and every short run of units (lone surrogates, values past U+10FFFF, a cut unit), comes
// out as iconv gives it, or is refused as iconv refuses it.
TEST(TextEncodingTest, AgreesWithIconvOnEveryCharacterAndOnMalformedUnits) {
    std::string every; // UTF-32 BE
    for (std::uint32_t c = 0; c <= 0x10FFFF; c = c == 0xD7FF ? 0xE000 : c + 1) {
        every += {char(c >> 24), char(c >> 16 & 0xFF), char(c >> 8 & 0xFF), char(c & 0xFF)};
    }
    const std::string utf8 = Iconv("UTF-8", "UTF-32BE", every).value();
    for (const auto& [encoding, name] :
         {std::pair(TextEncoding::Utf16LE, "UTF-16LE"), std::pair(TextEncoding::Utf16BE, "UTF-16BE"),
          std::pair(TextEncoding::Utf32LE, "UTF-32LE"), std::pair(TextEncoding::Utf32BE, "UTF-32BE")}) {
        SCOPED_TRACE(name);
        const bool wide = encoding == TextEncoding::Utf32LE || encoding == TextEncoding::Utf32BE;
        const std::string units = Iconv(name, "UTF-32BE", every).value();
        // Cut inside a unit, or between the halves of the first pair; and inside the last UTF-8 character.
        EXPECT_EQ(Ours<TextDecoder>(encoding, units, wide ? 4 * 0xF000 + 2 : 2 * 0xF800 + 2), utf8);
        EXPECT_EQ(Ours<TextEncoder>(encoding, utf8, utf8.size() - 2), units);
        for (const char* bad :
             {"\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
            EXPECT_EQ(Ours<TextEncoder>(encoding, bad), Iconv(name, "UTF-8", bad)) << bad;
        }
        for (int n = 0; n < 9 * 9 * 9; ++n) {
            const std::string in = ThreeUnits(encoding, n);
            EXPECT_EQ(Ours<TextDecoder>(encoding, in, 1), Iconv("UTF-8", name, in)) << n;
            EXPECT_EQ(Ours<TextDecoder>(encoding, in + "A"), std::nullopt) << n;
        }
    }
}

} // namespace
} // namespace brantlewick
