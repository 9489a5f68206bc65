// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window's preview of a very large file takes to open: the page (the start of the file
// converted, its edits turned into markers, the result's name) and the preview window filled with it, in
// the real window classes on an offscreen display.
//
//   preview_window_bench [FILE] [GiB]
//
// Without FILE, a file of GiB gibibytes of prose (default 1) is written into $TMPDIR (or /tmp) and
// removed afterwards.
#include "PreviewPage.h"
#include "PreviewWindow.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

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
    std::ofstream out(path, std::ios::binary);
    for (std::uint64_t written = 0; written < size; written += block.size()) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    std::string path = argc > 1 ? argv[1] : "";
    const bool made = path.empty();
    if (made) {
        const char* folder = std::getenv("TMPDIR");
        path = std::string(folder != nullptr ? folder : "/tmp") + "/brantlewick-preview-window-bench.txt";
        const double gib = argc > 2 ? std::atof(argv[2]) : 1.0;
        std::printf("writing %.2f GiB of prose to %s\n", gib, path.c_str());
        WriteProse(path, static_cast<std::uint64_t>(gib * (1ull << 30)));
    }
    using namespace brantlewick;
    const QStringList entries{QString::fromStdString(path)};
    for (int run = 1; run <= 3; ++run) {
        PreviewPage page;
        const double made_page = SecondsOf([&] { page = MakePreviewPage(entries, 0, {}, std::nullopt); });
        PreviewWindow window(nullptr);
        const double shown = SecondsOf([&] {
            window.SetPage(page);
            window.show();
            QApplication::processEvents();
        });
        std::printf(
            "run %d: page %.1f ms (%lld markers, %s), window filled and shown %.1f ms, total %.1f ms\n", run,
            made_page * 1e3, static_cast<long long>(page.marks.size()), qPrintable(PreviewSummary(page)),
            shown * 1e3, (made_page + shown) * 1e3);
    }
    if (made) {
        std::remove(path.c_str());
    }
    return 0;
}
