// SPDX-License-Identifier: GPL-3.0-or-later
// A document reader (pandoc, docutils, Asciidoctor, ...) run in a process of its own over many texts,
// held to a memory and a time limit: a reader that grows without bound or stalls on a text (pandoc's GFM
// reader took 23 GB on one random document of 522 bytes) loses that text, which is skipped, and goes on
// with the next in a new process.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::testing {

struct ReaderCommand {
    std::string name;
    // The program with its arguments; "{batch}" in one is replaced with the batch file's path. The
    // program reads the batch (each text as its length, a line end and its bytes) and writes the same
    // way, for each text, its rendering to standard output, each as soon as it has it.
    std::vector<std::string> argv;
    std::vector<std::string> environment; // added to the test's own, "NAME=value"
};

struct ReaderLimits {
    unsigned long long bytes = 1536ULL * 1024 * 1024; // address space
    int secondsPerText = 10;                          // without output, beyond the start's
    int secondsToStart = 30;
};

struct ReaderResults {
    std::vector<std::optional<std::string>> texts; // in the order given; none where the reader failed
    std::size_t skipped = 0;
    std::string failure; // set when the reader cannot run at all, with the end of what it said
};

// Renders every text with `reader` in `dir`, a folder of the caller's.
ReaderResults RenderEach(const ReaderCommand& reader, const std::vector<std::string_view>& texts,
                         const std::string& dir, const ReaderLimits& limits = {});

} // namespace brantlewick::testing
