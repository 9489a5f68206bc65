// SPDX-License-Identifier: GPL-3.0-or-later
// Times "Add All File(s) In Folder" in the real window: the whole click with a desktop that answers "*" and
// the folder, the add from the folder's choice until the list shows the entries, the folder scan alone, and
// the file list alone taking and showing the same entries.
// Runs on the offscreen platform unless another one is chosen.
#include "brantlewick/filelist/FolderScan.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/DesktopServices.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Answers the extension box with "*" and the folder picker with the folder; lets the window process its
// events at every yield and notes the longest stretch without one.
class BenchDesktop final : public brantlewick::DesktopServices {
public:
    explicit BenchDesktop(QString folder) : folder_(std::move(folder)) {}

    brantlewick::MessageAnswer MessageBox(QWidget*, const QString& text, const QString&,
                                          brantlewick::MessageIcon, brantlewick::MessageButtons) override {
        std::cerr << "unexpected message: " << text.toStdString() << '\n';
        ++messages;
        return brantlewick::MessageAnswer::Ok;
    }
    QString InputBox(QWidget*, const QString&, const QString&, const QString&) override {
        return QStringLiteral("*");
    }
    QStringList OpenFiles(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString BrowseForFolder(QWidget*, const QString&, const QString&) override {
        picked = Clock::now();
        return folder_;
    }
    void OpenFolder(const QString&) override {}
    void OpenWebAddress(const QString&) override {}
    QString DesktopLocation() override { return QDir::homePath(); }
    int RandomDraw() override { return 1; }
    int PointerScreenRow() override { return 0; }
    void ProcessEvents() override {
        const Clock::time_point now = Clock::now();
        longestGap =
            std::max(longestGap, std::chrono::duration<double, std::milli>(now - lastYield_).count());
        ++yields;
        QCoreApplication::processEvents();
        lastYield_ = Clock::now();
    }
    void EndProgram() override {}

    double SinceLastYield() const {
        return std::chrono::duration<double, std::milli>(Clock::now() - lastYield_).count();
    }
    void StartWatching() {
        yields = 0;
        longestGap = 0;
        lastYield_ = Clock::now();
    }

    long yields = 0;
    double longestGap = 0;
    int messages = 0;
    // When the folder picker answered: the add proper starts here, the user's typing and picking before.
    Clock::time_point picked;

private:
    QString folder_;
    Clock::time_point lastYield_ = Clock::now();
};

// Lets the list lay itself out and paint what it shows.
void ShowList(brantlewick::ListView& list) {
    QCoreApplication::processEvents();
    list.viewport()->repaint();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "Usage: add_folder_bench DIR [RUNS]\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    QTemporaryDir configFolder;
    brantlewick::SettingsStore settings(configFolder.filePath(QStringLiteral("Kestrova.ini")));
    BenchDesktop desktop(folder);
    brantlewick::MainWindow form(settings, desktop, QCoreApplication::applicationDirPath());
    form.Load();
    form.show();
    brantlewick::ListView& list = *form.findChild<brantlewick::ListView*>(QStringLiteral("ListView1"));
    QPushButton& addFolder = *form.findChild<QPushButton*>(QStringLiteral("PushButton3"));
    ShowList(list);

    double bestClick = 1e300;
    double bestShow = 1e300;
    double bestAdd = 1e300;
    double longestGap = 0;
    long yields = 0;
    int entries = 0;
    for (int run = 0; run < runs; ++run) {
        list.clear();
        ShowList(list);
        desktop.StartWatching();
        const Clock::time_point start = Clock::now();
        addFolder.click();
        const double click = MillisecondsSince(start);
        // The stretch from the last yield to the end of the click holds the appending of the entries.
        longestGap = std::max(longestGap, desktop.SinceLastYield());
        const Clock::time_point shown = Clock::now();
        ShowList(list);
        const double show = MillisecondsSince(shown);
        if (click + show < bestClick + bestShow) {
            bestClick = click;
            bestShow = show;
        }
        bestAdd = std::min(bestAdd, MillisecondsSince(desktop.picked));
        longestGap = std::max(longestGap, desktop.longestGap);
        yields = desktop.yields;
        entries = list.Count();
    }

    const brantlewick::ScanHooks hooks{[] { QCoreApplication::processEvents(); }, {}};
    std::vector<std::string> collected;
    double bestScan = 1e300;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        collected =
            brantlewick::CollectFolderFiles(QFile::encodeName(folder).toStdString(), "*.*", hooks).files;
        bestScan = std::min(bestScan, MillisecondsSince(start));
    }
    QStringList texts;
    for (const std::string& path : collected) {
        texts.append(QFile::decodeName(QByteArray::fromStdString(path)));
    }

    double bestList = 1e300;
    for (int run = 0; run < runs; ++run) {
        list.clear();
        ShowList(list);
        const Clock::time_point start = Clock::now();
        list.AppendAll(texts);
        ShowList(list);
        bestList = std::min(bestList, MillisecondsSince(start));
    }
    list.clear();
    ShowList(list);
    const Clock::time_point oneByOneStart = Clock::now();
    for (const QString& text : texts) {
        list.Append(text);
    }
    ShowList(list);
    const double oneByOne = MillisecondsSince(oneByOneStart);

    std::printf("entries %d\n", entries);
    std::printf("yields %ld\n", yields);
    std::printf("click_ms %.1f\n", bestClick);
    std::printf("show_ms %.1f\n", bestShow);
    std::printf("add_ms %.1f\n", bestAdd);
    std::printf("scan_ms %.1f\n", bestScan);
    std::printf("list_ms %.1f\n", bestList);
    std::printf("list_one_by_one_ms %.1f\n", oneByOne);
    std::printf("longest_gap_ms %.1f\n", longestGap);
    std::printf("messages %d\n", desktop.messages);
    return entries == static_cast<int>(collected.size()) && desktop.messages == 0 ? 0 : 1;
}
