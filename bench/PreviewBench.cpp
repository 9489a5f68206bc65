// SPDX-License-Identifier: GPL-3.0-or-later
// How long a preview of a very large file takes, from a cold page cache and a warm one, beside converting
// the whole file in memory: a preview reads only the start of the file, so its time does not grow with it.
//
//   preview_bench [FILE] [GiB]
//
// Without FILE, a file of GiB gibibytes of prose (default 1) is written into $TMPDIR (or /tmp) and
// removed afterwards.
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/files/Preview.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

using namespace brantlewick;

double SecondsOf(const auto& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WriteProse(const std::string& path, std::uint64_t size) {
    const std::string sentence = "The quick brown fox jumps over the lazy dog. Is it lazy? Not at all! ";
    std::string block;
    while (block.size() < (1 << 20)) {
        block += sentence;
        block += block.size() % 7 == 0 ? "\n" : "";
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (std::uint64_t written = 0; written < size; written += block.size()) {
        WriteAll(fd, block, path);
    }
    ::fsync(fd);
    ::close(fd);
}

// Drops the file's pages from the cache (they are clean after fsync), so the next read comes from disk.
void Evict(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

} // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "";
    const bool made = path.empty();
    if (made) {
        const char* folder = std::getenv("TMPDIR");
        path = std::string(folder != nullptr ? folder : "/tmp") + "/brantlewick-preview-bench.txt";
        const double gib = argc > 2 ? std::atof(argv[2]) : 1.0;
        std::cout << "writing " << gib << " GiB of prose to " << path << "\n";
        WriteProse(path, static_cast<std::uint64_t>(gib * (1ull << 30)));
    }
    try {
        Evict(path);
        Preview preview;
        const double cold = SecondsOf([&] { preview = PreviewFile(path, {}); });
        const double warm = SecondsOf([&] { preview = PreviewFile(path, {}); });
        std::printf("file: %.2f GiB; preview of its first %.0f KiB (%llu breaks marked)\n",
                    static_cast<double>(preview.fileSize) / (1ull << 30),
                    static_cast<double>(preview.original.size()) / 1024,
                    static_cast<unsigned long long>(preview.counts.breaksInserted));
        std::printf("preview, cold cache: %8.1f ms\npreview, warm cache: %8.1f ms\n", cold * 1e3, warm * 1e3);
        const double whole = SecondsOf([&] {
            InputFile input(path);
            ConvertStream(input, {}, [](std::string_view) {});
        });
        std::printf("whole file converted in memory, for comparison: %8.1f ms\n", whole * 1e3);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    if (made) {
        ::unlink(path.c_str());
    }
    return 0;
}
