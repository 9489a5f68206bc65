// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window's preview takes to open and to follow a change of the options: the page (the
// start of the file converted, its changes turned into markers, the result's name) and the preview window
// filled with it, in the real window classes on an offscreen display. A preview converts at most 256 KiB,
// so these are the worst cases whatever the size of the file.
//
//   preview_window_bench [FILE]
//
// Without FILE, three texts are written into $TMPDIR (or /tmp) and removed afterwards: 2 MiB of prose
// (tens of thousands of markers), a file whose first 256 KiB are one word (minified data, base64), and
// one word of 200 000 letters followed by two short sentences.
#include "brantlewick/window/PreviewPage.h"
#include "brantlewick/window/PreviewWindow.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Wall time, and the processor time of this thread, which other work on a busy machine disturbs less.
struct Times {
    double wall = 0;
    double processor = 0;
};

double ThreadMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Times TimesOf(const auto& action) {
    const auto start = std::chrono::steady_clock::now();
    const double processor = ThreadMilliseconds();
    action();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
            ThreadMilliseconds() - processor};
}

std::string Prose() {
    const std::string sentence = "The quick brown fox jumps over the lazy dog. Is it lazy? Not at all! ";
    std::string text;
    while (text.size() < (2u << 20)) {
        text += sentence;
        text += text.size() % 7 == 0 ? "\n" : "";
    }
    return text;
}

void Measure(const std::string& name, const std::string& path) {
    using namespace brantlewick;
    const QStringList entries{QString::fromStdString(path)};
    PreviewWindow window(nullptr, nullptr);
    for (const bool sentences : {false, true, false, true}) {
        ConversionOptions options;
        options.sentences = sentences;
        PreviewPage page;
        const Times made = TimesOf([&] { page = MakePreviewPage(entries, 0, options, std::nullopt); });
        const Times shown = TimesOf([&] {
            window.SetPage(page);
            window.show();
            QApplication::processEvents();
        });
        std::printf("%-28s %-9s page %5.1f ms (%6lld markers), window %6.1f ms; total %6.1f ms, processor "
                    "%6.1f ms\n",
                    name.c_str(), sentences ? "sentences" : "classic", made.wall,
                    static_cast<long long>(page.marks.size()), shown.wall, made.wall + shown.wall,
                    made.processor + shown.processor);
    }
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (argc > 1) {
        Measure(argv[1], argv[1]);
        return 0;
    }
    const char* folder = std::getenv("TMPDIR");
    const std::string base = std::string(folder != nullptr ? folder : "/tmp") + "/brantlewick-preview-bench-";
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"prose, 2 MiB", Prose()},
        {"one word of 256 KiB and more", std::string(std::size_t{300} * 1024, 'a')},
        {"a word of 200 000 letters", std::string(200000, 'a') + ". Next. Last."},
    };
    for (const auto& [name, text] : texts) {
        const std::string path = base + std::to_string(&name - &texts.front().first) + ".txt";
        std::ofstream(path, std::ios::binary) << text;
        Measure(name, path);
        std::remove(path.c_str());
    }
    return 0;
}
