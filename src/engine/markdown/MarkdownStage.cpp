// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Markdown's lines for the prose stage: the block structure, the flavours' lines in it, and the
// bodies that a flavour's line opens, found by holding the lines after it until the line that ends it.
#include "markdown/MarkdownStage.h"

#include "markdown/Syntax.h"

#include <algorithm>

namespace brantlewick::markdown {

namespace {

// How far ahead the end of a body is looked for: bytes other than blanks and line ends, which a
// conversion leaves as they are, so that a second run finds the same end; and all bytes, for memory.
constexpr std::size_t kLongestBody = std::size_t{64} * 1024;
constexpr std::size_t kMostBodyBytes = std::size_t{4} * 1024 * 1024;
// How many bodies a line held ahead is looked at for: the work per line stays bounded.
constexpr std::size_t kMostOpenings = 8;

bool StartsWithColon(std::string_view text) {
    return text.substr(std::min(text.find_first_not_of(" \t"), text.size())).starts_with(':');
}

} // namespace

void MarkdownStage::Restart() {
    scanner_ = BlockScanner();
    linesTaken_ = aheadFrom_ = 0;
    bodyLinesLeft_ = terms_ = 0;
    restFixed_ = optionsFollow_ = false;
}

LineReading MarkdownStage::ReadLine(std::string_view line) {
    const bool inBody = bodyLinesLeft_ > 0;
    bodyLinesLeft_ -= inBody ? 1 : 0;
    LineReading reading = scanner_.Read(line);
    if (reading.role == LineRole::ParagraphStart) {
        restFixed_ = optionsFollow_ = false;
        terms_ = 0;
    }
    if (reading.role != LineRole::ParagraphStart && reading.role != LineRole::Continuation) {
        restFixed_ = optionsFollow_ = false;
        terms_ = 0;
        return reading;
    }
    if (inBody) {
        reading.fixed = true;
        return reading;
    }
    ReadFlavour(line.substr(reading.textStart), reading);
    return reading;
}

void MarkdownStage::ReadFlavour(std::string_view text, LineReading& reading) {
    const FlavourLine flavour = ReadFlavourLine(text);
    const bool indented = !text.empty() && IsBlank(text[0]);
    const bool definition = flavour.kind == FlavourLine::Kind::Definition;
    reading.fixed = restFixed_ || flavour.kind == FlavourLine::Kind::Fixed || (optionsFollow_ && indented);
    restFixed_ = restFixed_ || flavour.holdsRest;
    optionsFollow_ = flavour.optionsFollow || (optionsFollow_ && indented);
    opened_ = flavour.body;
    // A line that starts like a block (a list item, a quote, a table row) is text to CommonMark only by
    // its indentation or because such a block cannot cut a paragraph short there; other readers may take
    // it for that block. kramdown reads a paragraph's lines with a "|" as table rows.
    const std::string_view trimmed = text.substr(std::min(text.find_first_not_of(" \t"), text.size()));
    if (!reading.fixed &&
        ((!definition && MayStartBlock(trimmed)) || text.find('|') != std::string_view::npos)) {
        reading.fixed = reading.shown = true;
    }
    // A definition is never joined to its term, and the terms before it are single lines, each kept as
    // it is; so is a "~ " definition before a ": " one, which not every reader knows and may take for a
    // term.
    reading.apart = definition;
    reading.fixesBefore = definition ? terms_ : 0;
    terms_ = definition && StartsWithColon(text) ? 0 : terms_ + 1;
}

void MarkdownStage::TakeLine(std::string_view line, std::size_t terminator, OutputSink& out) {
    const std::uint64_t number = linesTaken_++;
    opened_ = {};
    if (openings_.empty()) {
        TakeNow(line, terminator, out);
        if (opened_.end != FlavourBody::End::None && !GivenUp()) {
            openings_.push_back({number, std::move(opened_)});
        }
        aheadFrom_ = linesTaken_;
        return;
    }
    ahead_.push_back({std::string(line), terminator});
    aheadBytes_ += line.size();
    const auto substance = static_cast<std::size_t>(std::count_if(
        line.begin(), line.end(), [](char c) { return !IsBlank(c) && c != '\n' && c != '\r'; }));
    for (Opening& opening : openings_) {
        if (!opening.found) {
            opening.found = EndsBody(line, opening.body);
            opening.end = number;
            opening.substance += substance;
        }
    }
    // Whether it opens a body too is only a guess until it is read: its markers are not known yet.
    if (openings_.size() < kMostOpenings) {
        const std::string_view text = line.substr(0, line.size() - terminator);
        FlavourBody body =
            ReadFlavourLine(text.substr(std::min(text.find_first_not_of(" \t>"), text.size()))).body;
        if (body.end != FlavourBody::End::None) {
            openings_.push_back({number, std::move(body)});
        }
    }
    ReadHeld(false, out);
}

void MarkdownStage::ReadHeld(bool finish, OutputSink& out) {
    for (;;) {
        if (!openings_.empty() && openings_.front().line < aheadFrom_) {
            const Opening& first = openings_.front();
            if (!first.found && !finish && first.substance <= kLongestBody && aheadBytes_ <= kMostBodyBytes) {
                return; // its end may still come
            }
            const std::uint64_t end = first.found ? first.end : first.line;
            bodyLinesLeft_ = static_cast<std::size_t>(end - first.line);
            // The openings inside a body are its text.
            openings_.erase(openings_.begin(),
                            std::find_if(openings_.begin(), openings_.end(),
                                         [end](const Opening& o) { return o.line > end; }));
            continue;
        }
        if (ahead_.empty()) {
            return;
        }
        const HeldLine held = std::move(ahead_.front());
        ahead_.pop_front();
        aheadBytes_ -= held.bytes.size();
        const std::uint64_t number = aheadFrom_++;
        const bool guessed = !openings_.empty() && openings_.front().line == number;
        if (GivenUp()) {
            PassAsIs(held.bytes, out);
            openings_.erase(openings_.begin(), openings_.begin() + (guessed ? 1 : 0));
            continue;
        }
        // An opening that was not guessed (its list item's marker hid it, or too many were waited for)
        // gets no body.
        opened_ = {};
        TakeNow(held.bytes, held.terminator, out);
        if (guessed && opened_.end == FlavourBody::End::None) {
            openings_.erase(openings_.begin());
        }
    }
}

} // namespace brantlewick::markdown
