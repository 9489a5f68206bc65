// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion throughput in memory, without file-system costs: the whole-text call and the streaming loop
// that files go through, for the default entries (single-byte pass) and multi-character entries, with
// each choice for the input's line breaks.
#include "brantlewick/engine/Conversion.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

// The bundled sample texts (prose with LF and CR LF line ends), repeated to 8 MiB: far beyond the caches.
const std::string& Corpus() {
    static const std::string corpus = [] {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(BRANTLEWICK_SAMPLES_DIR)) {
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        std::string samples;
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            samples.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        if (samples.empty()) {
            throw std::runtime_error("no sample texts in " BRANTLEWICK_SAMPLES_DIR);
        }
        std::string text;
        while (text.size() < std::size_t{8} * 1024 * 1024) {
            text += samples;
        }
        return text;
    }();
    return corpus;
}

void ConvertWholeText(benchmark::State& state, const Entries& entries) {
    const std::string& text = Corpus();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brantlewick::ConvertText(text, {entries, 1}));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Keeps only the count of what it was given, so that the streamed figures are the conversion's alone.
class CountingSink final : public brantlewick::OutputSink {
public:
    CountingSink() : buffer_(kCapacity) { SetRoom(buffer_.data(), buffer_.data() + buffer_.size()); }

private:
    static constexpr std::size_t kCapacity = std::size_t{128} * 1024;
    void MakeRoom(std::size_t size) override {
        CloseRoom();
        buffer_.resize(std::max(buffer_.size(), size));
        SetRoom(buffer_.data(), buffer_.data() + buffer_.size());
    }
    std::vector<char> buffer_;
};

// The loop files go through: 64 KiB pieces in, a bounded buffer out.
void ConvertStreamed(benchmark::State& state, const Entries& entries, brantlewick::LineBreaks lines) {
    const std::string_view text = Corpus();
    constexpr std::size_t kPiece = std::size_t{64} * 1024;
    for (auto _ : state) {
        brantlewick::Converter converter({entries, 1, lines});
        CountingSink sink;
        for (std::size_t at = 0; at < text.size(); at += kPiece) {
            converter.Feed(text.substr(at, kPiece), sink);
        }
        converter.Finish(sink);
        benchmark::DoNotOptimize(sink.Written());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

const Entries kDefault = {".", "!", "?"};
const Entries kMultiCharacter = {"...", ".", "!"};

BENCHMARK_CAPTURE(ConvertWholeText, default_entries, kDefault)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertWholeText, multi_character_entries, kMultiCharacter)->Unit(benchmark::kMillisecond);
using brantlewick::LineBreaks;
BENCHMARK_CAPTURE(ConvertStreamed, default_entries, kDefault, LineBreaks::Join)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, multi_character_entries, kMultiCharacter, LineBreaks::Join)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, default_entries_keep, kDefault, LineBreaks::Keep)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, multi_character_entries_keep, kMultiCharacter, LineBreaks::Keep)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, default_entries_reflow, kDefault, LineBreaks::Reflow)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
