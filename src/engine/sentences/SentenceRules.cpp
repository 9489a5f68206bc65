// The sentence rules. A run of endings (". ", "?!", "...", "。") ends a sentence unless what stands around
// it says otherwise: a letter or digit right after it (3.14, a.txt, e.g), a lower-case word after it, or
// a word before it that is an abbreviation, an initial or an ordinal number and a following capital that
// does not look like the start of a sentence. List items start sentences of their own.
#include "sentences/SentenceRules.h"

#include "AsciiCase.h"
#include "sentences/Characters.h"

#include <algorithm>
#include <cstring>

namespace brantlewick::sentences {

namespace {

// Enough for the words and marks a decision looks at, with room for long blank runs and list items.
constexpr std::size_t kReach = 256;
// How far apart two items of one list in running text may start.
constexpr std::uint64_t kListSpan = 1024;
// A word longer than this is no abbreviation, initial or list label.
constexpr std::size_t kShortWord = 12;

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

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

const char* SkipBlanks(const char* p, const char* end) {
    for (Char c = DecodeAt(p, end); IsBlank(c.code); c = DecodeAt(p, end)) {
        p += c.size;
    }
    return p;
}

// The first character after the spaces (blanks and line ends) at `p`, and how many line ends they hold.
const char* SkipSpaces(const char* p, const char* end, int& lineEnds) {
    lineEnds = 0;
    while (p < end) {
        const Char c = DecodeAt(p, end);
        if (!IsSpace(c.code)) {
            break;
        }
        // A CR LF pair is one line end.
        if (c.code == '\n' || (c.code == '\r' && !(p + 1 < end && p[1] == '\n'))) {
            ++lineEnds;
        }
        p += c.size;
    }
    return p;
}

const char* SpaceStartBefore(const Window& w, const char* p) {
    for (Char c = DecodeBefore(w.begin, p); p > w.begin && IsSpace(c.code); c = DecodeBefore(w.begin, p)) {
        p -= c.size;
    }
    return p;
}

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

bool IsRomanDigit(char32_t c) {
    const char32_t folded = Fold(c);
    return folded == 'i' || folded == 'v' || folded == 'x';
}

// A word of a few letters without a vowel ("Mr", "vgl", "Nr", "млн") is an abbreviation; all capitals
// ("BBC", "TV") and doubled letters ("Hmm", "Brr") are words.
bool LooksAbbreviated(std::string_view word) {
    std::size_t letters = 0;
    bool lower = false;
    char32_t previous = 0;
    for (const char* p = word.data(); p < word.data() + word.size();) {
        const Char c = DecodeAt(p, word.data() + word.size());
        p += c.size;
        const Case letterCase = CaseOf(c.code);
        const char32_t folded = Fold(c.code);
        if ((letterCase != Case::Upper && letterCase != Case::Lower) || IsVowel(folded) ||
            folded == previous) {
            return false;
        }
        lower = lower || letterCase == Case::Lower;
        previous = folded;
        ++letters;
    }
    return lower && letters >= 2 && letters <= 4;
}

// "U.S", "e.g", "Ph.D", "z.B": letters in short groups joined by periods.
bool IsDottedAbbreviation(std::string_view token) {
    std::size_t group = 0;
    bool dotted = false;
    for (const char* p = token.data(); p < token.data() + token.size();) {
        const Char c = DecodeAt(p, token.data() + token.size());
        p += c.size;
        if (c.code == '.') {
            if (group == 0) {
                return false;
            }
            dotted = true;
            group = 0;
        } else if (CaseOf(c.code) == Case::Upper || CaseOf(c.code) == Case::Lower) {
            if (++group > 2) {
                return false;
            }
        } else {
            return false;
        }
    }
    return dotted && group > 0;
}

// The word or number that ends right before `end`: letters, digits and the marks inside abbreviations
// and numbers ("U.S", "1.000", "c.-à-d", "AT&T"), without marks at its start.
std::string_view TokenBefore(const Window& w, const char* end) {
    const char* start = end;
    for (Char c = DecodeBefore(w.begin, start); start > w.begin; c = DecodeBefore(w.begin, start)) {
        const bool inner = c.code == '.' || c.code == '-' || c.code == '\'' || c.code == 0x2019 ||
                           c.code == '&' || c.code == ',';
        if (!IsWordChar(c.code) && !inner) {
            break;
        }
        start -= c.size;
    }
    while (start < end) {
        const Char c = DecodeAt(start, end);
        if (IsWordChar(c.code)) {
            break;
        }
        start += c.size;
    }
    return {start, static_cast<std::size_t>(end - start)};
}

bool AfterNumber(const Window& w, std::string_view token) {
    const Char blank = DecodeBefore(w.begin, token.data());
    if (!IsBlank(blank.code)) {
        return false;
    }
    const std::string_view before = TokenBefore(w, token.data() - blank.size);
    return !before.empty() && IsAsciiDigit(before.back()) && IsAsciiDigit(before.front());
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

// The start of the line ending at `lineEnd` when that line is short and starts the text, follows a
// blank line or follows a line that ends a sentence; nothing otherwise.
const char* StandsAlone(const Window& w, const char* lineEnd) {
    constexpr std::ptrdiff_t kShortLine = 60;
    const char* start = lineEnd;
    while (start > w.begin && !IsLineEnd(static_cast<unsigned char>(start[-1]))) {
        if (lineEnd - --start > kShortLine) {
            return nullptr;
        }
    }
    int lineEnds = 0;
    const char* before = SpaceStartBefore(w, start);
    SkipSpaces(before, start, lineEnds);
    const Char last = DecodeBefore(w.begin, before);
    const bool alone = before == w.begin
                           ? w.beginIsTextStart
                           : lineEnds >= 2 || IsEndMark(last.code) || IsCloser(last.code) || last.code == ':';
    return alone ? SkipBlanks(start, lineEnd) : nullptr;
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

// The short token before `token` when one blank and a period separate them ("z. B", "и т. д").
std::string_view PartBefore(const Window& w, std::string_view token) {
    const char* p = token.data();
    const Char blank = DecodeBefore(w.begin, p);
    if (!IsBlank(blank.code) || p - w.begin < blank.size + 2 || p[-blank.size - 1] != '.') {
        return {};
    }
    const std::string_view part = TokenBefore(w, p - blank.size - 1);
    if (part.empty() || part.size() > 8 || part.find('.') != std::string_view::npos) {
        return {};
    }
    return part;
}

} // namespace

enum class SentenceRules::Kind : unsigned char {
    Empty,
    Number,
    Initial,
    Never,
    Final,
    General,
    Numeric,
    Word
};

struct SentenceRules::Marker {
    enum Label { Number, Letter, Roman } label;
    int value;
    int style; // label and punctuation together: "1." and "1)" are different lists
    bool upper;
    const char* start;
    const char* punctuation;
    const char* text; // the item's first character
};

struct SentenceRules::Next {
    enum Kind { Upper, Lower, Digit, Cjk, Opening, Symbol, Other } kind = Other;
    bool starter = false; // a word that typically starts a sentence
    bool initial = false; // a single letter followed by a period
    std::string_view word;
};

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
            // 「はい。」と言った: a quoting particle carries the sentence on past the quote.
            if ((closed || questionOrExclamation) && language_.ParticleLength(rest) != 0) {
                return std::nullopt;
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

SentenceRules::Next SentenceRules::ReadNext(const Window& w, const char* p, bool readWord) const {
    Next next;
    // Elided articles start Dutch sentences in lower case: "'s Morgens", "'t Is".
    const Char first = DecodeAt(p, w.end);
    if (first.code == '\'' || first.code == 0x2019) {
        const char* q = p + first.size;
        while (q < w.end && q - p < 6 && IsWordChar(DecodeAt(q, w.end).code)) {
            q += DecodeAt(q, w.end).size;
        }
        if (q < w.end && IsBlank(DecodeAt(q, w.end).code) &&
            language_.IsStarter(FoldedKey({p, static_cast<std::size_t>(q - p)}))) {
            next.kind = Next::Upper;
            next.starter = true;
            return next;
        }
    }
    for (int i = 0; i < 4 && p < w.end; ++i) {
        const Char c = DecodeAt(p, w.end);
        if (c.code == 0xBF || c.code == 0xA1) { // ¿ ¡
            next.kind = Next::Opening;
            return next;
        }
        if (IsOpener(c.code)) {
            p = SkipBlanks(p + c.size, w.end); // French sets quotes apart: « Oui ! »
            continue;
        }
        // A dash before a reply in dialogue: "— Да! — сказал он."
        if (IsDash(c.code) && IsBlank(DecodeAt(p + c.size, w.end).code)) {
            p = SkipBlanks(p + c.size, w.end);
            continue;
        }
        break;
    }
    const Char c = DecodeAt(p, w.end);
    if (c.size == 0) {
        return next;
    }
    if (IsDigit(c.code) || IsCurrency(c.code)) {
        next.kind = Next::Digit;
        return next;
    }
    if (IsCjk(c.code)) {
        next.kind = Next::Cjk;
        return next;
    }
    const Case letterCase = CaseOf(c.code);
    if (letterCase == Case::Lower) {
        next.kind = Next::Lower;
        return next;
    }
    if (letterCase == Case::None) {
        next.kind = c.code >= 0x80 && !IsEndMark(c.code) && !IsDash(c.code) ? Next::Symbol : Next::Other;
        return next;
    }
    next.kind = Next::Upper;
    if (!readWord) {
        return next;
    }
    const char* end = p;
    const char* apostrophe = nullptr;
    while (end < w.end) {
        const Char d = DecodeAt(end, w.end);
        if ((d.code == '\'' || d.code == 0x2019) && apostrophe == nullptr) {
            apostrophe = end;
        } else if (!IsWordChar(d.code)) {
            break;
        }
        end += d.size;
    }
    next.word = {p, static_cast<std::size_t>(end - p)};
    next.initial = end - p == c.size && end < w.end && *end == '.';
    next.starter = language_.IsStarter(FoldedKey(next.word));
    if (!next.starter && apostrophe != nullptr) {
        // "L'homme", "C'est", "I'm": the part before the apostrophe, with or without it.
        const std::string_view head(p, static_cast<std::size_t>(apostrophe - p));
        const Char mark = DecodeAt(apostrophe, w.end);
        next.starter = language_.IsStarter(FoldedKey(head)) ||
                       language_.IsStarter(FoldedKey({p, head.size() + static_cast<std::size_t>(mark.size)}));
    }
    return next;
}

SentenceRules::Kind SentenceRules::KindOfWordBefore(const Window& w, const char* runStart,
                                                    const Next& next) const {
    const std::string_view token = TokenBefore(w, runStart);
    if (token.empty()) {
        return Kind::Empty;
    }
    if (IsAsciiDigit(token.front()) && IsAsciiDigit(token.back()) &&
        token.find_first_not_of("0123456789.,") == std::string_view::npos) {
        return Kind::Number;
    }
    if (DecodeBefore(w.begin, token.data()).code == 0xB0) {
        return Kind::Word; // a unit: "25 °C."
    }
    if (token.size() > 3 * kShortWord) {
        return Kind::Word;
    }
    const bool capital = CaseOf(DecodeAt(token.data(), runStart).code) == Case::Upper;
    const std::string key = FoldedKey(token);
    // Abbreviations written in parts with blanks between: "z. B.", "и т. д.", "p. ej.", "EE. UU."
    const std::string_view part = PartBefore(w, token);
    if (!part.empty()) {
        const std::string_view earlier = PartBefore(w, part);
        if (!earlier.empty()) {
            if (const Abbreviation* a = language_.FindAbbreviation(
                    FoldedKey(earlier) + '.' + FoldedKey(part) + '.' + key,
                    CaseOf(DecodeAt(earlier.data(), part.data()).code) == Case::Upper)) {
                return static_cast<Kind>(static_cast<int>(Kind::Never) + static_cast<int>(a->kind));
            }
        }
        if (const Abbreviation* a =
                language_.FindAbbreviation(FoldedKey(part) + '.' + key,
                                           CaseOf(DecodeAt(part.data(), token.data()).code) == Case::Upper)) {
            return static_cast<Kind>(static_cast<int>(Kind::Never) + static_cast<int>(a->kind));
        }
    }
    // The first part of one, seen from before the rest: "EE." before "UU.".
    if (!next.word.empty() && next.word.size() <= kShortWord && next.word.data() + next.word.size() < w.end &&
        next.word.data()[next.word.size()] == '.' &&
        language_.FindAbbreviation(key + '.' + FoldedKey(next.word), capital) != nullptr) {
        return Kind::Never;
    }
    if (const Abbreviation* a = language_.FindAbbreviation(key, capital)) {
        return static_cast<Kind>(static_cast<int>(Kind::Never) + static_cast<int>(a->kind));
    }
    // An elided article before it: "L'ing.", "l'av."
    if (const std::size_t apostrophe = key.rfind('\''); apostrophe != std::string::npos) {
        if (const Abbreviation* a = language_.FindAbbreviation(key.substr(apostrophe + 1), true)) {
            return static_cast<Kind>(static_cast<int>(Kind::Never) + static_cast<int>(a->kind));
        }
    }
    const Char first = DecodeAt(token.data(), runStart);
    if (first.size == static_cast<int>(token.size()) &&
        (CaseOf(first.code) == Case::Upper || CaseOf(first.code) == Case::Lower)) {
        return Kind::Initial;
    }
    if (IsDottedAbbreviation(token) || LooksAbbreviated(token)) {
        return Kind::General;
    }
    return Kind::Word;
}

bool SentenceRules::PeriodEnds(const Window& w, const char* runStart, const Next& next) const {
    if (next.kind == Next::Lower || next.kind == Next::Other) {
        return false;
    }
    const bool opens = next.kind == Next::Opening || next.kind == Next::Cjk;
    switch (KindOfWordBefore(w, runStart, next)) {
    case Kind::Never:
        return false;
    case Kind::Numeric:
    case Kind::Final:
        return next.kind != Next::Digit;
    case Kind::General:
        // A unit after a number ("1,5 кг.", "5 km.") closes its sentence as often as not.
        if (const std::string_view token = TokenBefore(w, runStart);
            next.kind == Next::Upper && LooksAbbreviated(token) && AfterNumber(w, token)) {
            return true;
        }
        [[fallthrough]];
    case Kind::Initial:
        return opens || (next.kind == Next::Upper && next.starter && !next.initial);
    case Kind::Number: {
        // "am 3. Oktober", "im 19. Jahrhundert", "Am 24.12. Feiern": in some languages a short number or
        // a day and month with a period after a lower-case or function word is an ordinal; after "Nr."
        // or "Seite" it is a plain number.
        const std::string_view number = TokenBefore(w, runStart);
        const std::size_t dot = number.find('.');
        const bool ordinal = dot == std::string_view::npos
                                 ? number.size() <= 3
                                 : dot <= 2 && number.size() - dot - 1 <= 2 &&
                                       number.find_first_of(".,", dot + 1) == std::string_view::npos;
        if (!language_.OrdinalNumbers() || !ordinal || number.find(',') != std::string_view::npos ||
            next.kind != Next::Upper || next.starter) {
            return true;
        }
        if (language_.IsOrdinalNoun(FoldedKey(next.word))) {
            return false; // "5. Mai", "19. Jahrhundert"
        }
        const char* gap = number.data();
        const Char blank = DecodeBefore(w.begin, gap);
        const std::string_view word =
            IsBlank(blank.code) ? TokenBefore(w, gap - blank.size) : std::string_view{};
        return word.empty() || word.back() == '.' ||
               (CaseOf(DecodeAt(word.data(), gap).code) != Case::Lower &&
                !language_.IsStarter(FoldedKey(word)));
    }
    case Kind::Empty:
    case Kind::Word:
        break;
    }
    return true;
}

std::optional<SentenceRules::Marker> SentenceRules::ParseMarker(const Window& w, const char* start) const {
    // Most lines start with a word: no "." or ")" among the first bytes rules them out cheaply.
    const std::size_t head = std::min<std::size_t>(static_cast<std::size_t>(w.end - start), 14);
    if (std::none_of(start, start + head, [](char c) { return c == '.' || c == ')'; })) {
        return std::nullopt;
    }
    const char* p = start;
    const bool paren = p < w.end && *p == '(';
    p += paren ? 1 : 0;
    Marker marker{Marker::Number, 0, 0, false, start, nullptr, nullptr};
    if (p < w.end && IsAsciiDigit(*p)) {
        while (p < w.end && IsAsciiDigit(*p)) {
            if (p - start >= 3 + (paren ? 1 : 0)) {
                return std::nullopt; // a year or an amount, not an item number
            }
            marker.value = marker.value * 10 + (*p++ - '0');
        }
    } else {
        const char* labelStart = p;
        std::size_t letters = 0;
        bool roman = true;
        Char c = DecodeAt(p, w.end);
        while (IsWordChar(c.code) && letters < 6) {
            if (CaseOf(c.code) != Case::Upper && CaseOf(c.code) != Case::Lower) {
                return std::nullopt;
            }
            roman = roman && IsRomanDigit(c.code);
            ++letters;
            p += c.size;
            c = DecodeAt(p, w.end);
        }
        const Char first = DecodeAt(labelStart, w.end);
        marker.upper = CaseOf(first.code) == Case::Upper;
        if (letters == 1) {
            marker.label = Marker::Letter;
            const char32_t folded = Fold(first.code);
            marker.value =
                folded >= 0x0430 ? static_cast<int>(folded - 0x0430 + 1) : static_cast<int>(folded) - 'a' + 1;
        } else if (letters > 1 && roman) {
            marker.label = Marker::Roman;
            marker.value = 0; // numerals only count at the start of a line, where no order is needed
        } else {
            return std::nullopt;
        }
    }
    if (p >= w.end || (*p != '.' && *p != ')') || (paren && *p != ')')) {
        return std::nullopt;
    }
    marker.punctuation = p++;
    const bool dotParen = *marker.punctuation == '.' && p < w.end && *p == ')';
    p += dotParen ? 1 : 0;
    marker.style = static_cast<int>(marker.label) * 3 + (paren ? 2 : *marker.punctuation == ')' ? 1 : 0);
    if (p >= w.end || !IsBlank(DecodeAt(p, w.end).code)) {
        return std::nullopt;
    }
    marker.text = SkipBlanks(p, w.end);
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
        AppendUtf8(label, c.code + 1);
    }
    const std::size_t opening = *marker.start == '(' ? 1 : 0;
    std::string pattern = opening ? "(" + label : label;
    pattern += *marker.punctuation;
    const std::string_view text(marker.text, static_cast<std::size_t>(w.end - marker.text));
    for (std::size_t at = text.find(pattern); at != std::string_view::npos; at = text.find(pattern, at + 1)) {
        const char* p = marker.text + at;
        const char* after = p + pattern.size();
        if (after < w.end && IsBlank(DecodeAt(after, w.end).code) && IsBlank(DecodeBefore(w.begin, p).code)) {
            // "(a) paper, (b) pens": items joined by commas belong to one sentence.
            const Char before = DecodeBefore(w.begin, SpaceStartBefore(w, p));
            return before.code == ',' || before.code == ';' ? Successor::Joined : Successor::Separate;
        }
    }
    return Successor::None;
}

bool SentenceRules::ListItemEndsAt(const Window& w, const char* at, std::optional<Boundary>& boundary) {
    // The label before the punctuation: a few digits or letters, perhaps opened by "(".
    const char* start = at;
    for (Char c = DecodeBefore(w.begin, start); start > w.begin && IsWordChar(c.code) && at - start < 12;
         c = DecodeBefore(w.begin, start)) {
        start -= c.size;
    }
    if (start == at) {
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
    const bool afterBullet =
        gap < start &&
        (IsBullet(mark.code) || ((IsDash(mark.code) || mark.code == '*') && AtLineStart(w, gap - mark.size)));
    const bool lineStart = afterBullet || AtLineStart(w, start);
    if (lineStart) {
        if (!StartsLineItem(*marker)) {
            return false;
        }
    } else {
        // In running text: "Steps: 1. open 2. close", "a) red b) blue".
        // Chinese and Japanese set no blank after a colon: "我们需要：1. 面包".
        const bool introduced = mark.code == ':' || mark.code == 0xFF1A;
        if (marker->label == Marker::Roman ||
            (marker->label == Marker::Letter && *at == '.' && marker->upper) ||
            !(IsBlank(DecodeBefore(w.begin, start).code) || mark.code == 0xFF1A)) {
            return false;
        }
        const bool continues = lastItemStyle_ == marker->style && lastItemValue_ + 1 == marker->value &&
                               position - lastItemPosition_ <= kListSpan;
        if (!continues) {
            if (marker->value != 1) {
                return false;
            }
            // Not a list where the item would start like a sentence ("1. Then"), or where an ordinal
            // stands ("am 1. Mai").
            const Next item = ReadNext(w, marker->text);
            const Successor successor = FindSuccessor(w, *marker);
            if (successor == Successor::Joined || language_.IsOrdinalNoun(FoldedKey(item.word)) ||
                (!introduced && (successor == Successor::None || item.starter))) {
                return false;
            }
        }
    }
    lastItemStyle_ = marker->style;
    lastItemValue_ = marker->value;
    lastItemPosition_ = position;
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
        item = start + c.size < w.end && IsBlank(DecodeAt(start + c.size, w.end).code);
    }
    if (!item) {
        const std::optional<Marker> marker = ParseMarker(w, start);
        item = marker && StartsLineItem(*marker);
    }
    if (!item) {
        // The lines run together here, so a heading ("Introduction" over "This paper ...") would be glued
        // to the text after it: a short line that ends without a mark, stands on its own (after the
        // text's start, a blank line or a finished sentence) and is followed by a capital.
        const char* lineEnd = SpaceStartBefore(w, at);
        const Char last = DecodeBefore(w.begin, lineEnd);
        if ((IsWordChar(last.code) && !IsCjk(last.code)) || IsCloser(last.code) || last.code == ':') {
            const Next next = ReadNext(w, start, false);
            const char* line =
                next.kind == Next::Upper || next.kind == Next::Opening ? StandsAlone(w, lineEnd) : nullptr;
            // A list item that goes on over the next line is no heading.
            const Char first = line != nullptr ? DecodeAt(line, lineEnd) : Char{};
            item = line != nullptr && !ParseMarker(w, line) && !IsBullet(first.code) && !IsDash(first.code);
        }
    }
    return item ? BoundaryBefore(w, at) : std::nullopt;
}

std::optional<Boundary> SentenceRules::BulletAt(const Window& w, const char* at, std::size_t length) const {
    // A dash needs a blank after it to be a bullet ("-v" is no item); a true bullet does not ("•one").
    const bool bullet = IsBullet(DecodeAt(at, w.end).code);
    const Char next = DecodeAt(at + length, w.end);
    if (!IsBlank(next.code) && !(bullet && IsWordChar(next.code))) {
        return std::nullopt;
    }
    if (AtLineStart(w, at)) {
        return lineEndsStay_ ? std::nullopt : BoundaryBefore(w, at);
    }
    // In the middle of a line only a true bullet marks an item; a dash there is a dash.
    if (!bullet || !IsBlank(DecodeBefore(w.begin, at).code)) {
        return std::nullopt;
    }
    return BoundaryBefore(w, at);
}

} // namespace brantlewick::sentences
