// SPDX-License-Identifier: GPL-3.0-or-later
// One step of the conversion pipeline, and the few things the steps share.
#pragma once

#include "brantlewick/engine/OutputSink.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// Takes text in pieces of any size and writes its result to the sink it is handed; may hold back a
// bounded number of bytes until it knows what becomes of them.
class Stage {
public:
    struct Counts {
        std::uint64_t breaksInserted = 0; // CR LF pairs
        std::uint64_t spacesDropped = 0;
        std::uint64_t terminatorsIn = 0;  // line ends read (CR LF counts once)
        std::uint64_t terminatorsOut = 0; // line ends written, inserted breaks included
    };

    virtual ~Stage() = default;
    virtual void Feed(std::string_view chunk, OutputSink& out) = 0;
    // The text ends: everything held back is written.
    virtual void Finish(OutputSink& out) = 0;
    const Counts& Tally() const noexcept { return counts_; }

protected:
    Counts counts_;
};

inline bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// `enterCount` line ends, CR LF unless the text's own are kept and are others.
std::string BreaksOf(int enterCount, std::string_view lineEnd = "\r\n");

// The entries that can match anything: empty ones go, and with `terminatorsMatch` false so do those
// holding CR or LF.
std::vector<std::string> UsableEntries(std::vector<std::string> entries, bool terminatorsMatch);

} // namespace brantlewick
