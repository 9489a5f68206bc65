// SPDX-License-Identifier: GPL-3.0-or-later
// List items and headings: the markers that start an item, items in running text, and the line ends
// that separate items or a heading from the text after it when the lines are joined.
#include "StopScan.h"
#include "sentences/RuleBasics.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace brantlewick::sentences {

namespace {

// How far apart two items of one list in running text may start.
constexpr std::uint64_t kListSpan = 1024;

bool AtLineStart(const Window& w, const char* p) {
    for (Char c = DecodeBefore(w.begin, p); p > w.begin; c = DecodeBefore(w.begin, p)) {
        if (IsLineEnd(c.code)) {
            return true;
        }
        if (!IsBlank(c.code)) {
            return false;
        }
        p -= c.size;
    }
    return w.beginIsTextStart;
}

// The first blank line in [p, end) (a line end, perhaps blanks, and another line end), or `end`. A list
// in running text stays in its paragraph.
const char* FindBlankLine(const char* p, const char* end) {
    const auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
    while ((p = std::find_if(p, end, isLineEnd)) < end) {
        int lineEnds = 0;
        const char* const after = SkipSpaces(p, end, lineEnds);
        if (lineEnds >= 2) {
            return p;
        }
        p = after;
    }
    return end;
}

bool IsRomanDigit(char32_t c) {
    const char32_t folded = Fold(c);
    return folded == 'i' || folded == 'v' || folded == 'x';
}

// The first byte of the line that ends at `lineEnd`, or null when it starts before the window does
// (and so is long, or out of sight).
const char* LineStartBefore(const Window& w, const char* lineEnd) {
    const auto* lf =
        static_cast<const char*>(memrchr(w.begin, '\n', static_cast<std::size_t>(lineEnd - w.begin)));
    // Only a CR after the last LF matters (an old Mac's line end): most texts have none to look for.
    const char* const crFrom = lf != nullptr ? lf + 1 : w.begin;
    const auto* cr =
        static_cast<const char*>(memrchr(crFrom, '\r', static_cast<std::size_t>(lineEnd - crFrom)));
    const char* const last = cr != nullptr ? cr : lf;
    if (last == nullptr) {
        return w.beginIsTextStart ? w.begin : nullptr;
    }
    return last + 1;
}

// Whether a "." or ")" lies among the 14 bytes from p, eight bytes at a time: a byte equal to one of them
// leaves a zero byte in the word XORed with it, which the borrow of the subtraction finds.
bool HasMarkerPunctuation(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    constexpr std::uint64_t kTopBits = 0x8080808080808080U;
    const auto hasByte = [](std::uint64_t word, char c) {
        const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
        return ((x - kOnes) & ~x & kTopBits) != 0;
    };
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::memcpy(&first, p, 8);
    std::memcpy(&last, p + 6, 8);
    return hasByte(first, '.') || hasByte(first, ')') || hasByte(last, '.') || hasByte(last, ')');
}

// Characters, not bytes: a line's measure does not depend on its script.
std::ptrdiff_t Width(const char* from, const char* to) {
    return static_cast<std::ptrdiff_t>(utf8::Width({from, static_cast<std::size_t>(to - from)}));
}

// Lines narrower than this are no sign of wrapping.
constexpr std::ptrdiff_t kNarrowestWrap = 30;

// The width of the line at `p` where it looks wrapped: it ends without a mark, as wide as wrapping
// leaves a line, and another line of its paragraph follows. 0 otherwise, or when its end is out of sight.
std::ptrdiff_t WrappedWidthAt(const Window& w, const char* p) {
    const char* const lineEnd = std::find_if(p, w.end, [](char c) { return c == '\n' || c == '\r'; });
    int lineEnds = 0;
    const char* const after = SkipSpaces(lineEnd, w.end, lineEnds);
    const char* const textEnd = SpaceStartBefore(w, lineEnd);
    const Char last = DecodeBefore(p, textEnd);
    if (after >= w.end || lineEnds != 1 || IsEndMark(last.code) || IsCloser(last.code) || last.code == ':') {
        return 0;
    }
    const std::ptrdiff_t width = Width(p, textEnd);
    return width >= kNarrowestWrap ? width : 0;
}

// A list item's label: a number of up to three digits, one letter, or a Roman numeral of up to six
// letters. Where it ends, or null when there is none at `p`.
const char* ParseLabel(const Window& w, const char* p, Marker& marker) {
    if (IsAsciiDigit(*p)) {
        const char* const first = p;
        for (; p < w.end && IsAsciiDigit(*p); ++p) {
            if (p - first >= 3) {
                return nullptr; // a year or an amount, not an item number
            }
            marker.value = marker.value * 10 + (*p - '0');
        }
        return p;
    }
    const char* const labelStart = p;
    std::size_t letters = 0;
    bool roman = true;
    for (Char c = DecodeAt(p, w.end); IsWordChar(c.code) && letters < 6; c = DecodeAt(p, w.end)) {
        if (CaseOf(c.code) != Case::Upper && CaseOf(c.code) != Case::Lower) {
            return nullptr;
        }
        roman = roman && IsRomanDigit(c.code);
        ++letters;
        if (letters > 1 && !roman) {
            return nullptr; // a word, the commonest case: no need to read it to its end
        }
        p += c.size;
    }
    const Char first = DecodeAt(labelStart, w.end);
    marker.upper = CaseOf(first.code) == Case::Upper;
    if (letters == 1) {
        marker.label = Marker::Letter;
        const char32_t folded = Fold(first.code);
        marker.value = folded >= kCyrillicSmallA ? static_cast<int>(folded - kCyrillicSmallA + 1)
                                                 : static_cast<int>(folded) - 'a' + 1;
        return p;
    }
    marker.label = Marker::Roman;
    marker.value = 0; // numerals only count at the start of a line, where no order is needed
    return letters > 1 && roman ? p : nullptr;
}

// Whether the line that ends at `lineEnd` shows at a glance what hard-wrapped text shows and a heading
// does not: the next line goes on in small letters or digits, or the line is longer than `shortLine`
// (its last shortLine + 1 bytes hold no line end and start in its text).
bool GoesOnWrapped(const Window& w, const char* lineEnd, const char* next, std::ptrdiff_t shortLine) {
    if ((*next >= 'a' && *next <= 'z') || IsAsciiDigit(*next)) {
        return true;
    }
    if (lineEnd - w.begin <= shortLine) {
        return false;
    }
    const char* const from = lineEnd - shortLine - 1;
    return *from > ' ' && *from < 0x7F && FindLineEnd(from, lineEnd) == lineEnd;
}

// Whether `token`, the word characters before a "." or ")", may be a label as ParseLabel reads one. Only
// tokens of ASCII letters and digits are ruled out here; the rest is for ParseLabel to judge.
bool MayBeLabel(std::string_view token) {
    if (std::all_of(token.begin(), token.end(), [](char c) { return IsAsciiDigit(c); })) {
        return token.size() <= 3;
    }
    const bool ascii = std::all_of(token.begin(), token.end(), [](char c) { return c > 0; });
    const auto isRoman = [](char c) { return std::string_view("ivxIVX").find(c) != std::string_view::npos; };
    return !ascii || token.size() == 1 ||
           (token.size() <= 6 && std::none_of(token.begin(), token.end(), IsAsciiDigit) &&
            std::all_of(token.begin(), token.end(), isRoman));
}

} // namespace

void SentenceRules::NoteLineEnd(const Window& w, const char* at, bool joined, std::size_t length) {
    const std::uint64_t here = w.position + static_cast<std::uint64_t>(at - w.begin);
    if (joined) {
        const char* const start =
            lineStart_ > w.position ? std::min(at, w.begin + (lineStart_ - w.position)) : w.begin;
        const char* const text = SkipBlanks(start, at);
        const char* const textEnd = std::max(text, SpaceStartBefore(w, at));
        // A line no longer in bytes than the widest so far is no wider in characters either.
        if (textEnd - text > wrapWidth_) {
            const std::ptrdiff_t width = Width(text, textEnd);
            wrapWidth_ = width >= kNarrowestWrap ? std::max(wrapWidth_, width) : wrapWidth_;
        }
    } else {
        int lineEnds = 0;
        SkipSpaces(at, w.end, lineEnds);
        wrapWidth_ = lineEnds >= 2 ? 0 : wrapWidth_; // a new paragraph shows its own width
    }
    lineStart_ = here + length;
}

bool SentenceRules::OpensItemText(const Window& w, const char* at) const {
    // Its line starts at a boundary for a second run.
    const char* const lineStart = LineStartBefore(w, at);
    if (lineStart == nullptr && Horizon(w) == w.begin) {
        return false;
    }
    const char* const first =
        SkipBlanks(std::max(lineStart != nullptr ? lineStart : w.begin, std::min(Horizon(w), at)), at);
    const Char mark = DecodeAt(first, at);
    if ((IsBullet(mark.code) || IsDash(mark.code) || mark.code == '*' || mark.code == '+') &&
        SkipBlanks(first + mark.size, at) == at) {
        return true;
    }
    const std::optional<Marker> marker = first < at ? ParseMarker(w, first) : std::nullopt;
    return marker && marker->text == at;
}

bool SentenceRules::JoinedAt(const Window& w, const char* p) const {
    if (!joinLines_ || p >= w.end || !IsLineEnd(DecodeAt(p, w.end).code)) {
        return false;
    }
    // Whether the line end goes may depend on the line ends after it, never on itself: one that is
    // being decided (a heading's marker may look across it) and a chain beyond a few stay.
    if (std::find(predicting_.begin(), predicting_.begin() + depth_, p) != predicting_.begin() + depth_ ||
        depth_ == predicting_.size()) {
        return false;
    }
    predicting_.at(depth_++) = p;
    const bool stays = LineEndAt(w, p).has_value();
    --depth_;
    return !stays;
}

const char* SentenceRules::SkipJoinedLineEnd(const Window& w, const char* p) const {
    const char* const next = p + (p + 1 < w.end && p[0] == '\r' && p[1] == '\n' ? 2 : 1);
    return p < w.end && IsWide(DecodeBefore(w.begin, p).code) && IsWide(DecodeAt(next, w.end).code) &&
                   JoinedAt(w, p)
               ? next
               : p;
}

const char* SentenceRules::SkipBlanksAndJoinedLineEnds(const Window& w, const char* p) const {
    for (p = SkipBlanks(p, w.end); JoinedAt(w, p); p = SkipBlanks(p, w.end)) {
        p += p + 1 < w.end && p[0] == '\r' && p[1] == '\n' ? 2 : 1;
    }
    return p;
}

bool SentenceRules::BulletOpensText(const Window& w, const char* p, bool bullet) const {
    const Char next = DecodeAt(p, w.end);
    if (bullet && IsWordChar(next.code)) {
        return true;
    }
    if (!IsBlank(next.code) && !JoinedAt(w, p)) {
        return false;
    }
    const char* const text = SkipBlanksAndJoinedLineEnds(w, p);
    return text < w.end && !IsSpace(DecodeAt(text, w.end).code);
}

inline std::optional<Marker> SentenceRules::ParseMarker(const Window& w, const char* start) const {
    // Most lines start with a word: no "." or ")" among the first bytes rules them out cheaply, here
    // where the callers see it rather than behind a call.
    constexpr std::size_t kHead = 14;
    const std::size_t head = std::min<std::size_t>(static_cast<std::size_t>(w.end - start), kHead);
    if (head == kHead ? !HasMarkerPunctuation(start)
                      : std::none_of(start, start + head, [](char c) { return c == '.' || c == ')'; })) {
        return std::nullopt;
    }
    return ReadMarker(w, start);
}

std::optional<Marker> SentenceRules::ReadMarker(const Window& w, const char* start) const {
    const bool paren = *start == '(';
    Marker marker{Marker::Number, 0, 0, false, start, nullptr, nullptr};
    const char* p = start + (paren ? 1 : 0);
    p = p < w.end ? ParseLabel(w, p, marker) : nullptr;
    if (p == nullptr || p >= w.end || (*p != '.' && *p != ')') || (paren && *p != ')')) {
        return std::nullopt;
    }
    marker.punctuation = p++;
    // "1.)" is one marker.
    p += *marker.punctuation == '.' && p < w.end && *p == ')' ? 1 : 0;
    marker.style = static_cast<int>(marker.label) * 3 + (paren ? 2 : *marker.punctuation == ')' ? 1 : 0);
    // A line end that goes reads as the blank that takes its place, unless the number ends a sentence
    // right there, which keeps the line end as its boundary ("How many?\n12.\nMaybe 13.").
    const bool blank = IsBlank(DecodeAt(p, w.end).code);
    if (p >= w.end || !(blank || JoinedAt(w, p))) {
        return std::nullopt;
    }
    if (const std::optional<Boundary> end =
            blank || *marker.punctuation != '.' ? std::nullopt : DecideRun(w, marker.punctuation, p);
        end && end->at == p) {
        return std::nullopt;
    }
    marker.text = SkipBlanksAndJoinedLineEnds(w, p);
    if (marker.text >= w.end || IsLineEnd(DecodeAt(marker.text, w.end).code)) {
        return std::nullopt;
    }
    return marker;
}

bool SentenceRules::StartsLineItem(const Marker& m) {
    // A capital letter with a period is as often an initial ("J. Smith"); "I. Overview" is the exception.
    return m.label != Marker::Letter || *m.punctuation == ')' || !m.upper || *m.start == 'I';
}

SentenceRules::Successor SentenceRules::FindSuccessor(const Window& w, const Marker& marker) const {
    std::string label;
    if (marker.label == Marker::Number) {
        label = std::to_string(marker.value + 1);
    } else {
        const Char c = DecodeAt(marker.start + (*marker.start == '(' ? 1 : 0), w.end);
        utf8::AppendChar(label, c.code + 1);
    }
    std::string pattern = *marker.start == '(' ? "(" + label : label;
    pattern += *marker.punctuation;
    const std::string_view text(marker.text,
                                static_cast<std::size_t>(FindBlankLine(marker.text, w.end) - marker.text));
    for (std::size_t at = text.find(pattern); at != std::string_view::npos; at = text.find(pattern, at + 1)) {
        const char* p = marker.text + at;
        const char* after = p + pattern.size();
        // A line end counts as a blank, and so do the text's end and a wide end before the item: a break
        // put before or after the next item must not undo the list.
        const char32_t before = DecodeBefore(w.begin, p).code;
        if ((after < w.end ? IsSpace(DecodeAt(after, w.end).code) : w.endIsTextEnd) &&
            (IsSpace(before) || IsWideEnd(before))) {
            // "(a) paper, (b) pens", "(1) and (2) apply": items joined by commas or a conjunction belong
            // to one sentence.
            const char* gap = SpaceStartBefore(w, p);
            const Char before = DecodeBefore(w.begin, gap);
            const bool joined = before.code == ',' || before.code == ';' ||
                                language_->Lists(WordList::Conjunctions, FoldedKey(TokenBefore(w, gap)));
            return joined ? Successor::Joined : Successor::Separate;
        }
    }
    return Successor::None;
}

bool SentenceRules::StartsRunningItem(const Window& w, const Marker& marker, std::uint64_t position,
                                      char32_t before) const {
    // Chinese and Japanese set no blank after a colon or an end: "我们需要：1. 面包", "如下。1. 面包".
    const bool introduced = before == ':' || before == kFullwidthColon;
    if (marker.label == Marker::Roman ||
        (marker.label == Marker::Letter && *marker.punctuation == '.' && marker.upper) ||
        !(IsBlank(DecodeBefore(w.begin, marker.start).code) || before == kFullwidthColon ||
          IsWideEnd(before))) {
        return false;
    }
    const SeenItem& seen = seenItems_.at(static_cast<std::size_t>(marker.style));
    const std::uint64_t sinceLast = position - seen.position;
    // Only within sight: whether a blank line lies between must be seen, or a second run, whose breaks
    // move the window, could decide otherwise.
    if (seen.seen && seen.value + 1 == marker.value && sinceLast <= kListSpan &&
        sinceLast <= static_cast<std::uint64_t>(marker.start - w.begin) &&
        FindBlankLine(marker.start - sinceLast, marker.start) == marker.start) {
        return true; // the next item of the list seen last
    }
    if (marker.value != 1) {
        return false;
    }
    // Not a list where an ordinal stands ("am 1. Mai"). Unless a colon introduces it, its first item
    // starts in small letters or with a number ("Bring 1. tents 2. food"), as neither a heading
    // ("Capitolo 1. Introduzione 2. La storia") nor a sentence would; and a number in brackets after a
    // word refers to something ("il comma (1) e il (2)").
    const Next item = ReadNext(w, marker.text);
    const Successor successor = FindSuccessor(w, marker);
    return successor != Successor::Joined &&
           !language_->Lists(WordList::OrdinalNouns, FoldedKey(item.word)) &&
           (introduced || (successor != Successor::None && *marker.start != '(' &&
                           (item.kind == Next::Lower || item.kind == Next::Digit || item.kind == Next::Cjk)));
}

bool SentenceRules::ItemAfterBoundary(const Window& w, const Marker& marker, const char* gap) const {
    // After a boundary the marker starts a line on a second run: an item there, unless the number ends
    // a sentence right after its punctuation ("How many? 12. Maybe 13."), which leaves it no text. A
    // numeral or letter ("II. 1.", "II. I") is an item as it is at a line start, where a break that the
    // document cannot take may have left it.
    if (w.position + static_cast<std::uint64_t>(gap - w.begin) != lastBoundary_) {
        return false;
    }
    if (marker.label != Marker::Number) {
        return true;
    }
    const char* const at = marker.punctuation;
    const std::optional<Boundary> end = DecideRun(w, at, at + 1);
    return !(end && end->at == at + 1);
}

bool SentenceRules::ListItemEndsAt(const Window& w, const char* at, std::optional<Boundary>& boundary) {
    // The label before the punctuation: a few digits or letters, perhaps opened by "(". No label is
    // longer than six characters, which ends the look back at most words.
    constexpr int kLongestLabel = 6;
    const char* start = at;
    int characters = 0;
    for (Char c = DecodeBefore(w.begin, start); start > w.begin && IsWordChar(c.code) && at - start < 12;
         c = DecodeBefore(w.begin, start)) {
        if (++characters > kLongestLabel) {
            return false;
        }
        start -= c.size;
    }
    if (start == at || !MayBeLabel({start, static_cast<std::size_t>(at - start)})) {
        return false;
    }
    if (*at == ')' && start > w.begin && start[-1] == '(') {
        --start;
    }
    if (start > w.begin && IsWordChar(DecodeBefore(w.begin, start).code)) {
        return false;
    }
    const std::optional<Marker> marker = ParseMarker(w, start);
    if (!marker || marker->punctuation != at) {
        return false;
    }
    const std::uint64_t position = w.position + static_cast<std::uint64_t>(start - w.begin);
    // "• 9. The first item": a number after a bullet is part of the bullet's marker, which has its break.
    const char* gap = SpaceStartBefore(w, start);
    const Char mark = DecodeBefore(w.begin, gap);
    // A dash that follows a boundary stands at a line start on a second run.
    const auto dashStartsLine = [&] {
        const char* dash = gap - mark.size;
        return AtLineStart(w, dash) || SpaceStartBefore(w, dash) == Horizon(w);
    };
    const bool afterBullet =
        gap < start && (IsBullet(mark.code) || ((IsDash(mark.code) || mark.code == '*') && dashStartsLine()));
    const bool lineStart = afterBullet || AtLineStart(w, start) || ItemAfterBoundary(w, *marker, gap);
    // In running text: "Steps: 1. open 2. close", "a) red b) blue"; not where the item opens the text of
    // one whose marker starts the line ("1. 1. Intro"), which a break would leave empty.
    if (lineStart ? !StartsLineItem(*marker)
                  : !StartsRunningItem(w, *marker, position, mark.code) || OpensItemText(w, start)) {
        return false;
    }
    seenItems_.at(static_cast<std::size_t>(marker->style)) = {true, marker->value, position};
    // A sentence starts after an item's label as after a sentence end: "II. 3. Apples" is item 3 whether
    // or not a break put "II." at the start of its line.
    if (*at == '.') {
        lastEnd_ = w.position + static_cast<std::uint64_t>(at + 1 - w.begin);
    }
    boundary = afterBullet || (lineStart && lineEndsStay_) ? std::nullopt : BoundaryBefore(w, start);
    return true;
}

std::optional<Boundary> SentenceRules::LineEndAt(const Window& w, const char* at) const {
    if (*at == '\n' && at > w.begin && at[-1] == '\r') {
        return std::nullopt; // decided at the CR
    }
    int lineEnds = 0;
    const char* const start = SkipSpaces(at, w.end, lineEnds);
    if (start >= w.end) {
        return std::nullopt; // nothing follows, or nothing within reach
    }
    const Char c = DecodeAt(start, w.end);
    bool item = lineEnds >= 2;
    if (!item && (IsBullet(c.code) || IsDash(c.code) || c.code == '*' || c.code == '+')) {
        item = BulletOpensText(w, start + c.size, IsBullet(c.code));
    }
    if (!item) {
        const std::optional<Marker> marker = ParseMarker(w, start);
        item = marker && StartsLineItem(*marker);
    }
    return item || EndsHeading(w, SpaceStartBefore(w, at), start) ? BoundaryBefore(w, at) : std::nullopt;
}

bool SentenceRules::EndsHeading(const Window& w, const char* lineEnd, const char* next) const {
    // The lines run together here, so a heading ("Introduction" over "This paper ...") would be glued to
    // the text after it: a short line that ends without a mark, stands on its own and is followed by a
    // capital.
    constexpr std::ptrdiff_t kShortLine = 60;
    const Char last = DecodeBefore(w.begin, lineEnd);
    if (!(IsWordChar(last.code) && !IsCjk(last.code)) && !IsCloser(last.code) && last.code != ':') {
        return false;
    }
    // The checks are cheapest first; all of them must pass.
    if (GoesOnWrapped(w, lineEnd, next, kShortLine)) {
        return false;
    }
    // The line stands on its own after the text's start, a blank line or a line that ends a sentence,
    // and holds no boundary (a second run would see only its end, which may not stand so).
    const char* const lineStart = LineStartBefore(w, lineEnd);
    if (lineStart == nullptr) {
        return false;
    }
    int lineEnds = 0;
    const char* const before = SpaceStartBefore(w, lineStart);
    SkipSpaces(before, lineStart, lineEnds);
    const Char end = DecodeBefore(w.begin, before);
    if ((before == w.begin
             ? !w.beginIsTextStart
             : lineEnds < 2 && !IsEndMark(end.code) && !IsCloser(end.code) && end.code != ':') ||
        lastBoundary_ > w.position + static_cast<std::uint64_t>(before - w.begin)) {
        return false;
    }
    const char* const line = SkipBlanks(lineStart, lineEnd);
    if (line == lineEnd || lineEnd - line > kShortLine) {
        return false;
    }
    // Lines that ran together into this one were wrapped, and so is their last.
    if (w.position + static_cast<std::uint64_t>(lineStart - w.begin) < lineStart_) {
        return false;
    }
    // Read last, as it costs most: the next line starts with a capital.
    const Next following = ReadNext(w, next, false);
    if (following.kind != Next::Upper && following.kind != Next::Opening) {
        return false;
    }
    // A list item that goes on over the next line is no heading.
    const Char first = DecodeAt(line, lineEnd);
    if (ParseMarker(w, line) || IsBullet(first.code) || IsDash(first.code)) {
        return false;
    }
    // In hard-wrapped text a line is short where the next word did not fit on it. A heading leaves room
    // for that word within the width the paragraph's wrapped lines show, or is clearly shorter than that:
    // the lines joined before it, or else the line after it.
    const std::ptrdiff_t wrapWidth = wrapWidth_ != 0 ? wrapWidth_ : WrappedWidthAt(w, next);
    if (wrapWidth == 0) {
        return true;
    }
    const char* const word = SkipBlanks(next, w.end);
    const char* wordEnd = word;
    while (wordEnd < w.end && !IsSpace(DecodeAt(wordEnd, w.end).code)) {
        wordEnd += DecodeAt(wordEnd, w.end).size;
    }
    const std::ptrdiff_t width = Width(line, lineEnd);
    return width + 1 + Width(word, wordEnd) <= wrapWidth || 2 * width <= wrapWidth;
}

std::optional<Boundary> SentenceRules::BulletAt(const Window& w, const char* at, std::size_t length) const {
    const bool bullet = IsBullet(DecodeAt(at, w.end).code);
    if (!BulletOpensText(w, at + length, bullet)) {
        return std::nullopt;
    }
    if (AtLineStart(w, at)) {
        return lineEndsStay_ ? std::nullopt : BoundaryBefore(w, at);
    }
    // In the middle of a line only a true bullet marks an item; a dash there is a dash. A bullet that
    // opens the text of an item whose marker starts the line stays with its marker: "1. • one".
    if (!bullet || !IsBlank(DecodeBefore(w.begin, at).code)) {
        return std::nullopt;
    }
    return OpensItemText(w, at) ? std::nullopt : BoundaryBefore(w, at);
}

} // namespace brantlewick::sentences
