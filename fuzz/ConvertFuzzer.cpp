// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the streaming conversion against the plain reference: the first bytes pick the Enter count, the
// line choice, the entries and the piece sizes; the rest is the text, converted whole and in pieces. Every
// piece lies in a heap buffer of exactly its size, so a read one byte past it fails under the sanitizer.
#include "ReferenceConversion.h"
#include "brantlewick/engine/Conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::string ConvertInPieces(const std::string& text, const brantlewick::ConversionOptions& options,
                            std::minstd_rand* pieceSizes) {
    brantlewick::Converter converter(options);
    std::string out;
    brantlewick::StringSink sink(out);
    for (std::size_t at = 0; at < text.size();) {
        // Whole when there is no generator; otherwise mostly small pieces, now and then a few windows long.
        std::size_t size = text.size() - at;
        if (pieceSizes != nullptr) {
            const std::uint32_t draw = (*pieceSizes)();
            size = std::min<std::size_t>(size, draw % 8 == 0 ? 1 + draw % 400 : 1 + draw % 24);
        }
        const auto piece = std::make_unique_for_overwrite<char[]>(size);
        std::memcpy(piece.get(), text.data() + at, size);
        converter.Feed(std::string_view(piece.get(), size), sink);
        at += size;
    }
    converter.Finish(sink);
    sink.Close();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const int enters = data[0] % 10; // above 7 a replacement outgrows the 16-byte fixed copy
    const auto lines = static_cast<brantlewick::LineBreaks>(data[0] / 10 % 3);
    std::minstd_rand pieceSizes(1 + data[1]);
    // Entries: up to four, each 1 to 3 bytes long, taken from the input after a header byte.
    std::size_t at = 3;
    std::vector<std::string> entries;
    for (int i = 0; i < data[2] % 5 && at < size; ++i) {
        const std::size_t length = 1 + data[at++] % 3;
        if (at + length > size) {
            break;
        }
        entries.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);

    // A UTF-8 mark goes in front of the converted rest, except in the classic joined lines.
    const std::size_t aside =
        text.starts_with("\xEF\xBB\xBF") && lines != brantlewick::LineBreaks::Join ? 3 : 0;
    const std::string expected = text.substr(0, aside) + brantlewick::testing::ReferenceConvert(
                                                             text.substr(aside), entries, enters, lines);
    const brantlewick::ConversionOptions options{entries, enters, lines};
    if (ConvertInPieces(text, options, nullptr) != expected ||
        ConvertInPieces(text, options, &pieceSizes) != expected) {
        std::abort();
    }
    return 0;
}
