// SPDX-License-Identifier: GPL-3.0-or-later
// What a document format tells the re-breaking of a paragraph's prose: where no break may go, which line
// ends stay, what the sentence rules should not read, and which lines a break may start.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::prose {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool IsAsciiPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

struct Span {
    std::size_t from = 0;
    std::size_t to = 0; // one past the last byte
};

// A paragraph's markup as it bears on breaks, in places of its text (its lines joined by "\n").
struct Marks {
    // No break inside: code, math, links, markup that goes on over the place.
    std::vector<Span> shielded;
    // Line ends inside stay as they are.
    std::vector<Span> verbatim;
    // Markup the sentence rules do not see. In order, not overlapping.
    std::vector<Span> hidden;
    // Spans the sentence rules read as one capitalised word each (code), shielded too. In order, apart
    // from each other and from the hidden ones.
    std::vector<Span> words;
    // The paragraph is best left as it is.
    bool unsure = false;

    void Clear() {
        shielded.clear();
        verbatim.clear();
        hidden.clear();
        words.clear();
        unsure = false;
    }
};

// In order of start, those that overlap or touch made one.
void Normalize(std::vector<Span>& spans);

// Reads the backslash at `at`: before an ASCII mark it makes the mark plain text and is itself hidden
// from the sentence rules. Returns where reading goes on.
inline std::size_t ReadEscape(std::string_view text, std::size_t at, Marks& marks) {
    if (at + 1 < text.size() && IsAsciiPunctuation(text[at + 1])) {
        marks.hidden.push_back({at, at + 1});
        return at + 2;
    }
    return at + 1;
}

// One format's rules for its paragraphs. Each paragraph held has one of its own, so that it may keep what
// it read until the paragraph is written.
class ProseSyntax {
public:
    virtual ~ProseSyntax() = default;

    // Reads a paragraph's text: its lines without what their containers put before them (quote markers,
    // indentation), joined by "\n". Work grows in proportion to the text, whatever it holds.
    virtual Marks& Read(std::string_view text) = 0;
    // Whether the line end after `before` stays rather than being joined with one space to `after`, the
    // next line. `alone`: nothing was joined to `before` from the line before it.
    virtual bool KeepsLineEnd(std::string_view before, std::string_view after, bool alone) const = 0;
    // Whether a line written from the start of `line` (up to its own line end) may be cut at all.
    virtual bool MayCut(std::string_view line) const = 0;
    // Whether a break may put `next` (the text after it, up to its line end) at the start of a line.
    virtual bool MayStartLine(std::string_view next) const = 0;
    // Whether a break may end a line after `head` (the text before it, from the line's start): a line
    // left with less must still read as the line it was.
    virtual bool MayEndLine(std::string_view /*head*/) const { return true; }
    // Whether the blanks from `from` to `to`, places in the text read last, may become a line break.
    virtual bool MayBreak(std::size_t /*from*/, std::size_t /*to*/) const { return true; }
    // What a new line cut from `line` (its text, up to its line end) repeats of that line's start so
    // that every reader keeps it where the line was: its leading blanks, and what the format adds.
    virtual std::string Hang(std::string_view line) const {
        return std::string(line.substr(0, std::min(line.find_first_not_of(" \t"), line.size())));
    }
    // Gives back the room a long paragraph took.
    virtual void Trim() = 0;
};

} // namespace brantlewick::prose
