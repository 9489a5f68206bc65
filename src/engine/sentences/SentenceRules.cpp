// SPDX-License-Identifier: GPL-3.0-or-later
// The sentence rules. A run of endings (". ", "?!", "...", "。") ends a sentence unless what stands around
// it says otherwise: a letter or digit right after it (3.14, a.txt, e.g), a lower-case word after it, or
// a word before it that is an abbreviation, an initial or an ordinal number and a following capital that
// does not look like the start of a sentence. List items start sentences of their own.
#include "sentences/SentenceRules.h"

#include "AsciiCase.h"
#include "sentences/RuleBasics.h"

#include <algorithm>

namespace brantlewick::sentences {

namespace {

// Enough for the words and marks a decision looks at, with room for long blank runs and list items.
constexpr std::size_t kReach = 256;

// The full-width and compatibility forms that stand for ".", "!" and "?" when those are entries.
bool IsPeriodForm(char32_t c) {
    return c == 0x3002 || c == 0xFF0E || c == 0xFF61 || c == 0x2026 || c == 0x2025 || c == 0xFE52;
}
bool IsQuestionForm(char32_t c) {
    return c == 0xFF1F || c == 0x2047 || c == 0x2048 || c == 0x2049 || c == 0x203D || c == 0xFE56;
}
bool IsExclamationForm(char32_t c) {
    return c == 0xFF01 || c == 0x203C || c == 0x2048 || c == 0x2049 || c == 0x203D || c == 0xFE57;
}

// Whether [first, last) starts and ends between characters: an entry that is part of a character
// (a lone lead byte, say) must not have a break put inside that character.
bool CoversWholeCharacters(const Window& w, const char* first, const char* last) {
    const auto inside = [&w](const char* p) {
        for (const char* lead = p; lead > w.begin && p - lead < 4;) {
            --lead;
            if ((static_cast<unsigned char>(*lead) & 0xC0) != 0x80) {
                return lead + DecodeAt(lead, w.end).size > p;
            }
        }
        return false;
    };
    return !inside(first) && !inside(last);
}

bool IsKana(char32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0xFF66 && c <= 0xFF9F);
}

// Whether the quote that `p` lies in was opened at the start of a sentence, not after "：" or a word.
bool QuoteOpensSentence(const Window& w, const char* p) {
    for (Char c = DecodeBefore(w.begin, p); p > w.begin; c = DecodeBefore(w.begin, p)) {
        p -= c.size;
        if (IsEndMark(c.code)) {
            return false;
        }
        if (c.code == 0x201C || c.code == 0x300C || c.code == 0x300E || c.code == 0xAB || c.code == '"') {
            const char* before = SpaceStartBefore(w, p);
            const Char b = DecodeBefore(w.begin, before);
            return before == w.begin ? w.beginIsTextStart : IsEndMark(b.code) || IsCloser(b.code);
        }
    }
    return false;
}

} // namespace

SentenceRules::SentenceRules(const std::vector<std::string>& entries, const LanguageData& language,
                             bool lineEndsStay)
    : language_(language), lineEndsStay_(lineEndsStay) {
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
        triggers_[static_cast<unsigned char>(first)] = true;
        triggers_[static_cast<unsigned char>(first >= 'a' && first <= 'z' ? first - ('a' - 'A') : first)] =
            true;
        longest = std::max(longest, folded.size());
        entries_.push_back(std::move(folded));
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    reach_ = kReach + longest;
    // Wide forms, bullets and dashes all begin with one of these bytes in UTF-8.
    for (const unsigned char lead : {0xE2, 0xE3, 0xEF}) {
        triggers_[lead] = true;
    }
    triggers_[static_cast<unsigned char>(')')] = true;
    if (!lineEndsStay_) {
        triggers_[static_cast<unsigned char>('\r')] = triggers_[static_cast<unsigned char>('\n')] = true;
    }
}

std::size_t SentenceRules::CandidateLength(const Window& w, const char* at) const {
    const char* const end = w.end;
    if (at >= end || !triggers_[static_cast<unsigned char>(*at)]) {
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

Decision SentenceRules::Decide(const Window& w, const char* at) {
    if (*at == '.' || *at == ')') {
        std::optional<Boundary> boundary;
        if (ListItemEndsAt(w, at, boundary)) {
            return {1, boundary};
        }
    }
    if (const std::size_t length = CandidateLength(w, at)) {
        return {length, EndAt(w, at, length)};
    }
    const Char c = DecodeAt(at, w.end);
    if (IsLineEnd(c.code) && !lineEndsStay_) {
        return {1, LineEndAt(w, at)};
    }
    if (IsBullet(c.code) || IsDash(c.code)) {
        return {static_cast<std::size_t>(c.size), BulletAt(w, at, static_cast<std::size_t>(c.size))};
    }
    return {static_cast<std::size_t>(c.size), std::nullopt};
}

Boundary SentenceRules::BoundaryAt(const Window& w, const char* at) const {
    int lineEnds = 0;
    SkipSpaces(at, w.end, lineEnds);
    return {at, !(lineEndsStay_ && lineEnds > 0)};
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
    const char* runEnd = at + length;
    while (runEnd < w.end) {
        if (CandidateLength(w, runEnd) != 0) {
            return std::nullopt;
        }
        const Char c = DecodeAt(runEnd, w.end);
        if (!IsEndMark(c.code)) {
            break;
        }
        runEnd += c.size;
    }
    const char* runStart = at;
    for (Char c = DecodeBefore(w.begin, runStart); runStart > w.begin && IsEndMark(c.code);
         c = DecodeBefore(w.begin, runStart)) {
        runStart -= c.size;
    }
    return DecideRun(w, runStart, runEnd);
}

std::optional<Boundary> SentenceRules::DecideRun(const Window& w, const char* runStart, const char* runEnd) {
    bool wide = false, questionOrExclamation = false, other = false;
    int periods = 0;
    for (const char* p = runStart; p < runEnd;) {
        const Char c = DecodeAt(p, runEnd);
        p += c.size;
        wide = wide || (IsWideEnd(c.code) && c.code != 0xFF0E);
        questionOrExclamation = questionOrExclamation || IsQuestionOrExclamation(c.code);
        periods += c.code == '.' || c.code == 0xFF0E || c.code == 0xFE52 ? 1 : IsEllipsis(c.code) ? 2 : 0;
        other = other || !IsEndMark(c.code);
    }
    const Char last = DecodeBefore(runStart, runEnd);
    // What may follow without a space: only a wide mark at the very end of the run allows it.
    const bool wideLast = IsWideEnd(last.code) && last.code != 0xFF0E;

    // Closing quotes and brackets belong to the sentence they close; French sets » apart with a blank.
    bool closed = false;
    const char* after = runEnd;
    for (int i = 0; i < 8 && after < w.end; ++i) {
        const Char c = DecodeAt(after, w.end);
        // A quote that opens as well as closes (“ closes German „…“, opens Chinese “…”) opens the next
        // sentence when a word follows it directly; ” and ’ always close.
        const bool opensNext = IsOpener(c.code) && c.code != 0x201D && c.code != 0x2019 &&
                               IsWordChar(DecodeAt(after + c.size, w.end).code);
        if (IsCloser(c.code) && !opensNext) {
            after += c.size;
            closed = true;
            continue;
        }
        if (c.code == '[') { // a footnote mark: "shown.[12] Then"
            const char* p = after + 1;
            while (p < w.end && p - after <= 3 && IsAsciiDigit(*p)) {
                ++p;
            }
            if (p > after + 1 && p < w.end && *p == ']') {
                after = p + 1;
                continue;
            }
        }
        if (IsBlank(c.code)) {
            const char* p = SkipBlanks(after, std::min(w.end, after + 8));
            const Char mark = DecodeAt(p, w.end);
            if (mark.code == 0xBB || mark.code == 0x203A) {
                after = p + mark.size;
                closed = true;
                continue;
            }
        }
        break;
    }
    if (after >= w.end) {
        return w.endIsTextEnd ? std::optional(BoundaryAt(w, after)) : std::nullopt;
    }

    const Char next = DecodeAt(after, w.end);
    const std::string_view rest(after, static_cast<std::size_t>(w.end - after));
    if (IsWordChar(next.code)) {
        if (IsCjk(next.code)) {
            // 「はい。」と言った: a particle carries the sentence on past the quote. After a bare "？" only
            // a quoting one followed by a word that is not kana does (本当？と聞いた), since ですか？はい
            // and 本当？とても are new sentences.
            if (closed && language_.ParticleLength(rest) != 0) {
                return std::nullopt;
            }
            if (!closed && questionOrExclamation) {
                const std::size_t particle = language_.ParticleLength(rest, true);
                if (particle != 0 &&
                    (particle == rest.size() || !IsKana(DecodeAt(after + particle, w.end).code))) {
                    return std::nullopt;
                }
            }
            if (!closed && IsEllipsis(last.code)) {
                return std::nullopt;
            }
            // “你好！”他说。: the words after a quote that opened the sentence say who spoke.
            if (closed && !IsKana(next.code) && QuoteOpensSentence(w, runStart)) {
                return std::nullopt;
            }
            return BoundaryAt(w, after);
        }
        // A letter or digit right after the run: 3.14, a.txt, e.g, Jr.'s; a wide end still ends.
        return wideLast ? std::optional(BoundaryAt(w, after)) : std::nullopt;
    }
    if (!IsSpace(next.code)) {
        if (IsContinuation(next.code) || IsEndMark(next.code)) {
            return std::nullopt;
        }
        return wideLast ? std::optional(BoundaryAt(w, after)) : std::nullopt;
    }

    int lineEnds = 0;
    const char* const start = SkipSpaces(after, w.end, lineEnds);
    if (start >= w.end) {
        return w.endIsTextEnd ? std::optional(BoundaryAt(w, after)) : std::nullopt;
    }
    if (lineEnds >= 2 || wide) {
        return BoundaryAt(w, after);
    }
    const Next following = ReadNext(w, start);
    bool ends = false;
    if (other) {
        ends = true; // an entry that is no sentence mark ends wherever it stands apart, as the user asked
    } else if (questionOrExclamation) {
        ends = following.kind != Next::Lower && following.kind != Next::Other;
    } else if (periods >= 2) {
        // An ellipsis ends a sentence before a capital; "[...]" stands for words left out.
        const Char before = DecodeBefore(w.begin, runStart);
        ends =
            before.code != '[' && before.code != '(' &&
            (following.kind == Next::Upper || following.kind == Next::Opening || following.kind == Next::Cjk);
    } else {
        ends = PeriodEnds(w, runStart, following);
    }
    return ends ? std::optional(BoundaryAt(w, after)) : std::nullopt;
}

} // namespace brantlewick::sentences
