// SPDX-License-Identifier: GPL-3.0-or-later
// File-name patterns with "*" and "?" as the desktop platform's folder listing matches them.
#pragma once

#include <string_view>
#include <vector>

namespace brantlewick {

// Matching keeps the old listing rules that users type into the extension box: "*.*" and "*" match every
// name, also one without a dot; "*." matches names without a dot; "*.txt" matches "a.b.txt" but not
// "a.txt.bak"; "?" stands for one character, and before a dot or at the end also for none ("a?.txt"
// matches "a.txt", "ab??" matches "ab"); a trailing dot is ignored ("read." matches "read"). ASCII letters
// match without regard to case; every other character, compared as a UTF-8 code point, only itself.
class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern);

    bool Matches(std::string_view name) const;

private:
    enum class Kind : unsigned char {
        Literal,
        Star,    // any run of characters
        DosStar, // any run of characters that leaves the name's last dot unmatched
        DosQm,   // one character, or none before a dot or at the end
        DosDot,  // a dot, or nothing at the end
    };
    struct Element {
        Kind kind;
        char32_t literal; // folded; only for Literal
    };
    // Where a state goes on one character: it stays (a star), moves to the next element, or dies.
    enum class Move : unsigned char { Stay, Advance, Fail };

    static Move MoveOn(const Element& element, char32_t c, bool lastDot);
    void SkipEmpty(std::vector<char>& states, char32_t next, bool atEnd) const;
    bool Consume(const std::vector<char>& current, char32_t c, bool lastDot, std::vector<char>& next) const;

    std::vector<Element> elements_;
    bool matchesEverything_ = false;
};

} // namespace brantlewick
