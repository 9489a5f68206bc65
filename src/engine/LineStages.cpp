// SPDX-License-Identifier: GPL-3.0-or-later
// Reflowing paragraphs: joining their lines, and the breaks between them.
#include "LineStages.h"

#include "StopScan.h"
#include "brantlewick/base/Utf8.h"
#include "sentences/Characters.h"

#include <algorithm>
#include <cstring>

namespace brantlewick {

namespace {

// Past this many alternations of spaces and tabs inside one line, the earlier blanks are written even
// before it is known whether text follows them: memory stays bounded on any input.
constexpr std::size_t kMostBlankRuns = 4096;

// Enough of a line's start to tell a list item's marker: "(123) ".
constexpr std::size_t kMarkerHead = 6;
// A line that may start an item waits this long for its end, whose width may show that wrapping put its
// marker there; a longer line is no hard-wrapped one.
constexpr std::size_t kMeasuredLine = 512;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether a line whose first bytes (or all of it, trailing blanks included) are `head` starts a list
// item: a bullet or dash, or a number of up to three digits or one letter closed by "." or ")" or put in
// brackets, then a blank or the line's end. A capital with a period is more often an initial
// ("J. Smith"). With `alone`, `head` is the whole line, and a label must have text after it.
bool StartsListItem(std::string_view head, bool alone) {
    const auto blankAt = [head](std::size_t at) { return at == head.size() || IsBlank(head[at]); };
    const sentences::Char first = sentences::DecodeAt(head.data(), head.data() + head.size());
    if (sentences::IsBullet(first.code) || sentences::IsDash(first.code) || first.code == '*' ||
        first.code == '+') {
        return blankAt(static_cast<std::size_t>(first.size));
    }
    const bool bracket = first.code == '(';
    std::size_t at = bracket ? 1 : 0;
    const std::size_t label = at;
    while (at < head.size() && at - label < 3 && head[at] >= '0' && head[at] <= '9') {
        ++at;
    }
    bool capital = false;
    if (at == label) {
        const char c = at < head.size() ? static_cast<char>(head[at] | 0x20) : '\0';
        if (c < 'a' || c > 'z') {
            return false;
        }
        capital = (head[at++] & 0x20) == 0;
    }
    if (at >= head.size() || !(head[at] == ')' || (head[at] == '.' && !bracket && !capital))) {
        return false;
    }
    return blankAt(at + 1) && !(alone && head.find_first_not_of(" \t", at + 1) == std::string_view::npos);
}

void WriteBlanks(char blank, std::uint64_t count, OutputSink& out) {
    const std::string block(static_cast<std::size_t>(std::min<std::uint64_t>(count, 256)), blank);
    for (std::uint64_t piece = 0; count > 0; count -= piece) {
        piece = std::min<std::uint64_t>(count, block.size());
        out.Append(std::string_view(block).substr(0, static_cast<std::size_t>(piece)));
    }
}

// Whether the last character of `tail`, which holds up to its last four bytes, is of a script written
// without spaces.
bool EndsWide(std::string_view tail) {
    return sentences::IsWide(utf8::DecodeBefore(tail.data(), tail.data() + tail.size()).code);
}

} // namespace

void ReflowStage::Feed(std::string_view chunk, OutputSink& out) {
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    while (p != end) {
        if (afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            if (*p == '\n') { // the LF of a CR LF pair
                ++p;
                continue;
            }
        }
        if (IsLineEnd(*p)) {
            EndLine(out);
            afterCarriageReturn_ = *p == '\r';
            ++p;
            continue;
        }
        if (!lineHasText_ && IsBlank(*p)) {
            ++indent_; // leading blanks go
            ++p;
            continue;
        }
        // The rest of the line in this chunk: its text at once, the blanks after it held back.
        const char* const lineEnd = FindLineEnd(p, end);
        const char* textEnd = lineEnd;
        while (textEnd != p && IsBlank(textEnd[-1])) {
            --textEnd;
        }
        if (textEnd != p) {
            WriteText(std::string_view(p, static_cast<std::size_t>(textEnd - p)), out);
        }
        for (; textEnd != lineEnd; ++textEnd) {
            AddBlank(*textEnd, out);
        }
        p = lineEnd;
    }
}

void ReflowStage::WriteText(std::string_view text, OutputSink& out) {
    if (!lineHasText_) {
        lineHasText_ = true;
        paragraphOpen_ = true;
        joinWaiting_ = joinPending_;
        joinPending_ = false;
        // A paragraph's first line may start an item too, whose width shows a list's, not a measure.
        startsItem_ = forSentences_ && !joinWaiting_ && StartsListItem(text.substr(0, kMarkerHead), false);
    }
    if (joinWaiting_) {
        // The line's first few bytes decide, or the whole line; they may arrive in pieces.
        std::size_t wanted = HeadWanted();
        while (head_.size() < wanted && !text.empty()) {
            const std::size_t taken = std::min(wanted - head_.size(), text.size());
            head_.append(text.substr(0, taken));
            text.remove_prefix(taken);
            wanted = HeadWanted();
        }
        if (head_.size() < wanted) {
            return;
        }
        Join(out, false);
        if (text.empty()) {
            return; // blanks at the end of the start may be the line's trailing ones
        }
    }
    for (const auto& [blank, count] : blanks_) {
        WriteBlanks(blank, count, out);
        width_ += static_cast<std::size_t>(count);
        tail_.Clear(); // a blank is no part of the last character
    }
    blanks_.clear();
    out.Append(text);
    width_ += utf8::Width(text);
    tail_.Append(text);
}

void ReflowStage::Tail::Append(std::string_view text) {
    if (text.size() >= bytes_.size()) {
        std::memcpy(bytes_.data(), text.data() + text.size() - bytes_.size(), bytes_.size());
        size_ = bytes_.size();
        return;
    }
    // The last of what is there moves up to make room.
    const std::size_t kept = std::min(size_, bytes_.size() - text.size());
    std::memmove(bytes_.data(), bytes_.data() + size_ - kept, kept);
    std::copy(text.begin(), text.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(kept));
    size_ = kept + text.size();
}

void ReflowStage::Join(OutputSink& out, bool lineEnded) {
    joinWaiting_ = false;
    std::string head;
    head.swap(head_);
    startsItem_ = StartsListItem(head, forSentences_ && lineEnded) && !Wrapped(head, lineEnded);
    if (startsItem_) {
        out.Append("\r");
        ++counts_.terminatorsOut;
        tail_.Clear();
    } else if (!(previousWide_ &&
                 sentences::IsWide(utf8::DecodeAt(head.data(), head.data() + head.size()).code))) {
        out.Append(" ");
        tail_.Clear();
    }
    // The line's start again, now that it is joined.
    for (std::size_t at = 0; at < head.size();) {
        if (IsBlank(head[at])) {
            AddBlank(head[at++], out);
            continue;
        }
        const auto text = static_cast<std::size_t>(
            std::find_if(head.begin() + static_cast<std::ptrdiff_t>(at), head.end(), IsBlank) - head.begin());
        WriteText(std::string_view(head).substr(at, text - at), out);
        at = text;
    }
}

void ReflowStage::AddBlank(char blank, OutputSink& out) {
    if (!lineHasText_) {
        return; // leading blanks go
    }
    if (joinWaiting_) {
        head_ += blank;
        if (head_.size() >= HeadWanted()) {
            Join(out, false);
        }
        return;
    }
    if (!blanks_.empty() && blanks_.back().first == blank) {
        ++blanks_.back().second;
        return;
    }
    if (blanks_.size() == kMostBlankRuns) {
        WriteBlanks(blanks_.front().first, blanks_.front().second, out);
        blanks_.erase(blanks_.begin());
        tail_.Clear();
    }
    blanks_.emplace_back(blank, 1);
}

void ReflowStage::EndLine(OutputSink& out) {
    ++counts_.terminatorsIn;
    if (joinWaiting_) {
        Join(out, true);
    }
    blanks_.clear(); // trailing blanks go
    if (lineHasText_) {
        lineHasText_ = false;
        joinPending_ = true;
        const std::string_view tail = tail_.View();
        previousWide_ = EndsWide(tail);
        const char32_t last = sentences::DecodeBefore(tail.data(), tail.data() + tail.size()).code;
        const bool ended = sentences::IsEndMark(last) || sentences::IsCloser(last) || last == ':';
        lastLines_ = {LineShape{width_, indent_, !ended && !startsItem_, startsItem_}, lastLines_[0]};
        ++lines_;
    } else if (paragraphOpen_) {
        out.Append("\n");
        paragraphOpen_ = joinPending_ = false;
        lines_ = 0;
    }
    width_ = 0;
    startsItem_ = false;
    indent_ = 0;
}

std::size_t ReflowStage::HeadWanted() const {
    return forSentences_ && head_.size() >= kMarkerHead && StartsListItem(head_, false) ? kMeasuredLine
                                                                                        : kMarkerHead;
}

bool ReflowStage::Wrapped(std::string_view head, bool whole) const {
    // Lines narrower than this are no sign of wrapping.
    constexpr std::size_t kNarrowestWrap = 30;
    const LineShape& last = lastLines_[0];
    if (!forSentences_ || lines_ < 2 || !last.wrappable) {
        return false;
    }
    // Wrapping keeps the margin of the line before; an item of a list set with a hanging indent does not,
    // and a line laid out with a run of blanks inside (a table's, a box's) was not wrapped.
    if (indent_ != last.indent || head.find("   ") != std::string_view::npos) {
        return false;
    }
    // The line before and one more around it come close to the widest: the paragraph shows a measure,
    // and the line before was wrapped by it. This line itself shows it too, unless the line before that
    // started an item: in a list, its items are as wide as its lines. The second line of a paragraph has
    // only the first and itself, which are as often a list's introduction and its first item.
    const LineShape& previous = lastLines_[1];
    const std::size_t before = previous.wrappable ? previous.width : 0;
    const std::size_t own =
        whole && !previous.item ? utf8::Width(head.substr(0, head.find_last_not_of(" \t") + 1)) : 0;
    const std::size_t widest = std::max({last.width, before, own});
    const std::size_t close = std::max(kNarrowestWrap, widest * 4 / 5);
    if (last.width < close || std::max(before, own) < close) {
        return false;
    }
    const std::size_t word = std::min(head.find_first_of(" \t"), head.size());
    return last.width + 1 + word > widest;
}

void ReflowStage::Finish(OutputSink& out) {
    if (joinWaiting_) {
        Join(out, true);
    }
    if (paragraphOpen_) {
        out.Append("\n");
    }
}

void ParagraphStage::Feed(std::string_view chunk, OutputSink& out) {
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    while (p != end) {
        if (afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            if (*p == '\n') {
                // Breaks after a paragraph's end count towards the empty line that follows it.
                out.Append(lineEnd_);
                ++trailingPairs_;
                ++counts_.terminatorsOut;
                ++p;
                continue;
            }
            EndPairs(1, out); // a list item's line: it starts afresh, on a break already there if any
        }
        if (*p == '\n') {
            paragraphEnded_ = true;
            ++p;
            continue;
        }
        const char* q = FindLineEnd(p, end);
        if (q != p) {
            if (paragraphEnded_) {
                EndPairs(2, out);
                paragraphEnded_ = false;
            }
            out.Append(std::string_view(p, static_cast<std::size_t>(q - p)));
            trailingPairs_ = 0;
        }
        if (q != end && *q == '\r') {
            afterCarriageReturn_ = true;
            ++q;
        }
        p = q;
    }
}

void ParagraphStage::EndPairs(std::uint64_t wanted, OutputSink& out) {
    for (; trailingPairs_ < wanted; ++trailingPairs_) {
        out.Append(lineEnd_);
        ++counts_.terminatorsOut;
    }
}

void ParagraphStage::Finish(OutputSink& out) {
    if (afterCarriageReturn_ || paragraphEnded_) {
        EndPairs(1, out);
    }
    trailingPairs_ = 0;
    paragraphEnded_ = afterCarriageReturn_ = false;
}

} // namespace brantlewick
