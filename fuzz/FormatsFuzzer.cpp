// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the sentence mode for AsciiDoc, reStructuredText and LaTeX: the first byte picks the format, the
// line choice and the Enter count, the second the language, the third the piece sizes; the rest is the
// document. The result must differ from it only in blanks and line ends, stay as it is when converted
// again, and come out the same in pieces as whole. Every piece lies in a heap buffer of exactly its size,
// so a read past it trips the address sanitizer. (Their readers judge the rendering in the property tests:
// none of them can run in this process.)
#include "brantlewick/engine/Conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr std::array<brantlewick::TextFormat, 3> kFormats = {brantlewick::TextFormat::AsciiDoc,
                                                             brantlewick::TextFormat::ReStructuredText,
                                                             brantlewick::TextFormat::LaTeX};

std::string Convert(std::string_view text, const brantlewick::ConversionOptions& options, std::size_t piece) {
    brantlewick::Converter converter(options);
    std::string out;
    brantlewick::StringSink sink(out);
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const std::size_t n = std::min(piece, text.size() - at);
        const std::unique_ptr<char[]> copy(new char[n]);
        std::copy_n(text.data() + at, n, copy.get());
        converter.Feed({copy.get(), n}, sink);
    }
    converter.Finish(sink);
    sink.Close();
    return out;
}

std::string WithoutSpace(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; });
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    brantlewick::ConversionOptions options;
    options.sentences = true;
    options.format = kFormats.at(data[0] % 3);
    options.lines = ((data[0] >> 2) & 1) != 0 ? brantlewick::LineBreaks::Keep : brantlewick::LineBreaks::Join;
    options.enterCount = (data[0] >> 3) % 3;
    options.language = static_cast<brantlewick::Language>(data[1] % 9);
    const std::size_t piece = 1 + data[2] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);

    const std::string whole = Convert(text, options, text.size() + 1);
    if (Convert(text, options, piece) != whole || WithoutSpace(whole) != WithoutSpace(text) ||
        Convert(whole, options, whole.size() + 1) != whole) {
        std::abort();
    }
    return 0;
}
