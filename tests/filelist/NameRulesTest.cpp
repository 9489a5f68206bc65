// The name rules of the folder scan on literal names: unsafe folder names, wildcard matching, and how
// characters are counted for the length limits.
#include "FolderScan.h"
#include "Utf8.h"
#include "Wildcard.h"

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

TEST(NameRulesTest, UnsafeCharactersAreCheckedOnDecodedCodePoints) {
    const std::pair<std::string, bool> cases[] = {
        {"", false},
        {"Reports 2021", false},
        {"caf\xc3\xa9", false},  // é, U+00E9
        {"\xe2\x82\xac", false}, // €, U+20AC: a character of its own here, not code 128
        {"\xe2\x80\x93", false}, // en dash, U+2013
        {"\xc2\xa0", false},     // U+00A0, just past the unsafe range
        {"\xe6\x97\xa5\xe6\x9c\xac", false},
        {"\xf0\x9f\x98\x80", false}, // a four-byte character
        {"what?", true},
        {"tab\there", true},
        {"line\nbreak", true},
        {std::string("nul\0x", 5), true},
        {"\x1f", true},
        {"del\x7f", true},
        {"\xc2\x80", true},  // U+0080
        {"\xc2\x9f", true},  // U+009F
        {"\xe9t\xe9", true}, // Latin-1 bytes: not UTF-8
        {"\xff", true},
        {"\xc0\xaf", true},         // overlong "/"
        {"\xed\xa0\x80", true},     // a surrogate
        {"\xf4\x90\x80\x80", true}, // past U+10FFFF
        {"cut\xe2\x82", true},      // truncated sequence
        {" ~!#$%&'()+,-.;=@[]^_`{}", false},
    };
    for (const auto& [name, unsafe] : cases) {
        EXPECT_EQ(HasUnsafeChars(name), unsafe) << ::testing::PrintToString(name);
    }
}

TEST(NameRulesTest, WildcardsMatchAsTheListingRulesSay) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.*", "a.txt", true},
        {"*.*", "README", true}, // names without a dot too
        {"*.*", ".profile", true},
        {"*.*", "a.b.c", true},
        {"*.*", "trailing.", true},
        {"*", "anything.at.all", true},
        {"*.txt", "a.txt", true},
        {"*.txt", "A.TXT", true},
        {"*.TXT", "notes.txt", true},
        {"*.txt", "a.b.txt", true},
        {"*.txt", ".txt", true},
        {"*.txt", "a.txt.bak", false},
        {"*.txt", "a.txtx", false},
        {"*.txt", "atxt", false},
        {"*.htm", "page.html", false},
        {"*.", "README", true}, // "*." is a name without a dot
        {"*.", "a.txt", false},
        {"*.", ".profile", false},
        {"a?.txt", "a.txt", true}, // "?" before a dot may match nothing
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "abc.txt", false},
        {"ab??", "ab", true}, // and at the end
        {"ab??", "abcd", true},
        {"ab??", "abcde", false},
        {"?", "\xc3\xa9", true}, // one character, two bytes
        {"??", "\xc3\xa9", true},
        {"?x", "\xc3\xa9x", true},
        {"*.t?t", "a.txt", true},
        {"*.t?t", "a.tt", false},
        {"read.", "read", true}, // a trailing dot is ignored
        {"x*", "X1.doc", true},
        {"*a*", "banana", true},
        {"*a*", "bbb", false},
        {"*.\xc3\xa9", "x.\xc3\xa9", true},
        {"*.\xc3\xa9", "x.\xc3\x89", false}, // only ASCII letters ignore case
        {"*.txt", "report.final.TxT", true},
        {"data", "DATA", true},
        {"data", "data1", false},
        {"", "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.name), c.matches)
            << "pattern " << c.pattern << " name " << c.name;
    }
}

TEST(NameRulesTest, LengthsCountCharactersAndEachStrayByteAsOne) {
    struct Case {
        std::string text;
        std::size_t count;
        bool valid;
    };
    const Case cases[] = {
        {"", 0, true},
        {"abc", 3, true},
        {"caf\xc3\xa9", 4, true},
        {"\xe2\x82\xac\xf0\x9f\x98\x80", 2, true},
        {"\xff\xfe", 2, false},
        {"a\xe2\x82", 3, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8::CharacterCount(c.text), c.count) << ::testing::PrintToString(c.text);
        EXPECT_EQ(utf8::IsValid(c.text), c.valid) << ::testing::PrintToString(c.text);
    }
}

} // namespace
} // namespace brantlewick
