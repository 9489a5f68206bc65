// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence mode for Markdown: paragraphs as the block scanner finds them, the lines the flavours of
// Markdown read as structure kept as they are, their prose re-broken by Markdown's rules.
#pragma once

#include "markdown/BlockScanner.h"
#include "markdown/FlavourLines.h"
#include "markdown/MarkdownSyntax.h"
#include "prose/ProseStage.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace brantlewick::markdown {

class MarkdownStage final : public prose::ProseStage {
public:
    using ProseStage::ProseStage;

private:
    LineReading ReadLine(std::string_view line) override;
    std::unique_ptr<prose::ProseSyntax> NewSyntax() const override {
        return std::make_unique<MarkdownSyntax>();
    }
    void Restart() override;
    void TakeLine(std::string_view line, std::size_t terminator, OutputSink& out) override;
    void Drain(OutputSink& out) override { ReadHeld(true, out); }

    // Marks a line of paragraph text as the flavours read it.
    void ReadFlavour(std::string_view text, LineReading& reading);
    // Passes on the lines held ahead, in order, as far as the bodies they wait for are decided; `finish`:
    // every body whose end has not come has none.
    void ReadHeld(bool finish, OutputSink& out);

    BlockScanner scanner_;
    // A line that opens a flavour's body (a Liquid "highlight", "$$", a Hugo shortcode) keeps the lines
    // after it as they are only if the line that ends it follows within reach: until then they are held,
    // each looked at for the ends of the few bodies it may belong to.
    struct HeldLine {
        std::string bytes;
        std::size_t terminator;
    };
    struct Opening {
        std::uint64_t line; // its number among the lines taken
        FlavourBody body;
        std::size_t substance = 0; // in the lines after it so far
        std::uint64_t end = 0;     // the line that ends the body, once found
        bool found = false;
    };
    std::deque<HeldLine> ahead_;
    std::uint64_t aheadFrom_ = 0; // the number of ahead_.front()
    std::uint64_t linesTaken_ = 0;
    std::size_t aheadBytes_ = 0;
    std::vector<Opening> openings_; // in order; the first has been read, the others are guesses
    FlavourBody opened_;            // the body the line read last opens
    std::size_t bodyLinesLeft_ = 0; // lines of a body whose end was found, still to be read
    bool restFixed_ = false;        // the paragraph's further lines belong to an MDX import or export
    bool optionsFollow_ = false;    // indented lines here are a "///" block's options
    std::size_t terms_ = 0;         // lines of the paragraph a definition would make its terms
};

} // namespace brantlewick::markdown
