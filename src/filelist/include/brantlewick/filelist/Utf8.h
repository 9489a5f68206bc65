// SPDX-License-Identifier: GPL-3.0-or-later
// Strict UTF-8 decoding: names and paths reach the file system in UTF-8, the narrow code page on Linux.
#pragma once

#include <cstddef>
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

} // namespace brantlewick::utf8
