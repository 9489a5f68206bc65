// SPDX-License-Identifier: GPL-3.0-or-later
// A set of bytes a scanner stops at, looked up in one step. std::string_view::find_first_of calls memchr
// once for each byte it passes, which made a paragraph's scan cost a library call per character.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace brantlewick::prose {

class ByteSet {
public:
    constexpr explicit ByteSet(std::string_view bytes) {
        for (const char c : bytes) {
            has_.at(static_cast<unsigned char>(c)) = true;
        }
    }

    [[nodiscard]] constexpr bool Has(char c) const { return has_[static_cast<unsigned char>(c)]; }

    // Where the first byte of the set lies in `text` from `from` on, or npos.
    [[nodiscard]] constexpr std::size_t FindIn(std::string_view text, std::size_t from = 0) const {
        for (; from < text.size(); ++from) {
            if (Has(text[from])) {
                return from;
            }
        }
        return std::string_view::npos;
    }

private:
    std::array<bool, 256> has_{};
};

} // namespace brantlewick::prose
