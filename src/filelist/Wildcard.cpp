// SPDX-License-Identifier: GPL-3.0-or-later
// The listing's wildcard rules: "?" and "*" are rewritten into the three old-style wildcards the way the
// platform did before matching ("?" always; "*" before a dot; a dot before "?", "*" or the end), and the
// result runs as a small automaton over the name's code points.
#include "Wildcard.h"

#include "brantlewick/base/Utf8.h"
#include "brantlewick/engine/AsciiCase.h"

#include <algorithm>

namespace brantlewick {

namespace {

// An ill-formed byte of a pattern matches only the same ill-formed byte of a name.
char32_t NextFolded(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    const char32_t c = utf8::Next(text, pos);
    return c == utf8::kInvalid ? 0x80000000u | static_cast<unsigned char>(text[start]) : FoldAscii(c);
}

} // namespace

WildcardPattern::WildcardPattern(std::string_view pattern) {
    std::vector<char32_t> codes;
    for (std::size_t pos = 0; pos < pattern.size();) {
        codes.push_back(NextFolded(pattern, pos));
    }
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const char32_t c = codes[i];
        const bool last = i + 1 == codes.size();
        const char32_t next = last ? 0 : codes[i + 1];
        if (c == '?') {
            elements_.push_back({Kind::DosQm, 0});
        } else if (c == '*') {
            elements_.push_back({next == '.' ? Kind::DosStar : Kind::Star, 0});
        } else if (c == '.' && (last || next == '?' || next == '*')) {
            elements_.push_back({Kind::DosDot, 0});
        } else {
            elements_.push_back({Kind::Literal, c});
        }
    }
    // "*" and "*.*" (the platform's two spellings of "every name") need no automaton.
    matchesEverything_ = (elements_.size() == 1 && elements_[0].kind == Kind::Star) ||
                         (elements_.size() == 3 && elements_[0].kind == Kind::DosStar &&
                          elements_[1].kind == Kind::DosDot && elements_[2].kind == Kind::Star);
}

// The states reachable without consuming anything are added, given the character that comes next (`atEnd`
// when none is left).
void WildcardPattern::SkipEmpty(std::vector<char>& states, char32_t next, bool atEnd) const {
    for (std::size_t j = 0; j < elements_.size(); ++j) {
        const Kind kind = elements_[j].kind;
        const bool skip = kind == Kind::Star || kind == Kind::DosStar ||
                          (kind == Kind::DosQm && (atEnd || next == '.')) || (kind == Kind::DosDot && atEnd);
        if (states[j] != 0 && skip) {
            states[j + 1] = 1;
        }
    }
}

WildcardPattern::Move WildcardPattern::MoveOn(const Element& element, char32_t c, bool lastDot) {
    switch (element.kind) {
    case Kind::Star:
        return Move::Stay;
    case Kind::DosStar:
        return c == '.' && lastDot ? Move::Fail : Move::Stay;
    case Kind::DosQm:
        return c == '.' ? Move::Fail : Move::Advance;
    case Kind::DosDot:
        return c == '.' ? Move::Advance : Move::Fail;
    case Kind::Literal:
        break;
    }
    return element.literal == c ? Move::Advance : Move::Fail;
}

// Whether any state is left after `c`.
bool WildcardPattern::Consume(const std::vector<char>& current, char32_t c, bool lastDot,
                              std::vector<char>& next) const {
    std::fill(next.begin(), next.end(), 0);
    bool any = false;
    for (std::size_t j = 0; j < elements_.size(); ++j) {
        if (current[j] == 0) {
            continue;
        }
        const Move move = MoveOn(elements_[j], c, lastDot);
        if (move != Move::Fail) {
            next[move == Move::Stay ? j : j + 1] = 1;
            any = true;
        }
    }
    return any;
}

bool WildcardPattern::Matches(std::string_view name) const {
    if (name.empty()) {
        return false;
    }
    if (matchesEverything_) {
        return true;
    }
    const std::size_t lastDot = name.rfind('.');
    std::vector<char> current(elements_.size() + 1, 0);
    std::vector<char> next(elements_.size() + 1, 0);
    current[0] = 1;
    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t here = pos;
        const char32_t c = NextFolded(name, pos);
        SkipEmpty(current, c, false);
        if (!Consume(current, c, here == lastDot, next)) {
            return false;
        }
        current.swap(next);
    }
    SkipEmpty(current, 0, true);
    return current.back() != 0;
}

} // namespace brantlewick
