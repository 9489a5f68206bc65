// SPDX-License-Identifier: GPL-3.0-or-later
// A unified diff of a file and its result. The lines both keep are found in three steps: the lines the
// two share at the start and the end; lines that occur once in each, in the longest order both keep
// (patience diff), which a conversion leaves as anchors around each paragraph it changed; and between
// two anchors, the longest common subsequence where the stretch is small. A stretch too large for that
// is shown as removed and added whole: the diff is always right, only not always the shortest.
#include "UnifiedDiff.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace brantlewick::cli {

namespace {

constexpr std::size_t kContext = 3;
// The largest stretch (lines before times lines after) compared line by line: some megabytes of room.
constexpr std::size_t kMostCells = std::size_t{1} << 22;

using Lines = std::vector<std::string_view>;

// Each line with its LF; a last line without one as it is.
Lines SplitLines(std::string_view text) {
    Lines lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// A pair of lines kept: the line `a` of the old text is the line `b` of the new one.
struct Match {
    std::size_t a;
    std::size_t b;
};

class Matcher {
public:
    Matcher(const Lines& a, const Lines& b) {
        // Lines as numbers, so that comparing them costs nothing.
        std::unordered_map<std::string_view, std::uint32_t> numbers;
        for (const Lines* lines : {&a, &b}) {
            std::vector<std::uint32_t>& ids = lines == &a ? a_ : b_;
            for (const std::string_view line : *lines) {
                const auto [it, added] =
                    numbers.try_emplace(line, static_cast<std::uint32_t>(numbers.size()));
                ids.push_back(it->second);
            }
        }
        inA_.assign(numbers.size(), 0);
        inB_.assign(numbers.size(), 0);
    }

    std::vector<Match> Matches() {
        Stretch(0, a_.size(), 0, b_.size(), true);
        return std::move(matches_);
    }

private:
    // Finds the kept lines of a[aFrom, aTo) and b[bFrom, bTo), appending them in order.
    void Stretch(std::size_t aFrom, std::size_t aTo, std::size_t bFrom, std::size_t bTo, bool anchor) {
        while (aFrom < aTo && bFrom < bTo && a_[aFrom] == b_[bFrom]) {
            matches_.push_back({aFrom++, bFrom++});
        }
        std::size_t same = 0;
        while (aTo - same > aFrom && bTo - same > bFrom && a_[aTo - same - 1] == b_[bTo - same - 1]) {
            ++same;
        }
        aTo -= same;
        bTo -= same;
        if (aFrom < aTo && bFrom < bTo) {
            if ((aTo - aFrom) * (bTo - bFrom) <= kMostCells) {
                Common(aFrom, aTo, bFrom, bTo);
            } else if (anchor) {
                Anchors(aFrom, aTo, bFrom, bTo);
            }
        }
        for (std::size_t i = 0; i < same; ++i) {
            matches_.push_back({aTo + i, bTo + i});
        }
    }

    // The lines that occur once in each, in the longest order both keep; each stretch between two of them
    // is compared on its own.
    void Anchors(std::size_t aFrom, std::size_t aTo, std::size_t bFrom, std::size_t bTo) {
        for (std::size_t i = aFrom; i < aTo; ++i) {
            ++inA_[a_[i]];
        }
        std::vector<std::size_t> placeInB(inB_.size(), 0);
        for (std::size_t j = bFrom; j < bTo; ++j) {
            ++inB_[b_[j]];
            placeInB[b_[j]] = j;
        }
        std::vector<Match> once;
        for (std::size_t i = aFrom; i < aTo; ++i) {
            if (inA_[a_[i]] == 1 && inB_[a_[i]] == 1) {
                once.push_back({i, placeInB[a_[i]]});
            }
        }
        std::fill(inA_.begin(), inA_.end(), 0);
        std::fill(inB_.begin(), inB_.end(), 0);
        // The longest run of them whose places in b rise too: patience sorting.
        std::vector<std::size_t> tops;
        std::vector<std::size_t> before(once.size());
        for (std::size_t k = 0; k < once.size(); ++k) {
            const auto pile =
                std::lower_bound(tops.begin(), tops.end(), once[k].b,
                                 [&once](std::size_t top, std::size_t b) { return once[top].b < b; });
            before[k] = pile == tops.begin() ? once.size() : *std::prev(pile);
            if (pile == tops.end()) {
                tops.push_back(k);
            } else {
                *pile = k;
            }
        }
        std::vector<Match> kept;
        for (std::size_t k = tops.empty() ? once.size() : tops.back(); k < once.size(); k = before[k]) {
            kept.push_back(once[k]);
        }
        std::reverse(kept.begin(), kept.end());
        for (const Match& m : kept) {
            Stretch(aFrom, m.a, bFrom, m.b, false);
            matches_.push_back(m);
            aFrom = m.a + 1;
            bFrom = m.b + 1;
        }
        Stretch(aFrom, aTo, bFrom, bTo, false);
    }

    // The longest common subsequence of a small stretch, by the usual table.
    void Common(std::size_t aFrom, std::size_t aTo, std::size_t bFrom, std::size_t bTo) {
        const std::size_t n = aTo - aFrom;
        const std::size_t m = bTo - bFrom;
        // longest[i * (m + 1) + j]: of a[aFrom + i, aTo) and b[bFrom + j, bTo).
        std::vector<std::uint16_t> longest((n + 1) * (m + 1), 0); // no length passes 2,048 in so few cells
        for (std::size_t i = n; i-- > 0;) {
            for (std::size_t j = m; j-- > 0;) {
                longest[i * (m + 1) + j] =
                    a_[aFrom + i] == b_[bFrom + j]
                        ? static_cast<std::uint16_t>(longest[(i + 1) * (m + 1) + j + 1] + 1)
                        : std::max(longest[(i + 1) * (m + 1) + j], longest[i * (m + 1) + j + 1]);
            }
        }
        for (std::size_t i = 0, j = 0; i < n && j < m;) {
            if (a_[aFrom + i] == b_[bFrom + j]) {
                matches_.push_back({aFrom + i++, bFrom + j++});
            } else if (longest[(i + 1) * (m + 1) + j] >= longest[i * (m + 1) + j + 1]) {
                ++i;
            } else {
                ++j;
            }
        }
    }

    std::vector<std::uint32_t> a_;
    std::vector<std::uint32_t> b_;
    std::vector<std::uint32_t> inA_; // by line number: how often it occurs in the stretch
    std::vector<std::uint32_t> inB_;
    std::vector<Match> matches_;
};

// Lines removed, a[aFrom, aTo), and added, b[bFrom, bTo), between lines both keep.
struct Change {
    std::size_t aFrom;
    std::size_t aTo;
    std::size_t bFrom;
    std::size_t bTo;
};

std::vector<Change> Changes(const std::vector<Match>& matches, std::size_t aSize, std::size_t bSize) {
    std::vector<Change> changes;
    std::size_t a = 0;
    std::size_t b = 0;
    for (std::size_t k = 0; k <= matches.size(); ++k) {
        const Match next = k < matches.size() ? matches[k] : Match{aSize, bSize};
        if (next.a > a || next.b > b) {
            changes.push_back({a, next.a, b, next.b});
        }
        a = next.a + 1;
        b = next.b + 1;
    }
    return changes;
}

// "start,count" as diff writes a range: the count left out when it is 1, the start the line before an
// empty range.
std::string Range(std::size_t from, std::size_t to) {
    const std::size_t count = to - from;
    std::string range = std::to_string(count == 0 ? from : from + 1);
    return count == 1 ? range : range + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    if (!line.ends_with('\n')) {
        out += "\n\\ No newline at end of file\n";
    }
}

// One hunk: `changes` with up to three lines of context before and after, not reaching back past
// `previousEnd` nor on to `nextFrom`, where the hunks around begin and end.
void AppendHunk(std::string& out, const Lines& a, const Lines& b, std::span<const Change> changes,
                std::size_t previousEnd, std::size_t nextFrom) {
    const Change& first = changes.front();
    const Change& last = changes.back();
    const std::size_t lead = std::min(kContext, first.aFrom - previousEnd);
    const std::size_t trail = std::min(kContext, nextFrom - last.aTo);
    out += "@@ -" + Range(first.aFrom - lead, last.aTo + trail) + " +" +
           Range(first.bFrom - lead, last.bTo + trail) + " @@\n";
    for (std::size_t i = first.aFrom - lead; i < first.aFrom; ++i) {
        AppendLine(out, ' ', a[i]);
    }
    for (std::size_t k = 0; k < changes.size(); ++k) {
        for (std::size_t i = changes[k].aFrom; i < changes[k].aTo; ++i) {
            AppendLine(out, '-', a[i]);
        }
        for (std::size_t j = changes[k].bFrom; j < changes[k].bTo; ++j) {
            AppendLine(out, '+', b[j]);
        }
        const std::size_t to = k + 1 < changes.size() ? changes[k + 1].aFrom : last.aTo + trail;
        for (std::size_t i = changes[k].aTo; i < to; ++i) {
            AppendLine(out, ' ', a[i]);
        }
    }
}

} // namespace

std::string DiffName(std::string_view name) {
    const bool plain = !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte >= 0x7F || c == '"' || c == '\\';
    });
    if (plain) {
        return std::string(name);
    }
    std::string quoted = "\"";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t named = std::string_view("\"\\\a\b\t\n\v\f\r").find(c);
        if (named != std::string_view::npos) {
            quoted += '\\';
            quoted += "\"\\abtnvfr"[named];
        } else if (byte < ' ' || byte >= 0x7F) {
            quoted += {'\\', static_cast<char>('0' + (byte >> 6)), static_cast<char>('0' + ((byte >> 3) & 7)),
                       static_cast<char>('0' + (byte & 7))};
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view name) {
    if (before == after) {
        return {};
    }
    const std::string shown = DiffName(name);
    // A conversion keeps NUL bytes where they were: UTF-16 and UTF-32 text, and bytes past the part of a
    // file that was looked at for them.
    if (before.find('\0') != std::string_view::npos) {
        return "Binary files " + shown + " and " + shown + " differ\n";
    }
    const Lines a = SplitLines(before);
    const Lines b = SplitLines(after);
    const std::vector<Change> changes = Changes(Matcher(a, b).Matches(), a.size(), b.size());
    std::string out = "--- " + shown + "\n+++ " + shown + "\n";
    for (std::size_t first = 0; first < changes.size();) {
        // Changes whose context would meet go into one hunk.
        std::size_t last = first;
        while (last + 1 < changes.size() && changes[last + 1].aFrom - changes[last].aTo <= 2 * kContext) {
            ++last;
        }
        AppendHunk(out, a, b, std::span(changes).subspan(first, last - first + 1),
                   first > 0 ? changes[first - 1].aTo : 0,
                   last + 1 < changes.size() ? changes[last + 1].aFrom : a.size());
        first = last + 1;
    }
    return out;
}

} // namespace brantlewick::cli
