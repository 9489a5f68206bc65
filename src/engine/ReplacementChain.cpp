// SPDX-License-Identifier: GPL-3.0-or-later
// The chain of replacement passes.
#include "ReplacementChain.h"

#include "Stage.h"
#include "brantlewick/engine/AsciiCase.h"

#include <algorithm>

namespace brantlewick {

namespace {

// Each pass hands its output on once this much has gathered, so no pass holds more than this and one
// replacement.
constexpr std::size_t kSlice = 4096;

unsigned char Folded(char c) {
    return FoldAscii(static_cast<unsigned char>(c));
}

} // namespace

ReplacementChain::ReplacementChain(const std::vector<std::string>& entries, int enterCount,
                                   std::string_view lineEnd)
    : enterCount_(enterCount) {
    const std::string breaks = BreaksOf(enterCount, lineEnd);
    for (const std::string& entry : entries) {
        for (const bool dropsSpace : {true, false}) {
            Pass pass;
            pass.pattern = dropsSpace ? entry + ' ' : entry;
            for (char& c : pass.pattern) {
                c = static_cast<char>(Folded(c));
            }
            pass.replacement = dropsSpace ? entry : entry + breaks;
            for (int byte = 0; byte < 256; ++byte) {
                pass.startsMatch[static_cast<std::size_t>(byte)] =
                    Folded(static_cast<char>(byte)) == static_cast<unsigned char>(pass.pattern.front());
            }
            pass.dropsSpace = dropsSpace;
            passes_.push_back(std::move(pass));
        }
    }
}

std::uint64_t ReplacementChain::BreaksInserted() const noexcept {
    std::uint64_t breaks = 0;
    for (const Pass& pass : passes_) {
        breaks += pass.dropsSpace ? 0 : pass.matches * static_cast<std::uint64_t>(enterCount_);
    }
    return breaks;
}

std::uint64_t ReplacementChain::SpacesDropped() const noexcept {
    std::uint64_t spaces = 0;
    for (const Pass& pass : passes_) {
        spaces += pass.dropsSpace ? pass.matches : 0;
    }
    return spaces;
}

void ReplacementChain::Feed(std::string_view text, OutputSink& out) {
    if (!textOpen_) {
        textOpen_ = true;
        marking_ = out.Marking();
        textStart_ = out.Written();
        for (Pass& pass : passes_) {
            pass.written = 0;
        }
    }
    if (passes_.empty()) {
        out.Append(text);
    } else {
        FeedPass(0, text, out);
    }
}

void ReplacementChain::EndText(OutputSink& out) {
    for (std::size_t k = 0; k < passes_.size(); ++k) {
        Pass& pass = passes_[k];
        Scan(k, pass.held, 0, pass.held.size(), true, out);
        pass.held.clear();
        if (k + 1 < passes_.size()) {
            FeedPass(k + 1, pass.output, out);
            pass.output.clear();
        }
    }
    if (marking_) {
        MarkEdits(out);
    }
    textOpen_ = false;
}

// Each pass rewrites the text its predecessor wrote, so an edit found by an earlier pass moves with the
// text around it: by what the replacements before it added or took away, and one that falls inside a
// replaced stretch keeps its place in the entry that the replacement starts with. An edit right where a
// replacement ends comes after it and after the pass's own edit there: a blank dropped with the space
// after an entry came before whatever followed that space.
void ReplacementChain::MarkEdits(OutputSink& out) {
    std::vector<Edit> edits; // from the text's start, in the output of the passes handled so far
    for (Pass& pass : passes_) {
        const auto length = static_cast<std::int64_t>(pass.pattern.size());
        const auto grows = static_cast<std::int64_t>(pass.replacement.size()) - length;
        const std::int64_t entry = pass.dropsSpace ? length - 1 : length;
        const auto from = [&](std::size_t j) { // where replacement j starts in this pass's input
            return static_cast<std::int64_t>(pass.replaced[j]) - static_cast<std::int64_t>(j) * grows;
        };
        const auto own = [&](std::size_t j) {
            const auto at = pass.replaced[j] + static_cast<std::uint64_t>(entry);
            return pass.dropsSpace ? Edit{Edit::Kind::Blanks, at, 1}
                                   : Edit{Edit::Kind::Breaks, at, static_cast<std::uint64_t>(enterCount_)};
        };
        std::vector<Edit> moved;
        moved.reserve(edits.size() + pass.replaced.size());
        std::size_t j = 0;
        for (Edit edit : edits) {
            const auto at = static_cast<std::int64_t>(edit.at);
            for (; j < pass.replaced.size() && from(j) + length <= at; ++j) {
                moved.push_back(own(j));
            }
            const bool inside = j < pass.replaced.size() && from(j) < at;
            edit.at = static_cast<std::uint64_t>(inside ? static_cast<std::int64_t>(pass.replaced[j]) +
                                                              std::min(at - from(j), entry)
                                                        : at + static_cast<std::int64_t>(j) * grows);
            moved.push_back(edit);
        }
        for (; j < pass.replaced.size(); ++j) {
            moved.push_back(own(j));
        }
        edits.swap(moved);
        pass.replaced.clear();
    }
    for (const Edit& edit : edits) {
        out.Mark(edit.kind, textStart_ + edit.at, edit.count);
    }
}

void ReplacementChain::Emit(std::size_t k, std::string_view bytes, OutputSink& out) {
    passes_[k].written += bytes.size();
    if (k + 1 == passes_.size()) {
        out.Append(bytes);
        return;
    }
    Pass& pass = passes_[k];
    pass.output.append(bytes);
    if (pass.output.size() >= kSlice) {
        FeedPass(k + 1, pass.output, out); // the next pass never writes to this pass's output
        pass.output.clear();
    }
}

void ReplacementChain::FeedPass(std::size_t k, std::string_view text, OutputSink& out) {
    Pass& pass = passes_[k];
    const std::size_t length = pass.pattern.size();
    if (pass.held.empty()) {
        const std::size_t done = Scan(k, text, 0, text.size(), false, out);
        pass.held.assign(text.substr(done));
        return;
    }
    // Something is held, so the pattern is longer than one byte.
    if (text.size() < length - 1) {
        pass.held.append(text);
        const std::size_t done = Scan(k, pass.held, 0, pass.held.size(), false, out);
        pass.held.erase(0, done);
        return;
    }
    // Every held position can be decided with the first length - 1 bytes of `text` behind it; a match
    // found there may end inside `text`.
    const std::size_t held = pass.held.size();
    pass.held.append(text.substr(0, length - 1));
    const std::size_t done = Scan(k, pass.held, 0, held, false, out);
    pass.held.clear();
    const std::string_view rest = text.substr(done - held);
    const std::size_t restDone = Scan(k, rest, 0, rest.size(), false, out);
    pass.held.assign(rest.substr(restDone));
}

std::size_t ReplacementChain::Scan(std::size_t k, std::string_view text, std::size_t i, std::size_t limit,
                                   bool final, OutputSink& out) {
    Pass& pass = passes_[k];
    const std::size_t length = pass.pattern.size();
    std::size_t copied = i;
    while (i < limit) {
        std::size_t at = i;
        while (at < limit && !pass.startsMatch[static_cast<unsigned char>(text[at])]) {
            ++at;
        }
        if (at == limit || (final && at + length > text.size())) {
            i = limit;
            break;
        }
        if (at + length > text.size()) {
            i = at; // may match once more bytes come
            break;
        }
        std::size_t k2 = 1;
        while (k2 < length && Folded(text[at + k2]) == static_cast<unsigned char>(pass.pattern[k2])) {
            ++k2;
        }
        if (k2 < length) {
            i = at + 1;
            continue;
        }
        Emit(k, text.substr(copied, at - copied), out);
        if (marking_) {
            pass.replaced.push_back(pass.written);
        }
        Emit(k, pass.replacement, out);
        ++pass.matches;
        i = copied = at + length;
    }
    Emit(k, text.substr(copied, i - copied), out);
    return i;
}

} // namespace brantlewick
