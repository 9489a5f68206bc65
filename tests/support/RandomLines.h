// SPDX-License-Identifier: GPL-3.0-or-later
// What the random document generators share: draws from one seeded generator, so that the same seed
// gives the same document on every machine, and lines put together into a text.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick::testing {

using Lines = std::vector<std::string>;

class RandomLines {
public:
    explicit RandomLines(std::uint32_t seed) : random_(seed) {}

protected:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<std::uint32_t>(n)); }

    template <std::size_t N> std::string_view From(const std::array<std::string_view, N>& list) {
        return list[static_cast<std::size_t>(Pick(static_cast<int>(N)))];
    }

    static void Append(Lines& to, const Lines& from) { to.insert(to.end(), from.begin(), from.end()); }

    // Each line with `end` after it, but now and then the last one.
    std::string Joined(const Lines& lines, std::string_view end) {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            text += lines[i];
            if (i + 1 < lines.size() || Pick(3) != 0) {
                text += end;
            }
        }
        return text;
    }

private:
    std::mt19937 random_;
};

} // namespace brantlewick::testing
