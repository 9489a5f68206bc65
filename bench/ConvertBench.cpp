// Conversion throughput in memory, without file-system costs: the whole-text call and the streaming loop
// that files go through, for the default entries (single-byte pass) and multi-character entries.
#include "SentenceBreaks.h"

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
        while (text.size() < 8 * 1024 * 1024) {
            text += samples;
        }
        return text;
    }();
    return corpus;
}

void ConvertWholeText(benchmark::State& state, const Entries& entries) {
    const std::string& text = Corpus();
    for (auto _ : state) {
        benchmark::DoNotOptimize(brantlewick::ConvertText(text, entries, 1));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Keeps only the count of what it was given, so that the streamed figures are the conversion's alone.
class CountingSink final : public brantlewick::OutputSink {
public:
    CountingSink() : buffer_(kCapacity) {
        cursor_ = buffer_.data();
        limit_ = cursor_ + buffer_.size();
    }
    std::size_t Count() const { return counted_ + static_cast<std::size_t>(cursor_ - buffer_.data()); }

private:
    static constexpr std::size_t kCapacity = 128 * 1024;
    void MakeRoom(std::size_t size) override {
        counted_ += static_cast<std::size_t>(cursor_ - buffer_.data());
        buffer_.resize(std::max(buffer_.size(), size));
        cursor_ = buffer_.data();
        limit_ = cursor_ + buffer_.size();
    }
    std::vector<char> buffer_;
    std::size_t counted_ = 0;
};

// The loop files go through: 64 KiB pieces in, a bounded buffer out.
void ConvertStreamed(benchmark::State& state, const Entries& entries) {
    const std::string_view text = Corpus();
    constexpr std::size_t kPiece = 64 * 1024;
    for (auto _ : state) {
        brantlewick::SentenceBreaker breaker(entries, 1);
        CountingSink sink;
        for (std::size_t at = 0; at < text.size(); at += kPiece) {
            breaker.Feed(text.substr(at, kPiece), sink);
        }
        breaker.Finish(sink);
        benchmark::DoNotOptimize(sink.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

const Entries kDefault = {".", "!", "?"};
const Entries kMultiCharacter = {"...", ".", "!"};

BENCHMARK_CAPTURE(ConvertWholeText, default_entries, kDefault)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertWholeText, multi_character_entries, kMultiCharacter)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, default_entries, kDefault)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ConvertStreamed, multi_character_entries, kMultiCharacter)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
