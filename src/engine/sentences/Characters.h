// SPDX-License-Identifier: GPL-3.0-or-later
// What the sentence rules ask about a character: letter case in the scripts of the supported languages,
// and the roles punctuation plays around an end.
#pragma once

#include "brantlewick/base/Utf8.h"

#include <string>
#include <string_view>

namespace brantlewick::sentences {

// Text that is not UTF-8 still moves through unchanged: a malformed byte decodes alone, to kMalformed plus
// the byte, and never looks like a letter or a mark.
using utf8::Char;
using utf8::DecodeAt;
using utf8::DecodeBefore;
using utf8::kMalformed;

// The rules ask these at nearly every byte they read, and most text is ASCII: each class answers for
// ASCII here, and for the rest out of line.

enum class Case : unsigned char { None, Upper, Lower, Uncased };

Case CaseOfNonAscii(char32_t c);
inline Case CaseOf(char32_t c) {
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? Case::Lower : c >= 'A' && c <= 'Z' ? Case::Upper : Case::None;
    }
    return CaseOfNonAscii(c);
}
// Lower case for the cased scripts the rules know (Latin, Greek, Cyrillic, full-width Latin); other
// characters unchanged. Typographic apostrophes become the ASCII one, so that lists hold one spelling.
char32_t FoldNonAscii(char32_t c);
inline char32_t Fold(char32_t c) {
    if (c < 0x80) {
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    }
    return FoldNonAscii(c);
}
bool IsDigit(char32_t c);
// Letters, digits and combining marks: what words and numbers are made of.
bool IsNonAsciiWordChar(char32_t c);
inline bool IsWordChar(char32_t c) {
    if (c < 0x80) {
        return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    }
    return IsNonAsciiWordChar(c);
}
bool IsVowel(char32_t c); // of a folded Latin or Cyrillic letter
// Scripts written without spaces between words and sentences.
bool IsNonAsciiCjk(char32_t c);
inline bool IsCjk(char32_t c) {
    return c >= 0x80 && IsNonAsciiCjk(c);
}
// Characters of those scripts, their punctuation and full-width forms included: two lines that end and
// start with one are joined without a space.
bool IsNonAsciiWide(char32_t c);
inline bool IsWide(char32_t c) {
    return c >= 0x80 && IsNonAsciiWide(c);
}
// Spaces and tabs of any width; not the line ends.
inline bool IsAsciiBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool IsNonAsciiBlank(char32_t c);
inline bool IsBlank(char32_t c) {
    return c < 0x80 ? IsAsciiBlank(c) : IsNonAsciiBlank(c);
}
inline bool IsLineEnd(char32_t c) {
    return c == '\n' || c == '\r';
}
inline bool IsSpace(char32_t c) {
    return IsBlank(c) || IsLineEnd(c);
}
// Quotes and brackets that can close what an end stands in, and those that can open the next sentence.
bool IsNonAsciiCloser(char32_t c);
inline bool IsCloser(char32_t c) {
    if (c < 0x80) {
        return c == ')' || c == ']' || c == '}' || c == '"' || c == '\'';
    }
    return IsNonAsciiCloser(c);
}
bool IsNonAsciiOpener(char32_t c);
inline bool IsOpener(char32_t c) {
    if (c < 0x80) {
        return c == '(' || c == '[' || c == '{' || c == '"' || c == '\'';
    }
    return IsNonAsciiOpener(c);
}
// Marks a run of sentence endings is made of: . ! ? and their full-width and compatibility forms.
bool IsNonAsciiEndMark(char32_t c);
inline bool IsEndMark(char32_t c) {
    if (c < 0x80) {
        return c == '.' || c == '!' || c == '?';
    }
    return IsNonAsciiEndMark(c);
}
bool IsQuestionOrExclamation(char32_t c);
bool IsEllipsis(char32_t c);
// Endings of scripts without spaces: what follows them directly is the next sentence.
bool IsWideEnd(char32_t c);
// Punctuation after which a sentence goes on: , ; : and their wide forms.
bool IsContinuation(char32_t c);
bool IsNonAsciiDash(char32_t c);
inline bool IsDash(char32_t c) {
    return c == '-' || (c >= 0x80 && IsNonAsciiDash(c));
}
// Bullets that mark a list item even in the middle of a line; dashes, '-', '*' and '+' only do at the
// start of one.
bool IsNonAsciiBullet(char32_t c);
inline bool IsBullet(char32_t c) {
    return c >= 0x80 && IsNonAsciiBullet(c);
}
bool IsCurrency(char32_t c);

// `text` folded character by character, blanks left out.
std::string FoldedKey(std::string_view text);

} // namespace brantlewick::sentences
