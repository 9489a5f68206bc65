// SPDX-License-Identifier: GPL-3.0-or-later
// The words either side of a sentence end: the word after it (a capital, a typical first word) and the
// word before it (an abbreviation, an initial, an ordinal number), and whether a period ends there.
#include "sentences/RuleBasics.h"

#include <algorithm>

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

bool AfterNumber(const Window& w, std::string_view token) {
    const Char blank = DecodeBefore(w.begin, token.data());
    if (!IsBlank(blank.code)) {
        return false;
    }
    // "1990-х гг.", "5-го": a number with an ending joined by a hyphen counts too.
    std::string_view before = TokenBefore(w, token.data() - blank.size);
    before = before.substr(0, before.find('-'));
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

std::pair<SentenceRules::Opener, const char*> SentenceRules::OpenerAt(const Window& w, const char* p) const {
    const Char c = DecodeAt(p, w.end);
    if (c.code == kInvertedQuestionMark || c.code == kInvertedExclamationMark) {
        return {Opener::Inverted, p + c.size};
    }
    if (IsOpener(c.code)) {
        // French sets quotes apart: « Oui ! ». A line end there reads as a blank, as a break put there does.
        int lineEnds = 0;
        return {Opener::Mark, SkipSpaces(p + c.size, w.end, lineEnds)};
    }
    // A dash before a reply in dialogue: "— Да! — сказал он.", and Spanish "—Llegas tarde —dijo—." A line
    // end after it reads as a blank, as a break put there does.
    if (IsDash(c.code)) {
        const Char after = DecodeAt(p + c.size, w.end);
        if (IsSpace(after.code)) {
            int lineEnds = 0;
            return {Opener::Dash, SkipSpaces(p + c.size, w.end, lineEnds)};
        }
        // Not before a digit: "–5 °C" is a number.
        if (c.code != '-' &&
            ((IsWordChar(after.code) && !IsDigit(after.code)) || after.code == kInvertedQuestionMark ||
             after.code == kInvertedExclamationMark)) {
            return {Opener::Dash, p + c.size};
        }
    }
    // Quotes typed as two characters: ``Wir kommen.'' and ,,Kom je?''
    const char* const secondAt = p + c.size;
    const Char second = DecodeAt(secondAt, w.end);
    if ((c.code == '`' || c.code == ',') && second.code == c.code) {
        int lineEnds = 0;
        return {Opener::Mark, SkipSpaces(secondAt + 1, w.end, lineEnds)}; // spaced as well: ",, Kom je?''"
    }
    // A note or emphasis in web text: "*Edit:", "**Update:**".
    if (c.code == '*' && (second.code == '*' || IsWordChar(second.code))) {
        return {Opener::Mark, secondAt};
    }
    // Web text opens sentences with these too, where a capital follows: "~Anna", "<Laughs>", "-- Then".
    if ((c.code == '~' || c.code == '<') && CaseOf(second.code) == Case::Upper) {
        return {Opener::Mark, secondAt};
    }
    if (c.code == '-' && second.code == '-') {
        const char* const text = SkipBlanks(secondAt + 1, w.end);
        if (CaseOf(DecodeAt(text, w.end).code) == Case::Upper) {
            return {Opener::Dash, text};
        }
    }
    return {Opener::None, p};
}

namespace {

// What the first character of a word says about it, except for capitals, which need the word.
Next::Kind KindOfFirst(Char c) {
    if (c.size == 0) {
        return Next::Other;
    }
    if (IsDigit(c.code) || IsCurrency(c.code)) {
        return Next::Digit;
    }
    if (IsCjk(c.code)) {
        return Next::Cjk;
    }
    switch (CaseOf(c.code)) {
    case Case::Lower:
        return Next::Lower;
    case Case::None:
        return c.code >= 0x80 && !IsEndMark(c.code) && !IsDash(c.code) ? Next::Symbol : Next::Other;
    case Case::Upper:
    case Case::Uncased:
        break;
    }
    return Next::Upper;
}

// The word at `p`: letters and digits, and one apostrophe inside ("L'homme", "I'm").
std::string_view WordAt(const Window& w, const char* p, const char*& apostrophe) {
    const char* end = p;
    apostrophe = nullptr;
    while (end < w.end) {
        const Char d = DecodeAt(end, w.end);
        if ((d.code == '\'' || d.code == kRightSingleQuote) && apostrophe == nullptr) {
            apostrophe = end;
        } else if (!IsWordChar(d.code)) {
            break;
        }
        end += d.size;
    }
    return {p, static_cast<std::size_t>(end - p)};
}

// Whether `token` is a word of lower-case letters ("school"), or with `capital`, one that starts with a
// capital ("Version"): no digits, inner marks or capitals inside, as names, paths and code have.
bool IsPlainWord(std::string_view token, bool capital) {
    const char* const end = token.data() + token.size();
    for (const char* p = token.data(); p < end;) {
        const Char c = DecodeAt(p, end);
        if (CaseOf(c.code) != (capital && p == token.data() ? Case::Upper : Case::Lower)) {
            return false;
        }
        p += c.size;
    }
    return !token.empty();
}

} // namespace

std::string_view TokenBefore(const Window& w, const char* end) {
    const char* start = end;
    for (Char c = DecodeBefore(w.begin, start); start > w.begin; c = DecodeBefore(w.begin, start)) {
        const bool inner = c.code == '.' || c.code == '-' || c.code == '\'' || c.code == kRightSingleQuote ||
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

Next SentenceRules::ReadNext(const Window& w, const char* p, bool readWord) const {
    Next next;
    if (StartsWithElidedArticle(w, p)) {
        next.kind = Next::Upper;
        next.starter = true;
        return next;
    }
    for (int i = 0; i < 4; ++i) {
        auto [opener, after] = OpenerAt(w, p);
        if (opener == Opener::None) {
            break;
        }
        if (opener == Opener::Inverted) { // ¿ ¡
            next.kind = Next::Opening;
            return next;
        }
        next.dash = next.dash || opener == Opener::Dash;
        p = after;
    }
    const Char first = DecodeAt(p, w.end);
    next.kind = KindOfFirst(first);
    if ((next.kind != Next::Upper && next.kind != Next::Lower) || !readWord) {
        return next;
    }
    const char* apostrophe = nullptr;
    next.word = WordAt(w, p, apostrophe);
    if (next.kind == Next::Lower) {
        return next;
    }
    const char* const end = next.word.data() + next.word.size();
    next.initial = next.word.size() == static_cast<std::size_t>(first.size) && end < w.end && *end == '.';
    next.starter = language_->Lists(WordList::Starters, FoldedKey(next.word));
    if (!next.starter && apostrophe != nullptr) {
        // "L'homme", "C'est", "I'm": the part before the apostrophe, with or without it.
        const std::string_view head(p, static_cast<std::size_t>(apostrophe - p));
        const Char mark = DecodeAt(apostrophe, w.end);
        next.starter = language_->Lists(WordList::Starters, FoldedKey(head)) ||
                       language_->Lists(WordList::Starters,
                                        FoldedKey({p, head.size() + static_cast<std::size_t>(mark.size)}));
    }
    return next;
}

bool SentenceRules::StartsWithElidedArticle(const Window& w, const char* p) const {
    // Elided articles start Dutch sentences in lower case: "'s Morgens", "'t Is".
    const Char first = DecodeAt(p, w.end);
    if (first.code != '\'' && first.code != kRightSingleQuote) {
        return false;
    }
    const char* q = p + first.size;
    while (q < w.end && q - p < 6 && IsWordChar(DecodeAt(q, w.end).code)) {
        q += DecodeAt(q, w.end).size;
    }
    return IsBlank(DecodeAt(q, w.end).code) &&
           language_->Lists(WordList::Starters, FoldedKey({p, static_cast<std::size_t>(q - p)}));
}

namespace {

WordKind KindOf(const Abbreviation& a) {
    return static_cast<WordKind>(static_cast<int>(WordKind::Never) + static_cast<int>(a.kind));
}

bool IsCapital(std::string_view word) {
    return CaseOf(DecodeAt(word.data(), word.data() + word.size()).code) == Case::Upper;
}

bool IsNumberToken(std::string_view token) {
    return IsAsciiDigit(token.front()) && IsAsciiDigit(token.back()) &&
           token.find_first_not_of("0123456789.,") == std::string_view::npos;
}

// "N°. 12", "n°. 5": the number sign written with a degree sign, which no word takes in.
bool AfterNumeroSign(const Window& w, const char* runStart) {
    const Char sign = DecodeBefore(w.begin, runStart);
    if (sign.code != kDegreeSign) {
        return false;
    }
    const std::string_view letter = TokenBefore(w, runStart - sign.size);
    return letter == "N" || letter == "n";
}

} // namespace

std::optional<WordKind> SentenceRules::ListedKind(const Window& w, std::string_view token,
                                                  const Next& next) const {
    // A word of ASCII letters longer than every abbreviation is none, nor the last part of one written in
    // parts, which is longer still: folding leaves it as long as it is.
    if (token.size() > language_->LongestAbbreviation() &&
        std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F && c != '\''; })) {
        return std::nullopt;
    }
    const std::string key = FoldedKey(token);
    // Abbreviations written in parts with blanks between: "z. B.", "и т. д.", "p. ej.", "EE. UU."
    if (const std::string_view part = PartBefore(w, token); !part.empty()) {
        if (const std::string_view earlier = PartBefore(w, part); !earlier.empty()) {
            if (const Abbreviation* a = language_->FindAbbreviation(
                    FoldedKey(earlier) + '.' + FoldedKey(part) + '.' + key, IsCapital(earlier))) {
                return KindOf(*a);
            }
        }
        if (const Abbreviation* a =
                language_->FindAbbreviation(FoldedKey(part) + '.' + key, IsCapital(part))) {
            return KindOf(*a);
        }
    }
    const bool capital = IsCapital(token);
    // The first part of one, seen from before the rest: "EE." before "UU.".
    if (!next.word.empty() && next.word.size() <= kShortWord && next.word.data() + next.word.size() < w.end &&
        next.word.data()[next.word.size()] == '.' &&
        language_->FindAbbreviation(key + '.' + FoldedKey(next.word), capital) != nullptr) {
        return WordKind::Never;
    }
    if (const Abbreviation* a = language_->FindAbbreviation(key, capital)) {
        return KindOf(*a);
    }
    // An elided article before it: "L'ing.", "l'av."
    if (const std::size_t apostrophe = key.rfind('\''); apostrophe != std::string::npos) {
        if (const Abbreviation* a = language_->FindAbbreviation(key.substr(apostrophe + 1), true)) {
            return KindOf(*a);
        }
    }
    return std::nullopt;
}

WordKind SentenceRules::KindOfWordBefore(const Window& w, const char* runStart, const Next& next) const {
    const std::string_view token = TokenBefore(w, runStart);
    if (token.empty()) {
        return AfterNumeroSign(w, runStart) ? WordKind::Numeric : WordKind::Empty;
    }
    if (IsNumberToken(token)) {
        return WordKind::Number;
    }
    // A unit after a degree sign ("25 °C."), or too long to be anything but a word.
    if (DecodeBefore(w.begin, token.data()).code == kDegreeSign || token.size() > 3 * kShortWord) {
        return WordKind::Word;
    }
    if (const std::optional<WordKind> listed = ListedKind(w, token, next)) {
        return *listed;
    }
    const Char first = DecodeAt(token.data(), runStart);
    if (first.size == static_cast<int>(token.size()) &&
        (CaseOf(first.code) == Case::Upper || CaseOf(first.code) == Case::Lower)) {
        return WordKind::Initial;
    }
    if (IsDottedAbbreviation(token) || LooksAbbreviated(token)) {
        return WordKind::Unlisted;
    }
    return WordKind::Word;
}

bool SentenceRules::OpensWithDate(const Window& w) const {
    // "В 1147 г.", "Im 19. Jh.": a preposition and a number open the sentence (not "Цена 99,90 руб.").
    constexpr std::ptrdiff_t kShortWord = 3;
    const char* const horizon = Horizon(w);
    if (horizon == w.begin && !(w.beginIsTextStart && lastBoundary_ == 0)) {
        return false; // where the sentence starts is out of sight
    }
    int lineEnds = 0;
    const char* p = SkipSpaces(horizon, w.end, lineEnds);
    std::ptrdiff_t letters = 0;
    for (Char c = DecodeAt(p, w.end); IsWordChar(c.code) && !IsDigit(c.code); c = DecodeAt(p, w.end)) {
        p += c.size;
        ++letters;
    }
    const char* const number = SkipBlanks(p, w.end);
    return letters > 0 && letters <= kShortWord && number != p && number < w.end && IsAsciiDigit(*number);
}

// Units written short after a number ("3 in.", "10 min.", "2 hrs.") have at most this many letters;
// "40,000 homes." is a plain word.
constexpr std::size_t kLongestUnit = 4;

bool SentenceRules::LowerCaseStarts(const Window& w, const char* runStart, const Next& next) const {
    // The next word is a word ("that's" too), not an abbreviation or a name with a period ("e.g.",
    // "file.txt", "т. д.").
    std::string_view word = next.word;
    if (const std::size_t apostrophe = word.find_first_of('\''); apostrophe != std::string_view::npos) {
        word = word.substr(0, apostrophe);
    }
    if (!lowerCaseStarts_ || !IsPlainWord(word, false)) {
        return false;
    }
    const char* const after = next.word.data() + next.word.size();
    const Char mark = DecodeAt(after, w.end);
    const bool letter = DecodeAt(next.word.data(), after).size == static_cast<int>(next.word.size());
    const bool wordEnds = mark.code == '.'
                              ? !letter && (after + 1 >= w.end || IsSpace(DecodeAt(after + 1, w.end).code))
                              : mark.size == 0 || IsSpace(mark.code) || IsContinuation(mark.code) ||
                                    IsQuestionOrExclamation(mark.code);
    // The word before is an ordinary word in small letters (or a noun, in a language that capitalises
    // them) that stands apart: no single letter or abbreviation (listed, or written like one), no unit
    // after a number ("3 in. tall"), no part of a name, path or address, and not the only word since the
    // last end ("I. am. done."). An elided article goes with it: "l'info".
    std::string_view token = TokenBefore(w, runStart);
    if (const std::size_t elided = token.find_last_of('\''); elided != std::string_view::npos) {
        token = token.substr(elided + 1);
    }
    if (!wordEnds || token.size() < 2 ||
        !(IsPlainWord(token, false) || (language_->CapitalizedNouns() && IsPlainWord(token, true))) ||
        (token.size() <= kLongestUnit && AfterNumber(w, token))) {
        return false;
    }
    const Char before = DecodeBefore(w.begin, token.data());
    if (token.data() == w.begin ? !w.beginIsTextStart
                                : !(IsSpace(before.code) || IsOpener(before.code) || before.code == '\'')) {
        return false;
    }
    const char* const gap = SpaceStartBefore(w, token.data());
    return !IsEndMark(DecodeBefore(w.begin, gap).code) &&
           KindOfWordBefore(w, runStart, next) == WordKind::Word;
}

bool SentenceRules::PeriodEnds(const Window& w, const char* runStart, const Next& next, bool closed) const {
    if (next.kind == Next::Lower) {
        return !closed && LowerCaseStarts(w, runStart, next);
    }
    if (next.kind == Next::Other) {
        return false;
    }
    const bool opens = next.kind == Next::Opening || next.kind == Next::Cjk;
    const bool starts = next.kind == Next::Upper && next.starter && !next.initial;
    const WordKind kind = KindOfWordBefore(w, runStart, next);
    switch (kind) {
    case WordKind::Never:
        return false;
    case WordKind::Numeric:
        return next.kind != Next::Digit;
    case WordKind::Final:
        return next.kind != Next::Digit && (starts || !OpensWithDate(w));
    case WordKind::Unlisted:
    case WordKind::Unit:
        // A unit after a number ("1,5 кг.", "40 min.", "в 1936 г.") closes its sentence as often as not,
        // unless the sentence opened with it ("В 1147 г. Москва ..."); an unlisted word counts as one when
        // it looks like one.
        if (const std::string_view token = TokenBefore(w, runStart);
            next.kind == Next::Upper && AfterNumber(w, token) &&
            (kind == WordKind::Unit || LooksAbbreviated(token)) && (starts || !OpensWithDate(w))) {
            return true;
        }
        return opens || starts;
    case WordKind::General:
        return opens || starts;
    case WordKind::Initial:
        return opens || (starts && !NameParticleFollows(w, next));
    case WordKind::Number:
        return NumberEnds(w, TokenBefore(w, runStart), next);
    case WordKind::Empty:
    case WordKind::Word:
        break;
    }
    return true;
}

bool SentenceRules::NumberEnds(const Window& w, std::string_view number, const Next& next) const {
    // "Done. 2. The next part", "面包。2. 牛奶": a short number where a sentence starts is that sentence's
    // item number.
    const bool item = (next.kind == Next::Upper || next.kind == Next::Cjk) && number.size() <= 2 &&
                      number.find_first_of(".,") == std::string_view::npos && FollowsEnd(w, number.data());
    if (next.kind != Next::Upper || item) {
        return !item;
    }
    // "am 3. Oktober", "im 19. Jahrhundert", "Am 24.12. Feiern": in some languages a short number or a
    // day and month with a period after a lower-case or function word is an ordinal; after "Nr." or
    // "Seite" it is a plain number.
    const std::size_t dot = number.find('.');
    const bool ordinal = dot == std::string_view::npos
                             ? number.size() <= 3
                             : dot <= 2 && number.size() - dot - 1 <= 2 &&
                                   number.find_first_of(".,", dot + 1) == std::string_view::npos;
    if (!language_->OrdinalNumbers() || !ordinal || number.find(',') != std::string_view::npos ||
        next.starter) {
        return true;
    }
    if (language_->Lists(WordList::OrdinalNouns, FoldedKey(next.word))) {
        return false; // "5. Mai", "19. Jahrhundert"
    }
    const char* gap = number.data();
    const Char blank = DecodeBefore(w.begin, gap);
    const std::string_view word = IsBlank(blank.code) ? TokenBefore(w, gap - blank.size) : std::string_view{};
    return word.empty() || word.back() == '.' ||
           (CaseOf(DecodeAt(word.data(), gap).code) != Case::Lower &&
            !language_->Lists(WordList::Starters, FoldedKey(word)));
}

bool SentenceRules::FollowsEnd(const Window& w, const char* p) const {
    // After a period only: after "?" a number is as often the answer ("How many? 12. Maybe 13."). Chinese
    // and Japanese set no blank after their full stop.
    const char* gap = SpaceStartBefore(w, p);
    const char32_t end = DecodeBefore(w.begin, gap).code;
    return (end == '.' || end == kIdeographicFullStop) &&
           w.position + static_cast<std::uint64_t>(gap - w.begin) == lastEnd_;
}

bool SentenceRules::NameParticleFollows(const Window& w, const Next& next) const {
    if (!language_->Lists(WordList::NameParticles, FoldedKey(next.word))) {
        return false;
    }
    const char* p = next.word.data() + next.word.size();
    if (p >= w.end || !IsBlank(DecodeAt(p, w.end).code)) {
        return false;
    }
    return CaseOf(DecodeAt(SkipBlanks(p, w.end), w.end).code) == Case::Upper;
}

bool SentenceRules::MissingSpaceEnds(const Window& w, const char* runStart, const char* after) const {
    // Cheapest first: most marks followed by a letter are inside numbers, names and addresses, with a
    // lower-case letter or a digit after them.
    if (CaseOf(DecodeAt(after, w.end).code) != Case::Upper) {
        return false;
    }
    // A listed abbreviation before it reads as one, whatever follows: "vs.The" goes on as "vs. The" does.
    const std::string_view left = TokenBefore(w, runStart);
    if ((!IsPlainWord(left, false) && !(language_->CapitalizedNouns() && IsPlainWord(left, true))) ||
        ListedKind(w, left, Next{})) {
        return false;
    }
    // The word must stand apart: not the end of a path, an address or a name ("a/b.The", "x_y.The"). A
    // boundary right before it parts it as a line end does on a second run.
    const char* before = left.data();
    const Char c = DecodeBefore(w.begin, before);
    const bool afterBoundary = w.position + static_cast<std::uint64_t>(before - w.begin) == lastBoundary_;
    if (before == w.begin ? !w.beginIsTextStart && !afterBoundary
                          : !(IsSpace(c.code) || IsOpener(c.code) || afterBoundary)) {
        return false;
    }
    // The word stands apart after it too, also where a line end that goes follows it. It is a word that
    // starts sentences, or a plain capitalised word after a plain word of two letters or more, as reviews
    // write them ("Great phone.Battery lasts"): not a name in code ("obj.getName", "web.DE").
    const Next next = ReadNext(w, after);
    const char* wordEnd = next.word.data() + next.word.size();
    const bool capitalised = utf8::CharacterCount(left) >= 2 && utf8::CharacterCount(next.word) >= 2 &&
                             IsPlainWord(next.word, true) &&
                             !language_->Lists(WordList::FileEndings, FoldedKey(next.word));
    // A capitalised word that starts no sentence by itself ends one only after a word the spaced text
    // would end on too, so that a second run, which reads the break as a space, decides alike.
    if (next.kind != Next::Upper || wordEnd >= w.end ||
        !(next.starter || (capitalised && KindOfWordBefore(w, runStart, next) == WordKind::Word))) {
        return false;
    }
    // A capitalised word may be a sentence of its own ("Goed product.Aanrader."), but not a name's part
    // ("www.Example.org"): no small letter follows its mark. Blanks between do not count, since a break
    // may come there.
    const Char mark = DecodeAt(wordEnd, w.end);
    if (IsBlank(mark.code) || JoinedAt(w, wordEnd)) {
        return true;
    }
    int lineEnds = 0;
    const char* const following = SkipSpaces(wordEnd + mark.size, w.end, lineEnds);
    const char32_t beyond = following < w.end ? DecodeAt(following, w.end).code : U' ';
    return capitalised && IsEndMark(mark.code) && (!IsWordChar(beyond) || CaseOf(beyond) == Case::Upper);
}

bool SentenceRules::SpeakerFollows(const Window& w, const Next& next) const {
    if (next.kind != Next::Upper || next.word.empty()) {
        return false;
    }
    // One or two names, or "I", then a verb of saying: "Jenny asked", "Mrs. Weasley whispered",
    // "O'Brien said", "I asked".
    const char* p = next.word.data();
    for (int words = 0; words < 3; ++words) {
        const char* apostrophe = nullptr;
        const std::string_view word = WordAt(w, p, apostrophe);
        if (word.empty()) {
            return false;
        }
        if (CaseOf(DecodeAt(p, w.end).code) != Case::Upper) {
            return words > 0 && language_->Lists(WordList::SpeechVerbs, FoldedKey(word));
        }
        if (word != "I" && language_->Lists(WordList::Starters, FoldedKey(word))) {
            return false;
        }
        // A title's period goes with the name; any other mark leaves no word to read next ("Jenny, asked").
        const char* end = word.data() + word.size();
        const Abbreviation* title = language_->FindAbbreviation(FoldedKey(word), true);
        end += DecodeAt(end, w.end).code == '.' && title != nullptr && title->kind == AbbreviationKind::Never
                   ? 1
                   : 0;
        p = SkipBlanks(end, w.end);
    }
    return false;
}

bool SentenceRules::IsMarkedName(const Window& w, const char* runStart, const char* runEnd) const {
    const std::string_view name = TokenBefore(w, runStart);
    return !name.empty() && runEnd - runStart == 1 &&
           language_->Lists(WordList::MarkedNames,
                            FoldedKey({name.data(), static_cast<std::size_t>(runEnd - name.data())}));
}

} // namespace brantlewick::sentences
