// SPDX-License-Identifier: GPL-3.0-or-later
// Times "Start Adding" over many small files, through the window's own batch code, against cp of the same
// files. Runs on the offscreen platform with a desktop that answers every box with OK.
//
//     bench_batch_run [--files N] [--bytes B] [--rounds R] [--hidden]
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/DesktopServices.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/MainWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using brantlewick::DesktopServices;
using brantlewick::MessageAnswer;
using brantlewick::MessageButtons;
using brantlewick::MessageIcon;

// Answers everything at once; the event loop still runs at every yield, as in the real program.
class AnsweringDesktop final : public DesktopServices {
public:
    explicit AnsweringDesktop(QString desktop) : desktop_(std::move(desktop)) {}
    MessageAnswer MessageBox(QWidget*, const QString& text, const QString&, MessageIcon icon,
                             MessageButtons) override {
        if (icon == MessageIcon::Warning) {
            ++errorReports;
            if (errorReports == 1) {
                std::cerr << "error report: " << text.toStdString() << '\n';
            }
        }
        lastMessage = text;
        return MessageAnswer::Ok;
    }
    QString InputBox(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList OpenFiles(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString BrowseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void OpenFolder(const QString&) override {}
    void OpenWebAddress(const QString&) override {}
    QString DesktopLocation() override { return desktop_; }
    int RandomDraw() override { return 1; }
    int PointerScreenRow() override { return 0; }
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void EndProgram() override { std::exit(EXIT_FAILURE); }

    int errorReports = 0;
    QString lastMessage;

private:
    QString desktop_;
};

// Plain prose with the default sentence endings, cut to the wanted size.
std::string SampleText(std::size_t bytes) {
    const std::string sentence = "The river rose in the night. Did anyone hear it? Nobody did! It went on. ";
    std::string text;
    while (text.size() < bytes) {
        text += sentence;
    }
    text.resize(bytes);
    return text;
}

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Processor time (user and system) of this process or of its finished children. Unlike the wall clock it
// does not count the time other programs on a busy machine take.
double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall;
    double cpu;
};

Timing Best(const std::vector<Timing>& timings) {
    Timing best = timings.front();
    for (const Timing& t : timings) {
        best.wall = std::min(best.wall, t.wall);
        best.cpu = std::min(best.cpu, t.cpu);
    }
    return best;
}

// A new folder under $TMPDIR (or /tmp); none when it cannot be made.
std::string MakeScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/brantlewick-bench-XXXXXX";
    return ::mkdtemp(pattern.data()) == nullptr ? std::string() : pattern;
}

} // namespace

int main(int argc, char** argv) {
    int files = 10000;
    std::size_t bytes = 4096;
    int rounds = 3;
    bool hidden = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--files" && i + 1 < argc) {
            files = std::atoi(argv[++i]);
        } else if (arg == "--bytes" && i + 1 < argc) {
            bytes = static_cast<std::size_t>(std::atol(argv[++i]));
        } else if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--hidden") {
            hidden = true;
        } else {
            std::cerr << "usage: bench_batch_run [--files N] [--bytes B] [--rounds R] [--hidden]\n";
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);

    const std::string scratch = MakeScratchFolder();
    if (scratch.empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path root = scratch;
    const std::filesystem::path in = root / "in";
    std::filesystem::create_directories(in);
    const std::string text = SampleText(bytes);
    std::vector<QString> inputs;
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file%05d.txt", i);
        std::ofstream(in / name, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
        inputs.push_back(QString::fromStdString((in / name).string()));
    }

    brantlewick::SettingsStore settings(QString::fromStdString((root / "Kestrova.ini").string()));
    AnsweringDesktop desktop(QString::fromStdString(root.string()));
    brantlewick::MainWindow form(settings, desktop, QString::fromStdString(root.string()));
    form.Load();
    if (!hidden) {
        form.show();
    }
    for (const QString& input : inputs) {
        form.findChild<brantlewick::ListView*>(QStringLiteral("ListView1"))->Append(input);
    }
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("1"));
    form.findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
    QLineEdit& outputFolder = *form.findChild<QLineEdit*>(QStringLiteral("Text3"));
    QPushButton& startAdding = *form.findChild<QPushButton*>(QStringLiteral("PushButton2"));
    QCoreApplication::processEvents();

    // Every round writes into folders of its own: deleting ten thousand files between rounds would make
    // the next creations slower for whichever side came next. The two sides take turns going first.
    std::vector<Timing> runTimes;
    std::vector<Timing> copyTimes;
    const auto timeRun = [&](int round) {
        const std::filesystem::path out = root / ("out" + std::to_string(round));
        std::filesystem::create_directories(out);
        outputFolder.setText(QString::fromStdString(out.string()));
        const double cpu = CpuSeconds(RUSAGE_SELF);
        const auto started = std::chrono::steady_clock::now();
        startAdding.click();
        runTimes.push_back(
            {Seconds(std::chrono::steady_clock::now() - started), CpuSeconds(RUSAGE_SELF) - cpu});
        const auto written = std::distance(std::filesystem::directory_iterator(out), {});
        if (desktop.errorReports != 0 || desktop.lastMessage != QStringLiteral("Done.") || written != files) {
            std::cerr << "the run failed: " << desktop.errorReports << " error reports, " << written
                      << " outputs\n";
            std::exit(EXIT_FAILURE);
        }
    };
    const auto timeCopy = [&](int round) {
        const std::filesystem::path copied = root / ("copied" + std::to_string(round));
        std::filesystem::create_directories(copied);
        const std::string command = "cp -- '" + in.string() + "'/* '" + copied.string() + "'/";
        const double cpu = CpuSeconds(RUSAGE_CHILDREN);
        const auto started = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            std::cerr << "cp failed\n";
            std::exit(EXIT_FAILURE);
        }
        copyTimes.push_back(
            {Seconds(std::chrono::steady_clock::now() - started), CpuSeconds(RUSAGE_CHILDREN) - cpu});
    };
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            timeRun(round);
            timeCopy(round);
        } else {
            timeCopy(round);
            timeRun(round);
        }
        std::printf("round %d: Start Adding %.3f s (processor %.3f s), cp %.3f s (processor %.3f s)\n",
                    round + 1, runTimes.back().wall, runTimes.back().cpu, copyTimes.back().wall,
                    copyTimes.back().cpu);
    }
    std::filesystem::remove_all(root);

    const Timing run = Best(runTimes);
    const Timing copy = Best(copyTimes);
    std::printf("files: %d of %zu bytes, best of %d rounds, window %s\n", files, bytes, rounds,
                hidden ? "hidden" : "shown");
    std::printf("               wall          files/s   processor time\n");
    std::printf("Start Adding: %8.3f s  %9.0f   %8.3f s\n", run.wall, files / run.wall, run.cpu);
    std::printf("cp:           %8.3f s  %9.0f   %8.3f s\n", copy.wall, files / copy.wall, copy.cpu);
    std::printf("ratio:        %8.2f x cp (wall)   %.2f x cp (processor time); target: at most 3\n",
                run.wall / copy.wall, run.cpu / copy.cpu);
    return 0;
}
