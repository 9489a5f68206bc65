// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence rules. A run of endings (". ", "?!", "...", "。") ends a sentence unless what stands around
// it says otherwise: a letter or digit right after it (3.14, a.txt, e.g; but not between two words whose
// space was forgotten, "school.But"), a lower-case word after it, a word before it that is an
// abbreviation, an initial or an ordinal number and a following capital that does not look like the
// start of a sentence, or a quotation or title that goes on after it. List items start sentences of
// their own.
#include "sentences/SentenceRules.h"

#include "brantlewick/base/Utf8.h"
#include "brantlewick/engine/AsciiCase.h"
#include "sentences/RuleBasics.h"

#include <algorithm>

namespace brantlewick::sentences {

namespace {

// Enough for the words and marks a decision looks at, with room for long blank runs and list items.
constexpr std::size_t kReach = 256;
// Blanks after an end that run on past everything a decision sees part two sentences whatever follows
// them, once there are at least this many: fewer, after a long run of closers, say nothing.
constexpr std::ptrdiff_t kPartingBlanks = kReach / 2;

// The full-width and compatibility forms that stand for ".", "!" and "?" when those are entries.
bool IsPeriodForm(char32_t c) {
    return c == kIdeographicFullStop || c == kFullwidthFullStop || c == kHalfwidthIdeographicFullStop ||
           c == kHorizontalEllipsis || c == kTwoDotLeader || c == kSmallFullStop;
}
bool IsQuestionForm(char32_t c) {
    return c == kFullwidthQuestionMark || c == kDoubleQuestionMark || c == kQuestionExclamationMark ||
           c == kExclamationQuestionMark || c == kInterrobang || c == kSmallQuestionMark;
}
bool IsExclamationForm(char32_t c) {
    return c == kFullwidthExclamationMark || c == kDoubleExclamationMark || c == kQuestionExclamationMark ||
           c == kExclamationQuestionMark || c == kInterrobang || c == kSmallExclamationMark;
}

// Whether [first, last) starts and ends between characters: an entry that is part of a character
// (a lone lead byte, say) must not have a break put inside that character.
bool CoversWholeCharacters(const Window& w, const char* first, const char* last) {
    const auto inside = [&w](const char* p) {
        for (const char* lead = p; lead > w.begin && p - lead < 4;) {
            --lead;
            if (!utf8::IsContinuation(*lead)) {
                return lead + DecodeAt(lead, w.end).size > p;
            }
        }
        return false;
    };
    return !inside(first) && !inside(last);
}

bool IsKana(char32_t c) {
    return (c >= kFirstHiragana && c <= kLastKatakana) ||
           (c >= kFirstHalfwidthKatakana && c <= kLastHalfwidthKatakana);
}

// A quote that stands at the start of a sentence: `opens` when there is one, `kana` when what it
// quotes so far is written in kana, which makes it Japanese.
struct OpeningQuote {
    bool opens = false;
    bool kana = false;
};

// Whether the quote that `p` lies in was opened at the start of a sentence, not after "：" or a word,
// and whether it is Japanese.
OpeningQuote QuoteOpensSentence(const Window& w, const char* p) {
    bool kana = false;
    for (Char c = DecodeBefore(w.begin, p); p > w.begin; c = DecodeBefore(w.begin, p)) {
        p -= c.size;
        if (IsEndMark(c.code)) {
            return {};
        }
        kana = kana || IsKana(c.code);
        if (c.code == '\'' && IsWordChar(DecodeBefore(w.begin, p).code)) {
            continue; // an apostrophe: "Who's"
        }
        if (c.code == kLeftDoubleQuote || c.code == kLeftSingleQuote || c.code == kLeftCornerBracket ||
            c.code == kLeftWhiteCornerBracket || c.code == kLeftGuillemet || c.code == '"' ||
            c.code == '\'' || c.code == '`') {
            const char* before = SpaceStartBefore(w, p);
            const Char b = DecodeBefore(w.begin, before);
            return {before == w.begin ? w.beginIsTextStart : IsEndMark(b.code) || IsCloser(b.code), kana};
        }
    }
    return {};
}

bool IsTitleOpener(char32_t c) {
    return c == kLeftDoubleAngleBracket || c == kLeftAngleBracket;
}
bool IsTitleCloser(char32_t c) {
    return c == kRightDoubleAngleBracket || c == kRightAngleBracket;
}

// Whether `at` lies inside title marks that close after it: 《你好！世界》是一本书。 Only characters other
// than spaces count towards a title's length, since a run puts breaks in place of blanks.
bool InsideTitleMarks(const Window& w, const char* horizon, const char* at) {
    constexpr int kLongestTitle = 48;
    const char* p = at;
    int length = 0;
    for (Char c = DecodeBefore(horizon, p); !IsTitleOpener(c.code); c = DecodeBefore(horizon, p)) {
        length += IsSpace(c.code) ? 0 : 1;
        if (p == horizon || length > kLongestTitle || IsTitleCloser(c.code)) {
            return false;
        }
        p -= c.size;
    }
    for (p = at; p < w.end && length <= kLongestTitle;) {
        const Char c = DecodeAt(p, w.end);
        if (IsTitleCloser(c.code)) {
            return true;
        }
        int lineEnds = 0;
        if (IsTitleOpener(c.code) || (IsSpace(c.code) && (SkipSpaces(p, w.end, lineEnds), lineEnds >= 2))) {
            return false; // a blank line ends every title
        }
        length += IsSpace(c.code) ? 0 : 1;
        p += c.size;
    }
    return false;
}

// Whether the quote mark `c` at `p`, after `horizon`, opens a quotation rather than closes one. « and » point
// either way: French and Russian open with «, German with »Wort«; “ closes German „…“ and opens English “…”.
bool QuoteMarkOpens(const Window& w, const char* horizon, const char* p, Char c) {
    const Char before = DecodeBefore(horizon, p); // nothing before a boundary: a line starts there
    const bool afterText = IsWordChar(before.code) || IsEndMark(before.code) || IsContinuation(before.code) ||
                           IsCloser(before.code);
    switch (c.code) {
    case kLowDoubleQuote:
        return true;
    case kLeftGuillemet:
        return !afterText;
    case kRightGuillemet:
        return IsWordChar(DecodeAt(p + c.size, w.end).code);
    case kLeftDoubleQuote:
        return !afterText && IsWordChar(DecodeAt(p + c.size, w.end).code);
    default:
        return false;
    }
}

// Whether the end before `p` stands inside a quotation that is still open, as the dialogue dash in
// «Куда ты? – спросила она. – Уже поздно». carries the quoted sentence on. A boundary closes all.
bool InsideOpenQuote(const Window& w, const char* horizon, const char* p) {
    for (Char c = DecodeBefore(horizon, p); p > horizon; c = DecodeBefore(horizon, p)) {
        p -= c.size;
        if (c.code == kLowDoubleQuote || c.code == kLeftGuillemet || c.code == kRightGuillemet ||
            c.code == kLeftDoubleQuote || c.code == kRightDoubleQuote) {
            return QuoteMarkOpens(w, horizon, p, c);
        }
    }
    return false;
}

// The first of the three dots of a spaced ellipsis whose last dot is the period at `runStart` ("so . . .
// Then"), or null.
const char* SpacedEllipsisStart(const char* horizon, const char* runStart) {
    const char* p = runStart;
    for (int dots = 1; dots < 3; ++dots) {
        if (p - horizon < 2 || p[-1] != ' ' || p[-2] != '.') {
            return nullptr;
        }
        p -= 2;
    }
    return p;
}

bool IsItemNumber(std::string_view token) {
    return !token.empty() && token.size() <= 3 &&
           std::all_of(token.begin(), token.end(), [](char c) { return IsAsciiDigit(c); });
}

RunShape ShapeOf(const char* runStart, const char* runEnd) {
    RunShape shape;
    for (const char* p = runStart; p < runEnd;) {
        const Char c = DecodeAt(p, runEnd);
        p += c.size;
        shape.wide = shape.wide || (IsWideEnd(c.code) && c.code != kFullwidthFullStop);
        shape.questionOrExclamation = shape.questionOrExclamation || IsQuestionOrExclamation(c.code);
        shape.periods += c.code == '.' || c.code == kFullwidthFullStop || c.code == kSmallFullStop ? 1
                         : IsEllipsis(c.code)                                                      ? 2
                                                                                                   : 0;
        shape.other = shape.other || !(IsEndMark(c.code) || IsLineEnd(c.code));
    }
    const Char last = DecodeBefore(runStart, runEnd);
    shape.wideLast = IsWideEnd(last.code) && last.code != kFullwidthFullStop;
    shape.ellipsisLast = IsEllipsis(last.code);
    return shape;
}

// A footnote mark after an end, "[1]" to "[999]": "shown.[12] Then". The position after it, or null.
const char* FootnoteEnd(const Window& w, const char* p) {
    if (*p != '[') {
        return nullptr;
    }
    const char* q = p + 1;
    while (q < w.end && q - p <= 3 && IsAsciiDigit(*q)) {
        ++q;
    }
    if (q == p + 1 || DecodeAt(q, w.end).code != ']') {
        return nullptr;
    }
    return q + 1;
}

// French sets a closing » apart with a blank: "« Oui ! » dit-il". The position after it, or null; a »
// with a word right after it opens German »Wort« instead.
const char* SetApartGuillemetEnd(const Window& w, const char* p) {
    if (!IsBlank(DecodeAt(p, w.end).code)) {
        return nullptr;
    }
    const char* q = SkipBlanks(p, std::min(w.end, p + 8));
    const Char mark = DecodeAt(q, w.end);
    if (mark.code != kRightGuillemet && mark.code != kSingleRightGuillemet) {
        return nullptr;
    }
    return IsWordChar(DecodeAt(q + mark.size, w.end).code) ? nullptr : q + mark.size;
}

bool IsEyes(char c) {
    return c == ':' || c == ';' || c == '=';
}

// Where an emoticon that starts at `p` (":)", ";-)", ":'(", ":D") ends, when a space or the text's end
// follows it; null otherwise.
const char* EmoticonAt(const Window& w, const char* p) {
    if (w.end - p < 2 || !IsEyes(*p)) {
        return nullptr;
    }
    const char* mouth = p + 1 + (p[1] == '-' || p[1] == '\'' ? 1 : 0);
    if (mouth >= w.end || std::string_view(")(DPp").find(*mouth) == std::string_view::npos) {
        return nullptr;
    }
    const char* const end = mouth + 1;
    return end == w.end                         ? (w.endIsTextEnd ? end : nullptr)
           : IsSpace(DecodeAt(end, w.end).code) ? end
                                                : nullptr;
}

// Whether the ")" or "(" at `mouth` ends an emoticon that stands apart: after a space or an end.
bool EndsEmoticon(const Window& w, const char* mouth) {
    const char* p = mouth - (mouth - w.begin >= 2 && (mouth[-1] == '-' || mouth[-1] == '\'') ? 1 : 0);
    if (p == w.begin || !IsEyes(p[-1])) {
        return false;
    }
    --p;
    const Char before = DecodeBefore(w.begin, p);
    return before.size == 0 ? w.beginIsTextStart : IsSpace(before.code) || IsEndMark(before.code);
}

// Closing quotes and brackets belong to the sentence they close.
Closers SkipClosers(const Window& w, const char* p) {
    Closers closers;
    for (int i = 0; i < 8 && p < w.end; ++i) {
        const Char c = DecodeAt(p, w.end);
        // A quote that opens as well as closes (“ closes German „…“, opens Chinese “…”) opens the next
        // sentence when a word follows it directly; ” and ’ always close.
        const bool opensNext = IsOpener(c.code) && c.code != kRightDoubleQuote &&
                               c.code != kRightSingleQuote && IsWordChar(DecodeAt(p + c.size, w.end).code);
        if (IsCloser(c.code) && !opensNext) {
            // Brackets close asides; everything else that closes is a quote.
            closers.quoted = closers.quoted || (c.code != ')' && c.code != ']' && c.code != '}');
            closers.closed = true;
            p += c.size;
            continue;
        }
        if (const char* guillemet = SetApartGuillemetEnd(w, p)) {
            closers.quoted = closers.closed = true;
            p = guillemet;
            continue;
        }
        if (const char* footnote = FootnoteEnd(w, p)) {
            p = footnote;
            continue;
        }
        break;
    }
    closers.after = p;
    return closers;
}

} // namespace

SentenceRules::SentenceRules(const std::vector<std::string>& entries, const LanguageData& language,
                             bool lineEndsStay, bool joinLines, bool markupHidden)
    : language_(&language), lineEndsStay_(lineEndsStay), joinLines_(joinLines && !lineEndsStay),
      markupHidden_(markupHidden), lowerCaseStarts_(language.LowerCaseStarts() && !markupHidden) {
    std::size_t longest = 0;
    for (const std::string& entry : entries) {
        if (entry.empty() || entry.find_first_of("\r\n") != std::string::npos) {
            continue;
        }
        std::string folded;
        for (const char c : entry) {
            folded += FoldAscii(c);
        }
        period_ = period_ || folded == ".";
        question_ = question_ || folded == "?";
        exclamation_ = exclamation_ || folded == "!";
        const char first = folded.front();
        for (const char c :
             {first, first >= 'a' && first <= 'z' ? static_cast<char>(first - ('a' - 'A')) : first}) {
            triggers_[static_cast<unsigned char>(c)] = endStarts_[static_cast<unsigned char>(c)] = true;
        }
        longest = std::max(longest, folded.size());
        entries_.push_back(std::move(folded));
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    reach_ = kReach + longest;
    // Wide forms, bullets and dashes all begin with one of these bytes in UTF-8.
    for (const unsigned char lead : {0xE2, 0xE3, 0xEF}) {
        triggers_[lead] = endStarts_[lead] = true;
    }
    triggers_[static_cast<unsigned char>(')')] = true;
    triggers_[static_cast<unsigned char>('(')] = period_ || question_ || exclamation_; // ":-(" ends one
    if (!lineEndsStay_) {
        triggers_[static_cast<unsigned char>('\r')] = triggers_[static_cast<unsigned char>('\n')] = true;
    }
}

void SentenceRules::UseLanguage(const LanguageData& language) {
    language_ = &language;
    lowerCaseStarts_ = language.LowerCaseStarts() && !markupHidden_;
}

std::size_t SentenceRules::CandidateLength(const Window& w, const char* at) const {
    const char* const end = w.end;
    // Most triggers are line ends and brackets, which neither an entry nor a wide form begins with.
    if (at >= end || !endStarts_[static_cast<unsigned char>(*at)]) {
        return 0;
    }
    for (const std::string& entry : entries_) {
        if (static_cast<std::size_t>(end - at) >= entry.size() &&
            std::equal(entry.begin(), entry.end(), at, [](char e, char t) { return e == FoldAscii(t); }) &&
            CoversWholeCharacters(w, at, at + entry.size())) {
            return entry.size();
        }
    }
    const Char c = DecodeAt(at, end);
    if ((period_ && IsPeriodForm(c.code)) || (question_ && IsQuestionForm(c.code)) ||
        (exclamation_ && IsExclamationForm(c.code))) {
        return static_cast<std::size_t>(c.size);
    }
    return 0;
}

void SentenceRules::Removed(std::uint64_t position, std::size_t length) {
    for (std::uint64_t* place : {&lastBoundary_, &lastEnd_, &lastTitleOpener_, &lineStart_}) {
        *place -= *place != UINT64_MAX && *place > position ? length : 0;
    }
    for (SeenItem& item : seenItems_) {
        item.position -= item.position > position ? length : 0;
    }
}

const char* SentenceRules::Horizon(const Window& w) const {
    return lastBoundary_ > w.position &&
                   lastBoundary_ - w.position < static_cast<std::uint64_t>(w.end - w.begin)
               ? w.begin + (lastBoundary_ - w.position)
               : w.begin;
}

inline bool SentenceRules::InsideTitle(const Window& w, const char* at) const {
    return lastTitleOpener_ != UINT64_MAX && lastTitleOpener_ >= lastBoundary_ &&
           InsideTitleMarks(w, Horizon(w), at);
}

Decision SentenceRules::Decide(const Window& w, const char* at) {
    const std::uint64_t lastEnd = lastEnd_;
    Decision decision = DecideHere(w, at);
    // No boundary of any kind inside a title: what the title holds stays as it is on a second run.
    if (decision.boundary && InsideTitle(w, decision.boundary->at)) {
        decision.boundary.reset();
        lastEnd_ = lastEnd;
    }
    if (decision.boundary) {
        lastBoundary_ =
            std::max(lastBoundary_, w.position + static_cast<std::uint64_t>(decision.boundary->at - w.begin));
    }
    return decision;
}

Decision SentenceRules::DecideLineEnd(const Window& w, const char* at) {
    Decision decision{1, LineEndAt(w, at)};
    // A line end that is no boundary and lies in the gap of none goes, CR LF at once.
    const bool pair = *at == '\r' && at + 1 < w.end && at[1] == '\n';
    const bool decidedAtCarriageReturn = *at == '\n' && at > w.begin && at[-1] == '\r';
    decision.joinsLines =
        joinLines_ && !decision.boundary && !decidedAtCarriageReturn &&
        w.position + static_cast<std::uint64_t>(SpaceStartBefore(w, at) - w.begin) != lastBoundary_;
    decision.length = decision.joinsLines && pair ? 2 : 1;
    if (!decidedAtCarriageReturn) {
        NoteLineEnd(w, at, decision.joinsLines, pair ? 2 : 1);
    }
    return decision;
}

Decision SentenceRules::DecideHere(const Window& w, const char* at) {
    // Line ends are most of the places decided, and no entry, list marker or emoticon starts with one.
    if ((*at == '\n' || *at == '\r') && !lineEndsStay_) {
        return DecideLineEnd(w, at);
    }
    if (*at == '.' || *at == ')') {
        std::optional<Boundary> boundary;
        if (ListItemEndsAt(w, at, boundary)) {
            return {1, boundary};
        }
    }
    if (const std::size_t length = CandidateLength(w, at)) {
        return {length, EndAt(w, at, length)};
    }
    if ((*at == ')' || *at == '(') && EndsEmoticon(w, at) && (period_ || question_ || exclamation_)) {
        return {1, EndAfterEmoticon(w, at + 1)};
    }
    const Char c = DecodeAt(at, w.end);
    if (IsTitleOpener(c.code)) {
        lastTitleOpener_ = w.position + static_cast<std::uint64_t>(at - w.begin);
    }
    if (IsBullet(c.code) || IsDash(c.code)) {
        return {static_cast<std::size_t>(c.size), BulletAt(w, at, static_cast<std::size_t>(c.size))};
    }
    return {static_cast<std::size_t>(c.size), std::nullopt};
}

Boundary SentenceRules::BoundaryAt(const Window& w, const char* at) const {
    int lineEnds = 0;
    SkipSpaces(at, w.end, lineEnds);
    return BoundaryAt(at, lineEnds);
}

Boundary SentenceRules::BoundaryAt(const char* at, int lineEnds) const {
    return {at, !(lineEndsStay_ && lineEnds > 0), lineEnds >= 2};
}

std::optional<Boundary> SentenceRules::BoundaryBefore(const Window& w, const char* start) const {
    const char* gap = SpaceStartBefore(w, start);
    if (gap == w.begin && w.beginIsTextStart) {
        return std::nullopt;
    }
    return BoundaryAt(w, gap);
}

std::optional<Boundary> SentenceRules::EndAt(const Window& w, const char* at, std::size_t length) {
    // A run of endings is one end, decided at its last candidate.
    const char* runStart = at;
    for (Char c = DecodeBefore(w.begin, runStart); runStart > w.begin && IsEndMark(c.code);
         c = DecodeBefore(w.begin, runStart)) {
        runStart -= c.size;
    }
    const char* runEnd = at + length;
    while (runEnd < w.end) {
        if (CandidateLength(w, runEnd) != 0) {
            return std::nullopt;
        }
        const Char c = DecodeAt(runEnd, w.end);
        if (IsEndMark(c.code)) {
            runEnd += c.size;
            continue;
        }
        // An end after a line end that goes, where the run ends nothing before it, goes on with the run:
        // ".\n." is "..".
        const char* const next = SkipJoinedLineEnd(w, runEnd);
        const Char after = DecodeAt(next, w.end);
        if (next == runEnd || !IsEndMark(after.code) || DecideRun(w, runStart, runEnd)) {
            break;
        }
        if (CandidateLength(w, next) != 0) {
            return std::nullopt;
        }
        runEnd = next + after.size;
    }
    std::optional<Boundary> boundary = DecideRun(w, runStart, runEnd);
    if (boundary) {
        lastEnd_ = w.position + static_cast<std::uint64_t>(boundary->at - w.begin);
    }
    return boundary;
}

std::optional<Boundary> SentenceRules::BoundaryAtTextEnd(const Window& w, const char* at) const {
    return w.endIsTextEnd ? std::optional(BoundaryAt(w, at)) : std::nullopt;
}

std::optional<Boundary> SentenceRules::DecideRun(const Window& w, const char* runStart,
                                                 const char* runEnd) const {
    // No end inside a title ends a sentence: 《为什么？》这本书很好。
    if (InsideTitle(w, runEnd)) {
        return std::nullopt;
    }
    std::optional<Boundary> boundary = DecideRunFrom(w, runStart, runEnd, false);
    // Where the lines run together and the run ends nothing, the line ends after it that are no
    // boundary go, and what follows them comes right after it: ".\n»" is ".»", whose quote closes the
    // sentence, and "...\n[1]" is "...[1]".
    const char* const near = runEnd + std::min<std::ptrdiff_t>(w.end - runEnd, 32);
    if (!boundary && joinLines_ && std::any_of(runEnd, near, [](char c) { return c == '\n' || c == '\r'; })) {
        boundary = DecideRunFrom(w, runStart, runEnd, true);
    }
    return boundary;
}

Closers SentenceRules::ClosersAfter(const Window& w, const char* p, bool joined) const {
    Closers closers = SkipClosers(w, p);
    while (joined) {
        const char* const next = SkipJoinedLineEnd(w, closers.after);
        const Closers more = SkipClosers(w, next);
        if (next == closers.after || more.after == next) {
            break;
        }
        closers = {more.after, closers.closed || more.closed, closers.quoted || more.quoted};
    }
    return closers;
}

std::optional<Boundary> SentenceRules::DecideRunFrom(const Window& w, const char* runStart,
                                                     const char* runEnd, bool joined) const {
    // Blanks between two wide characters are no gap: rejoined lines put none there, so a second run
    // sees the two together and must decide as here. Closers after them still close the sentence, and
    // the boundary before anything else goes before the blanks.
    Closers closers = ClosersAfter(w, runEnd, joined);
    const char* gap = nullptr;
    for (int i = 0; i < 8 && gap == nullptr; ++i) {
        const char* const end = closers.after;
        const char* past = SkipBlanks(end, w.end);
        for (const char* next = past; joined && (next = SkipJoinedLineEnd(w, past)) != past;) {
            past = SkipBlanks(next, w.end);
        }
        if (past == end || past >= w.end || !IsWide(DecodeBefore(w.begin, end).code) ||
            !IsWide(DecodeAt(past, w.end).code)) {
            break;
        }
        const Closers more = ClosersAfter(w, past, joined);
        closers = {more.after, closers.closed || more.closed, closers.quoted || more.quoted};
        gap = more.closed ? nullptr : end;
    }
    std::optional<Boundary> boundary = DecideRunBefore(w, runStart, runEnd, closers);
    if (gap != nullptr && boundary && boundary->at == closers.after) {
        boundary = BoundaryAt(w, gap);
    }
    return boundary;
}

std::optional<Boundary> SentenceRules::DecideRunBefore(const Window& w, const char* runStart,
                                                       const char* runEnd, const Closers& closers) const {
    const RunShape shape = ShapeOf(runStart, runEnd);
    const char* const after = closers.after;
    if (after >= w.end) {
        return BoundaryAtTextEnd(w, after);
    }
    const Char next = DecodeAt(after, w.end);
    if (IsWordChar(next.code)) {
        return EndsBeforeWord(w, runStart, runEnd, shape, closers) ? std::optional(BoundaryAt(w, after))
                                                                   : std::nullopt;
    }
    if (!IsSpace(next.code)) {
        const bool ends = shape.wideLast && !IsContinuation(next.code) && !IsEndMark(next.code);
        return ends ? std::optional(BoundaryAt(w, after)) : std::nullopt;
    }
    int lineEnds = 0;
    const char* const start = SkipSpaces(after, w.end, lineEnds);
    if (start >= w.end) {
        return w.end - after >= kPartingBlanks ? std::optional(BoundaryAt(w, after))
                                               : BoundaryAtTextEnd(w, after);
    }
    if (lineEnds >= 2 || shape.wide) {
        return BoundaryAt(after, lineEnds);
    }
    // "Really?? :-) See you.", "Great. :D Thanks": an emoticon after the end goes with it.
    if (const char* face = EmoticonAt(w, start); face != nullptr && !shape.other) {
        return EndAfterEmoticon(w, face);
    }
    const bool ends = EndsBeforeSpace(w, runStart, runEnd, shape, closers, ReadNext(w, start));
    return ends ? std::optional(BoundaryAt(after, lineEnds)) : std::nullopt;
}

std::optional<Boundary> SentenceRules::EndAfterEmoticon(const Window& w, const char* end) const {
    // A capital must follow: "Great :) the staff" goes on.
    int lineEnds = 0;
    const char* const next = SkipSpaces(end, w.end, lineEnds);
    if (next == end || next >= w.end || ReadNext(w, next, false).kind != Next::Upper) {
        return std::nullopt;
    }
    return BoundaryAt(w, end);
}

bool SentenceRules::EndsBeforeWord(const Window& w, const char* runStart, const char* runEnd,
                                   const RunShape& shape, const Closers& closers) const {
    const char* const after = closers.after;
    if (!IsCjk(DecodeAt(after, w.end).code)) {
        // A letter or digit right after the run: 3.14, a.txt, e.g, Jr.'s; a wide end still ends, and so
        // does a plain one or an ellipsis between two words where the space was forgotten.
        return shape.wideLast || (!shape.other && !closers.closed && MissingSpaceEnds(w, runStart, after));
    }
    // After a word of a spaced script, as if a blank followed: rejoined lines put one there. A short
    // number before is an item's ("1.面包"), as it is with the blank.
    if (runEnd - runStart == 1 && *runStart == '.' && IsItemNumber(TokenBefore(w, runStart))) {
        return false;
    }
    return !shape.wide && !IsCjk(DecodeBefore(w.begin, runStart).code)
               ? EndsBeforeSpace(w, runStart, runEnd, shape, closers, ReadNext(w, after))
               : EndsBeforeCjk(w, runStart, shape, closers);
}

bool SentenceRules::EndsBeforeCjk(const Window& w, const char* runStart, const RunShape& shape,
                                  const Closers& closers) const {
    const char* const after = closers.after;
    const std::string_view rest(after, static_cast<std::size_t>(w.end - after));
    // 「はい。」と言った: a particle carries the sentence on past the quote. After a bare "？" only a
    // quoting one followed by a word that is not kana does (本当？と聞いた), since ですか？はい and
    // 本当？とても are new sentences.
    if (closers.closed && language_->ParticleLength(rest) != 0) {
        return false;
    }
    if (!closers.closed && shape.questionOrExclamation) {
        const std::size_t particle = language_->ParticleLength(rest, true);
        if (particle != 0 && (particle == rest.size() ||
                              !IsKana(DecodeAt(SkipJoinedLineEnd(w, after + particle), w.end).code))) {
            return false;
        }
    }
    if (!closers.closed && shape.ellipsisLast) {
        return false;
    }
    // “你好！”他说。: the words after a quote that opened the sentence say who spoke. Not in Japanese,
    // where such a quote stands alone: 「すごい！」彼は驚いた。
    if (closers.closed && !IsKana(DecodeAt(after, w.end).code)) {
        const OpeningQuote quote = QuoteOpensSentence(w, runStart);
        if (quote.opens && !quote.kana && !language_->QuotesStandAlone()) {
            return false;
        }
    }
    return true;
}

bool SentenceRules::EndsBeforeSpace(const Window& w, const char* runStart, const char* runEnd,
                                    const RunShape& shape, const Closers& closers, const Next& next) const {
    if (shape.other) {
        return true; // an entry that is no sentence mark ends wherever it stands apart, as the user asked
    }
    if (next.dash && !closers.quoted && InsideOpenQuote(w, Horizon(w), runStart)) {
        return false;
    }
    // Only after "?" and "!": after a period the quote would end with a comma if the speaker followed.
    if (shape.questionOrExclamation && closers.quoted && SpeakerFollows(w, next) &&
        QuoteOpensSentence(w, runStart).opens) {
        return false;
    }
    if (shape.questionOrExclamation) {
        if (IsMarkedName(w, runStart, runEnd)) { // "Yahoo! Mail", but "I used Yahoo! Then"
            return next.kind == Next::Opening || (next.kind == Next::Upper && next.starter);
        }
        // Web text starts a sentence in small letters after a question too ("tried it yet? i did"),
        // by the same signs as after a period; a dash before it brings the speaker in ("— Ты готов? — спросил
        // он").
        if (next.kind == Next::Lower) {
            return !closers.closed && !next.dash && LowerCaseStarts(w, runStart, next);
        }
        return next.kind != Next::Other;
    }
    // What is left is one period of some form.
    const char* const spaced = SpacedEllipsisStart(Horizon(w), runStart);
    if (shape.periods >= 2 || spaced != nullptr) {
        // An ellipsis ends a sentence before a capital; "[...]" stands for words left out.
        const Char before = DecodeBefore(w.begin, spaced != nullptr ? spaced : runStart);
        return before.code != '[' && before.code != '(' &&
               (next.kind == Next::Upper || next.kind == Next::Opening || next.kind == Next::Cjk);
    }
    return PeriodEnds(w, runStart, next, closers.closed);
}

} // namespace brantlewick::sentences
