// The name rules of the folder scan on literal names: unsafe folder names, how characters are decoded and
// counted for the length limits, and wildcard matching.
#include "FolderScan.h"
#include "Utf8.h"
#include "Wildcard.h"

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

// Unsafe: "?", below 32, from 127 to 159 (as decoded code points), or not UTF-8, of which each stray byte
// counts as one character.
TEST(NameRulesTest, NamesAreDecodedAsStrictUtf8AndCheckedForUnsafeCharacters) {
    const struct {
        std::string name;
        bool valid, unsafe;
        std::size_t characters;
    } cases[] = {
        {"", true, false, 0},
        {"Reports 2021 ~!#$%&'()+,-.;=@[]^_`{}", true, false, 36},
        {"\xc2\xa0\xe0\xa0\x80\xe2\x82\xac", true, false, 3}, // U+00A0 past the range, U+0800, the euro sign
        {"\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd", true, false,
         3},                                                  // U+D7FF, U+E000 around the surrogates; U+FFFD
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", true, false, 2}, // U+10000 and U+10FFFF
        {"what?", true, true, 5},
        {std::string("nul\0x\t\x1f", 7), true, true, 7},
        {"del\x7f", true, true, 4},
        {"\xc2\x80", true, true, 1},
        {"\xc2\x9f", true, true, 1},
        {"\xe9t\xe9", false, true, 3},        // Latin-1 bytes
        {"\xc0\xaf", false, true, 2},         // overlong "/"
        {"\xe0\x9f\xbf", false, true, 3},     // overlong U+07FF
        {"\xed\xa0\x80", false, true, 3},     // the first surrogate
        {"\xed\xbf\xbf", false, true, 3},     // the last surrogate
        {"\xf4\x90\x80\x80", false, true, 4}, // past U+10FFFF
        {"a\xe2\x82", false, true, 3},        // cut short
        {"\x80", false, true, 1},             // a stray continuation byte
        {"\xfc\x80\x80\x80", false, true, 4}, // no lead byte past F4
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::tuple(utf8::IsValid(c.name), HasUnsafeChars(c.name), utf8::CharacterCount(c.name)),
                  std::tuple(c.valid, c.unsafe, c.characters))
            << ::testing::PrintToString(c.name);
    }
}

TEST(NameRulesTest, WildcardsMatchAsTheListingRulesSay) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*.*", "README", true},    {"*.*", ".profile", true},
        {"*.*", "trailing.", true}, {"*", "any.thing.at.all", true},
        {"*.txt", "A.TXT", true},   {"*.txt", "a.b.txt", true},
        {"*.txt", ".txt", true},    {"*.txt", "a.txt.bak", false},
        {"*.txt", "a.txtx", false}, {"*.txt", "atxt", false},
        {"*.", "README", true},     {"*.", "a.txt", false},
        {"*.", ".profile", false},  {"a?.txt", "a.txt", true},
        {"a?.txt", "ab.txt", true}, {"a?.txt", "abc.txt", false},
        {"ab??", "ab", true},       {"ab??", "abcd", true},
        {"ab??", "abcde", false},   {"?", "\xc3\xa9", true},
        {"?x", "\xc3\xa9x", true},  {"*.t?t", "a.tt", false},
        {"read.", "read", true},    {"*a*", "banana", true},
        {"*a*", "bbb", false},      {"*.\xc3\xa9", "x.\xc3\x89", false},
        {"data", "data1", false},   {"", "a", false},
        {"?.*", "README", false},   {"a.*", "a", true},
        {"a.*", "b.txt", false},    {"a.?", "a.b", true}, // not every three elements match every name
        {"*.?", "a.bc", false},     {"x", "y", false},
    };
    for (const auto& [pattern, name, matches] : cases) {
        EXPECT_EQ(WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
    }
}

} // namespace
} // namespace brantlewick
