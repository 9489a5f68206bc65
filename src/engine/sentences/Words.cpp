// SPDX-License-Identifier: GPL-3.0-or-later
// The words either side of a sentence end: the word after it (a capital, a typical first word) and the
// word before it (an abbreviation, an initial, an ordinal number), and whether a period ends there.
#include "sentences/RuleBasics.h"

namespace brantlewick::sentences {

namespace {

// A word longer than this is no abbreviation, initial or list label.
constexpr std::size_t kShortWord = 12;

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

} // namespace brantlewick::sentences
