// SPDX-License-Identifier: GPL-3.0-or-later
// Where sentences end: for each place the stage stops at, whether the text breaks there and where.
#pragma once

#include "sentences/LanguageData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
    const char* at;
    bool breaks;
    bool paragraph = false; // an empty line lies between the two
};

struct Decision {
    std::size_t length = 1; // bytes decided; scanning goes on after them
    std::optional<Boundary> boundary;
    // The line end decided goes where the lines run together, and with it the line's end: what
    // follows reads the text as joined, as a second run does.
    bool joinsLines = false;
};

// The rules' own types, defined in RuleBasics.h.
struct Marker;
struct Next;
struct RunShape;
struct Closers;
enum class WordKind : unsigned char;

class SentenceRules {
public:
    // `lineEndsStay`: the input's line ends are written back after this stage (they separate lines on
    // their own) rather than dropped (a sentence or list item that starts a new line needs a break).
    // `joinLines`: dropped, a line end that is no boundary joins its lines, and the rules read them so.
    // `markupHidden`: markup the rules do not see may stand between a period and the next word.
    SentenceRules(const std::vector<std::string>& entries, const LanguageData& language, bool lineEndsStay,
                  bool joinLines, bool markupHidden);

    // How far either side of a place a decision reads.
    std::size_t Reach() const { return reach_; }
    // Bytes that can start a place worth deciding at; a fast scan passes over all others.
    const std::array<bool, 256>& Triggers() const { return triggers_; }
    // Decides at `at`, a trigger byte inside `window`, whose every earlier place has been decided.
    Decision Decide(const Window& window, const char* at);
    // The `length` bytes at `position` (a line end that joined two lines) left the text: places after
    // them move back.
    void Removed(std::uint64_t position, std::size_t length);
    // Decides by `language`'s words from here on; what the rules remember of the text so far stays.
    void UseLanguage(const LanguageData& language);

private:
    Decision DecideHere(const Window& w, const char* at);
    Decision DecideLineEnd(const Window& w, const char* at);
    std::size_t CandidateLength(const Window& w, const char* at) const;
    std::optional<Boundary> EndAt(const Window& w, const char* at, std::size_t length);
    std::optional<Boundary> DecideRun(const Window& w, const char* runStart, const char* runEnd) const;
    // The run's end; with `joined`, line ends that go where the lines run together are read as gone.
    std::optional<Boundary> DecideRunFrom(const Window& w, const char* runStart, const char* runEnd,
                                          bool joined) const;
    // The closers from `p` on; with `joined`, also over line ends that go.
    Closers ClosersAfter(const Window& w, const char* p, bool joined) const;
    // The run's end, with the closers that follow it.
    std::optional<Boundary> DecideRunBefore(const Window& w, const char* runStart, const char* runEnd,
                                            const Closers& closers) const;
    // "Great :) The staff": an emoticon that ends before `end` ends its sentence where a capital follows.
    std::optional<Boundary> EndAfterEmoticon(const Window& w, const char* end) const;
    // What follows the run and its closers right away is a letter, a digit or a character of a script
    // without spaces.
    bool EndsBeforeWord(const Window& w, const char* runStart, const char* runEnd, const RunShape& shape,
                        const Closers& closers) const;
    // ... a character of a script without spaces.
    bool EndsBeforeCjk(const Window& w, const char* runStart, const RunShape& shape,
                       const Closers& closers) const;
    bool EndsBeforeSpace(const Window& w, const char* runStart, const char* runEnd, const RunShape& shape,
                         const Closers& closers, const Next& next) const;
    // `closed`: quotes or brackets close what the period ends.
    bool PeriodEnds(const Window& w, const char* runStart, const Next& next, bool closed) const;
    // Whether the sentence since the last boundary opened with a short word and a number, as a date
    // does that goes on after its abbreviation: "В 1147 г. Москва".
    bool OpensWithDate(const Window& w) const;
    // "i went home. it was late": a lower-case word starts a sentence after an ordinary word.
    bool LowerCaseStarts(const Window& w, const char* runStart, const Next& next) const;
    WordKind KindOfWordBefore(const Window& w, const char* runStart, const Next& next) const;
    std::optional<WordKind> ListedKind(const Window& w, std::string_view token, const Next& next) const;
    bool NumberEnds(const Window& w, std::string_view number, const Next& next) const;
    // Whether the last sentence end was a period and put its boundary right before the blanks before `p`.
    bool FollowsEnd(const Window& w, const char* p) const;
    // "at school.But then": a lower-case word, the mark and a capitalised typical first word.
    bool MissingSpaceEnds(const Window& w, const char* runStart, const char* after) const;
    // "G. Di Maio": a surname's particle after an initial, before the rest of the name.
    bool NameParticleFollows(const Window& w, const Next& next) const;
    // "Why?" Jenny asked.: after a quote, a name (or "I") and a verb of saying carry the sentence on.
    bool SpeakerFollows(const Window& w, const Next& next) const;
    // "Yahoo!": the run is the mark of a name that is written with it.
    bool IsMarkedName(const Window& w, const char* runStart, const char* runEnd) const;
    // `readWord`: also the word itself and whether it typically starts a sentence.
    Next ReadNext(const Window& w, const char* p, bool readWord = true) const;
    // The kind of mark that may stand before the first word of a sentence at `p`, and where it ends.
    enum class Opener : unsigned char { None, Mark, Dash, Inverted };
    std::pair<Opener, const char*> OpenerAt(const Window& w, const char* p) const;
    bool StartsWithElidedArticle(const Window& w, const char* p) const;
    std::optional<Marker> ParseMarker(const Window& w, const char* start) const;
    // ... once a "." or ")" lies close enough after `start`.
    std::optional<Marker> ReadMarker(const Window& w, const char* start) const;
    static bool StartsLineItem(const Marker& marker);
    // Whether the next item of a list in running text follows within reach, and how.
    enum class Successor : unsigned char { None, Separate, Joined };
    Successor FindSuccessor(const Window& w, const Marker& marker) const;
    // Whether a marker whose blanks before start at `gap` follows a boundary right there and is an item,
    // as it is at the start of the line a second run finds it on.
    bool ItemAfterBoundary(const Window& w, const Marker& marker, const char* gap) const;
    // Whether the "." or ")" at `at` closes a list item's marker; then its boundary, if it needs one.
    bool ListItemEndsAt(const Window& w, const char* at, std::optional<Boundary>& boundary);
    // Whether a marker in the middle of a line starts an item of a list in running text.
    bool StartsRunningItem(const Window& w, const Marker& marker, std::uint64_t position,
                           char32_t before) const;
    std::optional<Boundary> LineEndAt(const Window& w, const char* at) const;
    // Whether the line ending at `lineEnd` is a heading that joined lines would glue to the text after it.
    bool EndsHeading(const Window& w, const char* lineEnd, const char* next) const;
    std::optional<Boundary> BulletAt(const Window& w, const char* at, std::size_t length) const;
    // Notes the input's line end at `at` (`length` bytes), which `joined` two lines or not.
    void NoteLineEnd(const Window& w, const char* at, bool joined, std::size_t length);
    // Whether a bullet or dash that ends right before `p` has text after it on its line, after a blank:
    // a dash needs one ("-v" is no item), a true bullet (`bullet`) does not ("•one").
    bool BulletOpensText(const Window& w, const char* p, bool bullet) const;
    // Whether what starts at `at` opens the text of an item whose bullet or marker starts the line: it
    // stays with them ("1. • one").
    bool OpensItemText(const Window& w, const char* at) const;
    // Whether `p` is a line end that goes: the lines run together and it is no boundary. It then reads
    // as a blank, for one takes its place, unless it lies between two wide characters.
    bool JoinedAt(const Window& w, const char* p) const;
    // Past the line end at `p` when it goes and nothing takes its place; `p` otherwise.
    const char* SkipJoinedLineEnd(const Window& w, const char* p) const;
    const char* SkipBlanksAndJoinedLineEnds(const Window& w, const char* p) const;
    // The boundary before something that starts at `start`, unless nothing but spaces comes before it.
    std::optional<Boundary> BoundaryBefore(const Window& w, const char* start) const;
    Boundary BoundaryAt(const Window& w, const char* at) const;
    // ... where the spaces at `at` hold `lineEnds` line ends.
    Boundary BoundaryAt(const char* at, int lineEnds) const;
    std::optional<Boundary> BoundaryAtTextEnd(const Window& w, const char* at) const;

    std::vector<std::string> entries_; // longest first, ASCII letters folded
    bool period_ = false, question_ = false, exclamation_ = false;
    const LanguageData* language_;
    bool lineEndsStay_;
    bool joinLines_;
    bool markupHidden_;
    // "It is *done.* and then": a small letter after a period starts no sentence when hidden markup
    // may close what the period ends.
    bool lowerCaseStarts_;
    // The line ends whose fate SkipJoinedLineEnd is working out, innermost last.
    mutable std::array<const char*, 8> predicting_{};
    mutable std::size_t depth_ = 0;
    std::size_t reach_;
    std::array<bool, 256> triggers_{};
    std::array<bool, 256> endStarts_{}; // the bytes an entry or a wide end form may begin with
    // The item seen last of each list style ("1.", "a)", "(i)", ...), so that "2." continues "1." in the
    // middle of a line, also after an item of another style: "1. a) x b) y 2. z", or an "I." that a
    // break put at a line start.
    struct SeenItem {
        bool seen = false;
        int value = 0;
        std::uint64_t position = 0;
    };
    std::array<SeenItem, 9> seenItems_{}; // a style is a label (number, letter, roman) and its punctuation
    // Where the last sentence end put its boundary, so that "Done. 2. The next part" knows its "2." opens
    // a sentence: a period before it may be an abbreviation's.
    std::uint64_t lastEnd_ = UINT64_MAX;
    // Where the last boundary of any kind lies. No look back crosses it: a second run finds a line end
    // there where this one may have seen blanks or joined lines, and must decide as this one did.
    std::uint64_t lastBoundary_ = 0;
    // Where the input's current line began, and the widest of the lines the lines running together
    // joined in this paragraph: the width its hard-wrapped text shows, 0 when none.
    std::uint64_t lineStart_ = 0;
    std::ptrdiff_t wrapWidth_ = 0;
    // Where the last title mark 《 or 〈 opened, UINT64_MAX when none has.
    std::uint64_t lastTitleOpener_ = UINT64_MAX;
    // The first byte of `w` that a look back may read: the last boundary, or the window's start.
    const char* Horizon(const Window& w) const;
    // Whether `at` lies inside title marks: 《你好！世界》.
    bool InsideTitle(const Window& w, const char* at) const;
};

} // namespace brantlewick::sentences
