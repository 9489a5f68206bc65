// SPDX-License-Identifier: GPL-3.0-or-later
// brantlewick-cli: the sentence-break conversion for scripts and servers.
#include "brantlewick/cli/CommandLine.h"
#include "brantlewick/engine/Version.h"
#include "brantlewick/files/TemporaryFiles.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <exception>
#include <iostream>

namespace {

int RunProgram(int argc, char** argv) {
    // First, so that no temporary file can be made before an interruption would remove it.
    brantlewick::EndCleanlyOnSignals();
    // Files converted ahead wait open, as many as the limit on open files allows; nothing here uses
    // select(), which is why the limit is low by default.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    // The numeric test of --enters follows the user's locale, as the window's does.
    std::setlocale(LC_ALL, "");
    // Each file's buffers are freed before the next file's are taken: kept, rather than handed back to the
    // system and faulted in again, they make a batch of many small files a fifth faster.
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    ::mallopt(M_TOP_PAD, 4 << 20);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = brantlewick::cli::ParseArguments(arguments);
    if (const auto* error = std::get_if<brantlewick::cli::UsageError>(&parsed)) {
        std::cerr << "brantlewick-cli: " << error->message << '\n'
                  << (error->hint ? "Try 'brantlewick-cli --help'.\n" : "");
        return brantlewick::cli::kUsageProblem;
    }
    const auto& options = std::get<brantlewick::cli::Options>(parsed);
    if (options.showHelp) {
        std::cout << brantlewick::cli::UsageText();
        return 0;
    }
    if (options.showVersion) {
        std::cout << "brantlewick-cli " << brantlewick::kVersion << '\n';
        return 0;
    }
    const brantlewick::cli::Streams streams{STDIN_FILENO, STDOUT_FILENO, std::cerr,
                                            ::isatty(STDERR_FILENO) == 1};
    return brantlewick::cli::Run(options, streams);
}

} // namespace

int main(int argc, char** argv) {
    // Each file's failure is reported by the run itself; what escapes it (memory running out, standard
    // error closed) still ends with a message and the status of a failed run, not an abort.
    try {
        return RunProgram(argc, argv);
    } catch (const std::exception& error) {
        std::fputs("brantlewick-cli: ", stderr);
        std::fputs(error.what(), stderr);
        std::fputc('\n', stderr);
    } catch (...) {
        std::fputs("brantlewick-cli: unexpected failure\n", stderr);
    }
    return 1;
}
