// SPDX-License-Identifier: GPL-3.0-or-later
#include "Converting.h"

#include <algorithm>
#include <memory>

namespace brantlewick::testing {

ConversionOptions SentenceModeOptions(TextFormat format, LineBreaks lines, Language language) {
    ConversionOptions options;
    options.sentences = true;
    options.format = format;
    options.lines = lines;
    options.language = language;
    return options;
}

std::string ConvertExact(std::string_view text, const ConversionOptions& options, ConversionCounts* counts,
                         std::vector<Edit>* edits) {
    const auto copy = std::make_unique_for_overwrite<char[]>(text.size());
    std::copy(text.begin(), text.end(), copy.get());
    return ConvertText(std::string_view(copy.get(), text.size()), options, counts, edits);
}

std::string ConvertInPieces(std::string_view text, const ConversionOptions& options,
                            const std::function<std::size_t()>& nextSize) {
    Converter converter(options);
    std::string out;
    StringSink sink(out);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = std::min(nextSize(), text.size() - at);
        const auto piece = std::make_unique_for_overwrite<char[]>(size);
        std::copy_n(text.data() + at, size, piece.get());
        converter.Feed(std::string_view(piece.get(), size), sink);
        at += size;
    }
    converter.Finish(sink);
    sink.Close();
    return out;
}

std::string ConvertInPieces(std::string_view text, const ConversionOptions& options, std::mt19937& random,
                            std::size_t largest) {
    return ConvertInPieces(text, options, [&] { return static_cast<std::size_t>(1 + random() % largest); });
}

std::string Difference(const std::string& a, const std::string& b, std::size_t context) {
    const auto at =
        static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    const std::size_t from = at > context ? at - context : 0;
    return "\n--- rendered before\n" + a.substr(from, 240) + "\n--- rendered after\n" + b.substr(from, 240);
}

} // namespace brantlewick::testing
