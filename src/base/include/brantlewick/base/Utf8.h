// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, the one place it is read and written. Decoding is strict after RFC 3629 (no overlong forms, no
// surrogates, nothing past U+10FFFF) and never reads outside the bounds it is given; an ill-formed byte
// stands alone, so text that is not UTF-8 still moves through unchanged, one byte at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::utf8 {

// An ill-formed byte decodes to kMalformed plus the byte: no code point, so it never looks like a letter
// or a mark, and AppendChar() writes the byte back as it was.
inline constexpr char32_t kMalformed = 0x110000;

struct Char {
    char32_t code = 0;
    int size = 0; // bytes; 0 only where there is nothing left to decode
};

inline bool IsContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The length a sequence starting with `lead` claims by its high bits alone, 1 for a stray continuation
// byte: for stepping over text already known to be UTF-8.
inline std::size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

Char DecodeMultiByte(const char* p, const char* end);
// The character starting at `p`, reading nothing at or after `end`. ASCII stays inline: the sentence
// rules call this for every byte they look at.
inline Char DecodeAt(const char* p, const char* end) {
    if (p < end && static_cast<unsigned char>(*p) < 0x80) {
        return {static_cast<unsigned char>(*p), 1};
    }
    return DecodeMultiByte(p, end);
}

Char DecodeMultiByteBefore(const char* begin, const char* p);
// The character ending just before `p`, reading nothing before `begin`.
inline Char DecodeBefore(const char* begin, const char* p) {
    if (p > begin && static_cast<unsigned char>(p[-1]) < 0x80) {
        return {static_cast<unsigned char>(p[-1]), 1};
    }
    return DecodeMultiByteBefore(begin, p);
}

// What Next() gives for a byte that does not start a well-formed sequence.
inline constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the code point at `pos` (before the end) and moves `pos` past it; an ill-formed byte gives
// kInvalid and moves one byte on, so each such byte counts as one character.
inline char32_t Next(std::string_view text, std::size_t& pos) {
    const Char c = DecodeAt(text.data() + pos, text.data() + text.size());
    pos += static_cast<std::size_t>(c.size);
    return c.code >= kMalformed ? kInvalid : c.code;
}

bool IsValid(std::string_view text);

// Characters as the length limits count them: code points, each ill-formed byte one.
std::size_t CharacterCount(std::string_view text);

// A line's width as its measure counts it: the bytes that start a character, continuation bytes left out.
std::size_t Width(std::string_view text);

// Appends the UTF-8 form of `c`, a code point up to U+10FFFF; inline, as a decoded text calls it for each
// character.
inline void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Appends what DecodeAt() gave: a code point in UTF-8, an ill-formed byte as it was.
inline void AppendChar(std::string& out, char32_t c) {
    if (c >= kMalformed) {
        out.push_back(static_cast<char>(c - kMalformed));
    } else {
        Append(out, c);
    }
}

} // namespace brantlewick::utf8
