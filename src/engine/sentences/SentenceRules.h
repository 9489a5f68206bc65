// SPDX-License-Identifier: GPL-3.0-or-later
// Where sentences end: for each place the stage stops at, whether the text breaks there and where.
#pragma once

#include "sentences/LanguageData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brantlewick::sentences {

// The bytes one decision may read: a fixed stretch either side of the place it decides, clipped only by
// the text's own start and end. Nothing outside it counts, so where a chunk happens to end never
// changes a decision.
struct Window {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool beginIsTextStart = false;
    bool endIsTextEnd = false;
    std::uint64_t position = 0; // of `begin` in the whole text
};

// A break between two sentences: the breaks go at `at` (unless a line end between the two stays and
// is break enough), and every blank from there up to the next sentence's first character is dropped.
struct Boundary {
    const char* at = nullptr;
    bool breaks = true;
};

struct Decision {
    std::size_t length = 1; // bytes decided; scanning goes on after them
    std::optional<Boundary> boundary;
};

class SentenceRules {
public:
    // `lineEndsStay`: the input's line ends are written back after this stage (they separate lines on
    // their own) rather than dropped (a sentence or list item that starts a new line needs a break).
    SentenceRules(const std::vector<std::string>& entries, const LanguageData& language, bool lineEndsStay);

    // How far either side of a place a decision reads.
    std::size_t Reach() const { return reach_; }
    // Bytes that can start a place worth deciding at; a fast scan passes over all others.
    const std::array<bool, 256>& Triggers() const { return triggers_; }
    // Decides at `at`, a trigger byte inside `window`, whose every earlier place has been decided.
    Decision Decide(const Window& window, const char* at);

private:
    struct Marker; // a list item's number, letter or bullet
    struct Next;   // what follows the blanks after an end
    enum class Kind : unsigned char;

    std::size_t CandidateLength(const Window& w, const char* at) const;
    std::optional<Boundary> EndAt(const Window& w, const char* at, std::size_t length);
    std::optional<Boundary> DecideRun(const Window& w, const char* runStart, const char* runEnd);
    bool PeriodEnds(const Window& w, const char* runStart, const Next& next) const;
    Kind KindOfWordBefore(const Window& w, const char* runStart, const Next& next) const;
    // `readWord`: also the word itself and whether it typically starts a sentence.
    Next ReadNext(const Window& w, const char* p, bool readWord = true) const;
    std::optional<Marker> ParseMarker(const Window& w, const char* start) const;
    static bool StartsLineItem(const Marker& marker);
    // Whether the next item of a list in running text follows within reach, and how.
    enum class Successor : unsigned char { None, Separate, Joined };
    Successor FindSuccessor(const Window& w, const Marker& marker) const;
    // Whether the "." or ")" at `at` closes a list item's marker; then its boundary, if it needs one.
    bool ListItemEndsAt(const Window& w, const char* at, std::optional<Boundary>& boundary);
    std::optional<Boundary> LineEndAt(const Window& w, const char* at) const;
    std::optional<Boundary> BulletAt(const Window& w, const char* at, std::size_t length) const;
    // The boundary before something that starts at `start`, unless nothing but spaces comes before it.
    std::optional<Boundary> BoundaryBefore(const Window& w, const char* start) const;
    Boundary BoundaryAt(const Window& w, const char* at) const;

    std::vector<std::string> entries_; // longest first, ASCII letters folded
    bool period_ = false, question_ = false, exclamation_ = false;
    const LanguageData& language_;
    bool lineEndsStay_;
    std::size_t reach_;
    std::array<bool, 256> triggers_{};
    // The list item seen last, so that "2." continues "1." in the middle of a line.
    int lastItemStyle_ = -1;
    int lastItemValue_ = 0;
    std::uint64_t lastItemPosition_ = 0;
};

} // namespace brantlewick::sentences
