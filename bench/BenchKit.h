// SPDX-License-Identifier: GPL-3.0-or-later
// What the conversion benchmarks share: the sink that only counts, the pieces the batch run reads files
// in, the timed runs over a text and the long stream whose peak memory must not grow with its length.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::bench {

inline constexpr std::size_t kPiece = std::size_t{64} * 1024;
inline constexpr std::size_t kMiB = std::size_t{1024} * 1024;

// Counts what it is given and keeps none of it, so that only the conversion is measured.
class CountingSink final : public OutputSink {
public:
    CountingSink() { SetRoom(buffer_.data(), buffer_.data() + buffer_.size()); }

private:
    void MakeRoom(std::size_t size) override {
        CloseRoom();
        buffer_.resize(std::max(size, buffer_.size()));
        SetRoom(buffer_.data(), buffer_.data() + buffer_.size());
    }
    std::vector<char> buffer_ = std::vector<char>(kPiece);
};

inline long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline void FeedInPieces(Converter& converter, std::string_view text, OutputSink& sink) {
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
        converter.Feed(text.substr(at, kPiece), sink);
    }
}

// Wall-clock seconds to convert `text` whole, in pieces.
inline double SecondsToConvert(const ConversionOptions& options, std::string_view text) {
    Converter converter(options);
    CountingSink sink;
    const auto start = std::chrono::steady_clock::now();
    FeedInPieces(converter, text, sink);
    converter.Finish(sink);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return seconds.count();
}

struct Rates {
    double wall = 0; // median MB per second
    double cpu = 0;  // median MB per second of this process's processor time
};

// `runs` conversions of `text`, each one's rates printed. Processor time is shown beside wall time: other
// work on a busy machine disturbs it far less.
inline Rates Throughput(const ConversionOptions& options, std::string_view text, int runs) {
    std::vector<double> rates, cpuRates;
    for (int run = 0; run < runs; ++run) {
        Converter converter(options);
        CountingSink sink;
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        FeedInPieces(converter, text, sink);
        converter.Finish(sink);
        const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        rates.push_back(static_cast<double>(text.size()) / 1e6 / seconds.count());
        cpuRates.push_back(static_cast<double>(text.size()) / 1e6 / cpuSeconds);
        std::printf("run %d: %.0f MB/s, %.0f MB per processor second (%llu breaks)\n", run + 1, rates.back(),
                    cpuRates.back(), static_cast<unsigned long long>(converter.Counts().breaksInserted));
    }
    std::sort(rates.begin(), rates.end());
    std::sort(cpuRates.begin(), cpuRates.end());
    return {rates[rates.size() / 2], cpuRates[cpuRates.size() / 2]};
}

// `chunk` repeated to `megabytes` MB, a paragraph of 4 MiB now and then and a line of 4 MiB without a line
// end last (after it the rest of a text goes through as it is); answers the bytes fed and the breaks made.
inline std::pair<std::uint64_t, std::uint64_t> StreamLongText(const ConversionOptions& options,
                                                              const std::string& chunk, long megabytes) {
    std::string longParagraph;
    while (longParagraph.size() < 4 * kMiB) {
        longParagraph += "A long paragraph. It never ends.\n";
    }
    const std::string longLine(4 * kMiB, 'x');
    Converter converter(options);
    CountingSink sink;
    const std::uint64_t total = static_cast<std::uint64_t>(megabytes) * 1000 * 1000;
    std::uint64_t fed = 0;
    for (int round = 0; fed < total; ++round) {
        const std::string& piece = round % 500 == 250 ? longParagraph : chunk;
        FeedInPieces(converter, piece, sink);
        fed += piece.size();
    }
    FeedInPieces(converter, longLine, sink);
    converter.Finish(sink);
    return {fed, converter.Counts().breaksInserted};
}

} // namespace brantlewick::bench
