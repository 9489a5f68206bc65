// SPDX-License-Identifier: GPL-3.0-or-later
// Letter case as every comparison of the program ignores it: ASCII letters only, so that the bytes of
// UTF-8 text are never changed or confused.
#pragma once

namespace brantlewick {

template <typename Character> constexpr Character FoldAscii(Character c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Character>(c + ('a' - 'A')) : c;
}

} // namespace brantlewick
