// SPDX-License-Identifier: GPL-3.0-or-later
// Writes one shell's completion of brantlewick-cli at build time, so that the scripts follow the option
// table.
#include "OptionTable.h"

#include <fstream>
#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    using namespace brantlewick::cli;
    const std::string_view shell = argc == 3 ? argv[1] : "";
    const std::string script = shell == "bash"   ? BashCompletion()
                               : shell == "zsh"  ? ZshCompletion()
                               : shell == "fish" ? FishCompletion()
                                                 : "";
    if (script.empty()) {
        std::cerr << "usage: make_completions bash|zsh|fish FILE\n";
        return 2;
    }
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << script;
    file.close();
    if (!file) {
        std::cerr << "make_completions: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
