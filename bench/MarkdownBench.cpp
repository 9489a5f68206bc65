// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for Markdown: throughput on Markdown prose, and memory on a long stream. Not a test:
// it prints figures.
//
//   markdown_bench [--runs N] [--size MIB] [--lines join|keep] [FILE...]
//       converts FILEs (default: every *.md file under /usr/share/doc) repeated to MIB (default 64) in
//       memory in 64 KiB pieces, N times (default 5), and prints each run's MB/s and the median.
//   markdown_bench --memory MB
//       streams MB megabytes of Markdown through the conversion in 64 KiB pieces: paragraphs, lists,
//       quotes and code, and now and then a paragraph and a line longer than any the mode holds. Prints
//       the peak resident memory, which must not grow with MB.
//   markdown_bench --pathological [NAME]
//       converts each input of PathologicalMarkdown.h (those whose name holds NAME) at three sizes, each
//       twice the one before, and prints the best of three times per byte: on a linear reading the
//       figures stay level, where a quadratic one would double them at each size. Also the bytes a
//       result has beyond its input and its line ends, which must stay small.
#include "BenchKit.h"
#include "PathologicalMarkdown.h"
#include "brantlewick/engine/Conversion.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace brantlewick::bench;

brantlewick::ConversionOptions Options(brantlewick::LineBreaks lines) {
    brantlewick::ConversionOptions options;
    options.sentences = true;
    options.format = brantlewick::TextFormat::Markdown;
    options.lines = lines;
    return options;
}

int Memory(long megabytes) {
    const std::string document =
        "# A heading\n\nDr. Smith paid $1.50 for 3.14 kg of apples, i.e. the red ones. \"Why?\" he asked.\n"
        "See [the report](https://example.com/a.b) and `code. Here` for more. It rained.\n\n"
        "- An item. With two sentences.\n  > A quote. In the item.\n\n```\ncode. More code.\n```\n\n";
    std::string chunk;
    while (chunk.size() < kPiece) {
        chunk += document;
    }
    const auto [fed, breaks] = StreamLongText(Options(brantlewick::LineBreaks::Join), chunk, megabytes);
    std::printf("%.0f MB of Markdown: %llu breaks, peak resident memory %ld KiB\n",
                static_cast<double>(fed) / 1e6, static_cast<unsigned long long>(breaks), PeakResidentKiB());
    return 0;
}

struct Timing {
    double seconds = 0;
    std::uint64_t growth = 0; // bytes out beyond the bytes in and one line end a break
};

Timing TimePathological(const std::string& text) {
    Timing timing{1e9, 0};
    for (int run = 0; run < 3; ++run) {
        brantlewick::Converter converter(Options(brantlewick::LineBreaks::Join));
        CountingSink sink;
        const auto start = std::chrono::steady_clock::now();
        converter.Feed(text, sink);
        converter.Finish(sink);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        timing.seconds = std::min(timing.seconds, seconds.count());
        const brantlewick::ConversionCounts& counts = converter.Counts();
        const std::uint64_t allowed = counts.bytesIn + counts.breaksInserted;
        timing.growth = counts.bytesOut > allowed ? counts.bytesOut - allowed : 0;
    }
    return timing;
}

int Pathological(std::string_view only) {
    std::printf("%-52s %9s %9s %9s  %s\n", "input", "ns/byte", "at 2n", "at 4n", "bytes at 4n, growth");
    for (const auto& c : brantlewick::pathological::kCases) {
        if (std::string_view(c.name).find(only) == std::string_view::npos) {
            continue;
        }
        std::printf("%-52s", c.name);
        std::size_t bytes = 0;
        std::uint64_t growth = 0;
        for (const double factor : {1.0, 2.0, 4.0}) {
            const double scale = c.squared ? std::sqrt(factor) : factor;
            const std::string text = c.make(static_cast<std::size_t>(static_cast<double>(c.n) * scale));
            const Timing timing = TimePathological(text);
            bytes = text.size();
            growth = timing.growth;
            std::printf(" %9.1f", timing.seconds * 1e9 / static_cast<double>(text.size()));
            std::fflush(stdout);
        }
        std::printf("  %zu, %llu\n", bytes, static_cast<unsigned long long>(growth));
    }
    return 0;
}

std::vector<std::filesystem::path> DocumentationFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && it->path().extension() == ".md") {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::size_t mebibytes = 64;
    auto lines = brantlewick::LineBreaks::Join;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--memory" && i + 1 < argc) {
            return Memory(std::atol(argv[++i]));
        }
        if (arg == "--pathological") {
            return Pathological(i + 1 < argc ? argv[i + 1] : "");
        }
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && i + 1 < argc) {
            mebibytes = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--lines" && i + 1 < argc) {
            lines = std::string(argv[++i]) == "keep" ? brantlewick::LineBreaks::Keep
                                                     : brantlewick::LineBreaks::Join;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.empty()) {
        files = DocumentationFiles();
    }
    std::string once;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        once.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        // Each file ends its last block, as it would on its own.
        once += "\n\n";
    }
    if (once.size() <= 2 * files.size()) {
        std::fprintf(stderr, "markdown_bench: no text to convert\n");
        return 1;
    }
    std::string text;
    while (text.size() < mebibytes * kMiB) {
        text += once;
    }

    const Rates rates = Throughput(Options(lines), text, runs);
    std::printf("median %.0f MB/s (%.0f MB per processor second) over %d runs, %.1f MB of Markdown from %zu "
                "files, lines %s\n",
                rates.wall, rates.cpu, runs, static_cast<double>(text.size()) / 1e6, files.size(),
                lines == brantlewick::LineBreaks::Keep ? "keep" : "join");
    return 0;
}
