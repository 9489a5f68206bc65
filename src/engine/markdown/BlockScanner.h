// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a Markdown document's block structure line by line, as a CommonMark reader with the GitHub tables
// would, and says for each line whether it is paragraph text and under which block quotes and list items.
#pragma once

#include "prose/ProseStage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::markdown {

using prose::LineReading;
using prose::LineRole;

// Fed every line of a document in order, without its line end. Memory is one entry per open block
// quote or list item.
class BlockScanner {
public:
    LineReading Read(std::string_view line);

private:
    // Longest prefix a paragraph's new lines may take (quote markers and list indentation).
    static constexpr std::size_t kLongestContinuation = 64;
    // Longest paragraph looked at to tell whether it is link reference definitions alone.
    static constexpr std::size_t kLongestDefinitions = std::size_t{64} * 1024;

    LineReading ReadLine(std::string_view line);
    enum class Leaf : std::uint8_t { None, Paragraph, Fence, IndentedCode, Html, Table };
    struct Container {
        bool quote = false;
        int indent = 0; // a list item: the columns its content is indented by, from its container's
        bool hasContent = false;
        bool spaced = true; // a block quote: its ">" had a blank after it on the line read last
        int before = 0;     // a block quote: the columns before its ">" where it opened
        bool lazy = false;  // a block quote that cut a paragraph short (see StartParagraph)
        std::uint64_t id = 0;
    };
    struct Cursor;

    bool Continues(Cursor& cursor, Container& container);
    // How many of the open containers the line goes on in; the cursor is moved past their markers.
    std::size_t MatchContainers(Cursor& cursor);
    bool LeafGoesOn(Cursor& cursor, bool allMatched, bool blank);
    // Looks for block starts at the cursor; opens the containers it finds and returns true when a leaf
    // block other than a paragraph starts (the line is then Other).
    bool OpenBlocks(Cursor& cursor, bool interrupting, std::size_t matched, bool& opened,
                    LineReading& reading);
    void OpenQuote(Cursor& cursor, std::size_t& matched);
    bool OpenItem(Cursor& cursor, std::size_t& matched, bool interrupting);
    // A leaf block other than a paragraph starting at `rest` (or a line that closes the paragraph).
    bool StartsLeaf(Cursor& cursor, bool interrupting, LineReading& reading);
    void ReadFrontMatter(std::string_view line, LineReading& reading);
    // Containers are only ever opened and closed through these two, which keep blankStops_ up to date.
    void Truncate(std::size_t size);
    void Push(const Container& container);
    // How many containers a blank line goes on in, the first `from` of them already matched: up to the
    // next block quote or list item that holds nothing yet (an item may start with one blank line only).
    std::size_t BlankLineReach(std::size_t from);
    // Whether the one container this line opened is a list item that GitHub's reader reads as empty,
    // its task box taken off; it then holds nothing, and the line is no paragraph.
    bool OpensOnATaskBoxAlone(const Cursor& cursor, std::size_t matched);
    void StartParagraph(std::string_view line, const Cursor& cursor, std::size_t matched, bool opened,
                        LineReading& reading);

    std::vector<Container> containers_;
    Leaf leaf_ = Leaf::None;
    char fenceChar_ = 0;
    std::size_t fenceLength_ = 0;
    int htmlKind_ = 0;
    std::size_t lastCells_ = 0; // cells of the paragraph's last line, were it a table's header
    std::uint64_t lines_ = 0;
    bool blank_ = false;            // the line read last is blank once its containers' markers are taken off
    bool maybeDefinitions_ = false; // the open paragraph may be link reference definitions alone
    std::string definitions_;       // ... and its text so far
    // Whether each container held something before the paragraph, by id.
    std::vector<std::pair<std::uint64_t, bool>> contentBefore_;
    std::vector<std::pair<std::uint64_t, bool>> startContent_; // ... the same for a paragraph starting
    std::uint64_t containersOpened_ = 0;
    std::string frontMatterEnd_; // while inside front matter, its closing line
    // Where a blank line stops going on: the block quotes and the list items that hold nothing, in order.
    // Known once rebuilt after a change of what the items hold, so that blank lines in deeply nested
    // items cost nothing per item.
    std::vector<std::size_t> blankStops_;
    bool blankStopsKnown_ = false;
};

// Whether `text`, a paragraph's text, is link reference definitions and nothing else.
bool OnlyLinkDefinitions(std::string_view text);

// Cells of a table row as the GitHub tables count them: split at each unescaped "|", the ones at
// either end not counted.
std::size_t TableCells(std::string_view row);

} // namespace brantlewick::markdown
