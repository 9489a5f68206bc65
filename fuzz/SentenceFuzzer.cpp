// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the sentence mode: the first bytes pick the language, the Enter count, whether line ends stay,
// the entries, the line choice and the chunk size; the rest is the text. The stage must put it out with
// only CR LF pairs added and blanks dropped, with the counts to match; the whole conversion with the
// same text apart from spaces; both the same in chunks as whole. Every chunk lies in a heap buffer of
// exactly its size, so a read past it trips the address sanitizer.
#include "SentenceEdits.h"
#include "brantlewick/engine/Conversion.h"
#include "sentences/SentenceStage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Run {
    std::string out;
    std::uint64_t breaks = 0;
    std::uint64_t blanks = 0;
};

Run Convert(const brantlewick::SentenceOptions& options, const std::uint8_t* text, std::size_t size,
            std::size_t chunk) {
    brantlewick::SentenceStage stage(options);
    Run run;
    brantlewick::StringSink sink(run.out);
    for (std::size_t at = 0; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        const std::unique_ptr<char[]> piece(new char[n]);
        std::copy_n(text + at, n, piece.get());
        stage.Feed({piece.get(), n}, sink);
    }
    stage.Finish(sink);
    sink.Close();
    run.breaks = stage.Tally().breaksInserted;
    run.blanks = stage.Tally().spacesDropped;
    return run;
}

std::string ConvertAll(const brantlewick::ConversionOptions& options, const std::uint8_t* text,
                       std::size_t size, std::size_t chunk) {
    brantlewick::Converter converter(options);
    std::string out;
    brantlewick::StringSink sink(out);
    for (std::size_t at = 0; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        const std::unique_ptr<char[]> piece(new char[n]);
        std::copy_n(text + at, n, piece.get());
        converter.Feed({piece.get(), n}, sink);
    }
    converter.Finish(sink);
    sink.Close();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    brantlewick::SentenceOptions options;
    options.language = static_cast<brantlewick::Language>(data[0] % 9);
    options.enterCount = data[1] % 4;
    options.terminatorsSurvive = (data[2] & 1) != 0;
    switch ((data[2] >> 1) % 3) {
    case 0:
        options.entries = {".", "!", "?"};
        break;
    case 1:
        options.entries = {"...", ".", "?", "\xE3\x80\x82"};
        break;
    default:
        options.entries = {std::string(1, static_cast<char>(data[3])), ";", "end"};
        break;
    }
    const std::size_t chunk = 1 + data[3] % 64;
    const std::uint8_t* text = data + 4;
    const std::size_t length = size - 4;

    const Run whole = Convert(options, text, length, length + 1);
    const std::string input(reinterpret_cast<const char*>(text), length);
    const brantlewick::testing::SentenceEdits edits =
        brantlewick::testing::CompareSentenceEdits(input, whole.out);
    if (!edits.fault.empty() || edits.breaks != whole.breaks || edits.blanks != whole.blanks ||
        Convert(options, text, length, chunk).out != whole.out) {
        std::abort();
    }
    const brantlewick::ConversionOptions conversion{options.entries, options.enterCount,
                                                    static_cast<brantlewick::LineBreaks>((data[2] >> 3) % 3),
                                                    true, options.language};
    const std::string converted = ConvertAll(conversion, text, length, length + 1);
    if (!brantlewick::testing::KeepsTheText(input, converted) ||
        ConvertAll(conversion, text, length, chunk) != converted) {
        std::abort();
    }
    return 0;
}
