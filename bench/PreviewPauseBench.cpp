// SPDX-License-Identifier: GPL-3.0-or-later
// The longest pause of the window's event loop while the preview is made and shown, in the real window on
// the offscreen platform: from Ctrl+P until the preview window holds all of its texts. A pause longer than
// a frame or two is a window that does not answer the user.
//
//   preview_pause_bench [RUNS]
//
// Cases: prose at 1 and at 32,767 Enters, a file of dots (a break after every byte) at 1 Enter, one word of
// 300 KiB, and a file of 256 MiB of prose (written to $TMPDIR, or /tmp, and removed afterwards).
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/MainWindow.h"
#include "brantlewick/window/PreviewWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The real preview window; no message box, browser or file manager.
class BenchDesktop final : public brantlewick::DesktopServices {
public:
    brantlewick::MessageAnswer MessageBox(QWidget*, const QString&, const QString&, brantlewick::MessageIcon,
                                          brantlewick::MessageButtons) override {
        return brantlewick::MessageAnswer::Ok;
    }
    QString InputBox(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList OpenFiles(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString BrowseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void ShowPreview(QWidget* owner, const brantlewick::PreviewPage& page, bool toFront,
                     brantlewick::PreviewPlaces* places) override {
        real_.ShowPreview(owner, page, toFront, places);
    }
    bool PreviewOpen() override { return real_.PreviewOpen(); }
    void OpenFolder(const QString&) override {}
    void OpenWebAddress(const QString&) override {}
    QString DesktopLocation() override { return QStringLiteral("/tmp"); }
    int RandomDraw() override { return 1; }
    int PointerScreenRow() override { return 0; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void EndProgram() override {}

private:
    brantlewick::QtDesktopServices real_;
};

struct Case {
    const char* name;
    std::string text; // repeated up to `bytes`
    std::size_t bytes;
    const char* enters;
};

double ThreadMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Pauses {
    double wall = 0;      // the longest time between two runs of a 1 ms timer
    double processor = 0; // the most processor time the window's thread spent between two such runs
    double total = 0;     // from Ctrl+P until the preview holds its texts
};

// The longest time the event loop went without running a 1 ms timer, from Ctrl+P until the preview holds
// its texts, in wall time and in the window thread's processor time (which other work on a busy machine
// does not lengthen); and the whole time that took.
Pauses Measure(const Case& test, const QString& path) {
    QTemporaryDir settingsFolder;
    brantlewick::SettingsStore settings(settingsFolder.filePath(QStringLiteral("Kestrova.ini")));
    BenchDesktop desktop;
    brantlewick::MainWindow window(settings, desktop, settingsFolder.path());
    window.Load();
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QString::fromLatin1(test.enters));
    window.findChild<brantlewick::ListView*>(QStringLiteral("ListView1"))->Append(path);
    QApplication::processEvents();

    Pauses pauses;
    Clock::time_point last = Clock::now();
    double lastProcessor = ThreadMilliseconds();
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &ticks, [&] {
        const Clock::time_point now = Clock::now();
        const double processor = ThreadMilliseconds();
        pauses.wall = std::max(pauses.wall, std::chrono::duration<double, std::milli>(now - last).count());
        pauses.processor = std::max(pauses.processor, processor - lastProcessor);
        last = now;
        lastProcessor = processor;
    });
    ticks.start(1);
    const Clock::time_point start = Clock::now();
    last = start;
    lastProcessor = ThreadMilliseconds();
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    const auto shown = [&] {
        const auto* preview = window.findChild<brantlewick::PreviewWindow*>();
        return preview != nullptr && preview->isVisible() && preview->Filled();
    };
    while (!shown() && std::chrono::duration<double>(Clock::now() - start).count() < 60) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    pauses.total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return pauses;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string prose = "The quick brown fox jumps over the lazy dog. Is it lazy? Not at all!\n";
    const std::vector<Case> cases = {
        {"prose, 1 Enter", prose, 2u << 20, "1"},        {"prose, 32767 Enters", prose, 2u << 20, "32767"},
        {"dots, 1 Enter", ".", 1u << 20, "1"},           {"one word of 300 KiB", "a", 300u << 10, "1"},
        {"prose, 256 MiB file", prose, 256u << 20, "1"},
    };
    const char* folder = std::getenv("TMPDIR");
    const std::string path =
        std::string(folder != nullptr ? folder : "/tmp") + "/brantlewick-pause-bench.txt";
    std::printf(
        "%-24s %s\n", "case",
        "longest pause, wall / window thread's processor time (ms, medians of the runs); whole preview");
    for (const Case& test : cases) {
        {
            std::ofstream out(path, std::ios::binary);
            std::string block;
            while (block.size() < (1u << 20) && block.size() < test.bytes) {
                block += test.text;
            }
            for (std::size_t written = 0; written < test.bytes; written += block.size()) {
                out.write(block.data(),
                          static_cast<std::streamsize>(std::min(block.size(), test.bytes - written)));
            }
        }
        std::vector<double> walls;
        std::vector<double> processors;
        std::vector<double> totals;
        for (int run = 0; run < runs; ++run) {
            const Pauses pauses = Measure(test, QString::fromStdString(path));
            walls.push_back(pauses.wall);
            processors.push_back(pauses.processor);
            totals.push_back(pauses.total);
        }
        for (auto* values : {&walls, &processors, &totals}) {
            std::sort(values->begin(), values->end());
        }
        std::printf("%-24s %6.1f / %6.1f; %7.1f\n", test.name, walls[walls.size() / 2],
                    processors[processors.size() / 2], totals[totals.size() / 2]);
    }
    std::remove(path.c_str());
    return 0;
}
