// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8: strict decoding (names and paths reach the file system in UTF-8, the narrow code page on Linux),
// and the encoder every converted text goes through.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brantlewick::utf8 {

// What Next() gives for a byte that does not start a well-formed sequence (a stray continuation byte, a
// truncated, overlong or surrogate sequence, or one beyond U+10FFFF).
inline constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the code point at `pos` and moves `pos` past it; an ill-formed byte gives kInvalid and moves
// one byte on, so each such byte counts as one character.
char32_t Next(std::string_view text, std::size_t& pos);

bool IsValid(std::string_view text);

// Characters as the length limits count them: code points, each ill-formed byte one.
std::size_t CharacterCount(std::string_view text);

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

} // namespace brantlewick::utf8
