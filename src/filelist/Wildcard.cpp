// SPDX-License-Identifier: GPL-3.0-or-later
// The listing's wildcard rules: "?" and "*" are rewritten into the three old-style wildcards the way the
// platform did before matching ("?" always; "*" before a dot; a dot before "?", "*" or the end), and the
// result runs as a small automaton over the name's code points.
#include "Wildcard.h"

#include "brantlewick/engine/AsciiCase.h"
#include "brantlewick/filelist/Utf8.h"

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

bool WildcardPattern::Matches(std::string_view name) const {
    if (name.empty()) {
        return false;
    }
    if (matchesEverything_) {
        return true;
    }
    const std::size_t count = elements_.size();
    const std::size_t lastDot = name.rfind('.');
    std::vector<char> current(count + 1, 0);
    std::vector<char> next(count + 1, 0);
    current[0] = 1;

    // Adds the states reachable without consuming anything, given the character that comes next
    // (`atEnd` when none is left).
    const auto close = [&](std::vector<char>& states, char32_t c, bool atEnd) {
        for (std::size_t j = 0; j < count; ++j) {
            if (!states[j]) {
                continue;
            }
            const Kind kind = elements_[j].kind;
            const bool skip = kind == Kind::Star || kind == Kind::DosStar ||
                              (kind == Kind::DosQm && (atEnd || c == '.')) || (kind == Kind::DosDot && atEnd);
            if (skip) {
                states[j + 1] = 1;
            }
        }
    };

    for (std::size_t pos = 0; pos < name.size();) {
        const std::size_t here = pos;
        const char32_t c = NextFolded(name, pos);
        close(current, c, false);
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t j = 0; j < count; ++j) {
            if (!current[j]) {
                continue;
            }
            const Element& element = elements_[j];
            switch (element.kind) {
            case Kind::Star:
                next[j] = 1;
                break;
            case Kind::DosStar:
                if (c != '.' || here != lastDot) {
                    next[j] = 1;
                }
                break;
            case Kind::DosQm:
                if (c != '.') {
                    next[j + 1] = 1;
                }
                break;
            case Kind::DosDot:
                if (c == '.') {
                    next[j + 1] = 1;
                }
                break;
            case Kind::Literal:
                if (element.literal == c) {
                    next[j + 1] = 1;
                }
                break;
            }
            any = any || next[j] || next[j + 1];
        }
        if (!any) {
            return false;
        }
        current.swap(next);
    }
    close(current, 0, true);
    return current[count] != 0;
}

} // namespace brantlewick
