// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a large folder tree, or collects every file of one as a folder dropped on the window is, and
// prints how long the collection took.
#include "brantlewick/filelist/FolderScan.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::cerr << "Usage: scan_bench make DIR [FOLDERS] [FILES]\n"
                 "       scan_bench collect DIR [RUNS]\n";
    return 2;
}

// FOLDERS folders in three levels below DIR (about a tenth, a tenth of the rest, and the remainder),
// with the FILES files spread evenly over them.
int Make(const std::string& root, int folders, int files) {
    if (::mkdir(root.c_str(), 0755) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    std::vector<std::string> made;
    made.reserve(static_cast<std::size_t>(std::max(folders, 0)));
    const int top = std::max(1, folders / 100);
    const int middle = std::max(1, folders / 10 - top);
    for (int i = 0; i < top; ++i) {
        made.push_back(root + "/top" + std::to_string(i));
    }
    for (int i = 0; i < middle; ++i) {
        made.push_back(made[static_cast<std::size_t>(i % top)] + "/mid" + std::to_string(i));
    }
    for (int i = 0; static_cast<int>(made.size()) < folders; ++i) {
        made.push_back(made[static_cast<std::size_t>(top) + static_cast<std::size_t>(i % middle)] + "/leaf" +
                       std::to_string(i));
    }
    for (const std::string& folder : made) {
        if (::mkdir(folder.c_str(), 0755) != 0) {
            std::perror(folder.c_str());
            return 1;
        }
    }
    for (int i = 0; i < files; ++i) {
        const std::string path =
            made[static_cast<std::size_t>(i) % made.size()] + "/file" + std::to_string(i) + ".txt";
        std::ofstream(path) << "One sentence. Another one.\n";
    }
    std::cout << made.size() << " folders, " << files << " files in " << root << '\n';
    return 0;
}

int Collect(const std::string& root, int runs) {
    double best = 1e300;
    std::size_t count = 0;
    long yields = 0;
    for (int run = 0; run < runs; ++run) {
        yields = 0;
        const brantlewick::ScanHooks hooks{[&] { ++yields; }, {}};
        const auto start = std::chrono::steady_clock::now();
        count = brantlewick::CollectFolderFiles(root, "*.*", hooks).files.size();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    std::cout << count << " files, " << yields << " yields, best of " << runs << ": " << best << " ms\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string command = argv[1];
    if (command == "make") {
        return Make(argv[2], argc > 3 ? std::atoi(argv[3]) : 2000, argc > 4 ? std::atoi(argv[4]) : 50000);
    }
    if (command == "collect") {
        return Collect(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 1);
    }
    return Usage();
}
