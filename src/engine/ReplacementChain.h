// SPDX-License-Identifier: GPL-3.0-or-later
// The classic rule in its plainest streaming form, exact for every entry list: for each entry in turn,
// every "entry + space" becomes the entry, then every entry becomes the entry and its breaks; each
// replacement goes left to right without overlaps, ignores ASCII letter case and writes the entry's own
// spelling. The replacements run as a chain of passes, each holding back fewer bytes than its pattern and
// handing its output on in bounded slices, so that a text of any length needs bounded memory.
#pragma once

#include "brantlewick/engine/OutputSink.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

class ReplacementChain {
public:
    // `entries` must be non-empty strings.
    ReplacementChain(const std::vector<std::string>& entries, int enterCount,
                     std::string_view lineEnd = "\r\n");

    // A piece of one text (a line, or a stretch the caller knows no match reaches out of).
    void Feed(std::string_view text, OutputSink& out);
    // The text ends here: nothing is held back any more, and the next Feed starts a new text.
    void EndText(OutputSink& out);

    std::uint64_t BreaksInserted() const noexcept;
    std::uint64_t SpacesDropped() const noexcept;

private:
    struct Pass {
        std::string pattern; // folded to lower case
        std::string replacement;
        std::array<bool, 256> startsMatch{}; // the bytes that fold to the pattern's first byte
        bool dropsSpace = false;
        std::uint64_t matches = 0;
        std::string held;   // a possible match that needs bytes not yet seen
        std::string output; // written, and not yet handed to the next pass
        // Only while marking edits: how much this pass wrote of the text so far, and where each of its
        // replacements starts in that.
        std::uint64_t written = 0;
        std::vector<std::uint64_t> replaced;
    };

    void FeedPass(std::size_t k, std::string_view text, OutputSink& out);
    // Decides the positions from `i` up to `limit` (a match found there may reach past it); with `final`
    // false it stops early at a possible match that needs bytes beyond the text. Returns where it stopped.
    std::size_t Scan(std::size_t k, std::string_view text, std::size_t i, std::size_t limit, bool final,
                     OutputSink& out);
    void Emit(std::size_t k, std::string_view bytes, OutputSink& out);
    // Hands `out` the edits of the text that just ended, once every pass has written all of it.
    void MarkEdits(OutputSink& out);

    std::vector<Pass> passes_;
    int enterCount_;
    bool textOpen_ = false;
    bool marking_ = false;
    std::uint64_t textStart_ = 0; // where the text's output starts in `out`
};

} // namespace brantlewick
