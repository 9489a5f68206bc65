// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over a paragraph's text, left to right as CommonMark reads inlines: code spans, raw HTML and
// autolinks first, then links. Emphasis is prose: a line end inside it reads as the space it replaces,
// for every reader, so only its delimiters are looked at, to hide them from the sentence rules. Where the
// reading is uncertain it shields more, never less: a break that is not made costs a long line, a break in
// the wrong place could change the document.
#include "markdown/Inlines.h"

#include "Sse2.h"
#include "StopScan.h"
#include "brantlewick/base/Utf8.h"
#include "markdown/Syntax.h"

#include <bit>

#include <algorithm>
#include <array>
#include <string_view>

namespace brantlewick::markdown {

namespace {

// Longest link destination and title looked at; a longer one is read as no link (its text is still
// shielded, and a destination has no blanks to break at).
constexpr std::size_t kLongestDestination = 4096;

// Where an inline construct may start.
constexpr std::string_view kSpecialBytes = "\\`<$![]*_~";
constexpr StopBytes kSpecial(kSpecialBytes);

bool IsWhite(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsPunct(char32_t c) {
    if (c < 0x80) {
        return IsAsciiPunctuation(static_cast<char>(c));
    }
    return (c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2010 && c <= 0x2E7F) ||
           (c >= 0x3001 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE6F) || (c >= 0xFF01 && c <= 0xFF0F) ||
           (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

constexpr std::size_t npos = std::string_view::npos;

// The first of `places` (in ascending order) at or after `at`, or npos.
std::size_t NextAfter(const std::vector<std::size_t>& places, std::size_t at) {
    const auto next = std::lower_bound(places.begin(), places.end(), at);
    return next == places.end() ? npos : *next;
}

class InlineReader {
public:
    InlineReader(std::string_view text, InlineMarks& marks)
        : text_(text), marks_(marks), brackets_(marks.brackets), lineEnds_(marks.lineEnds),
          closers_(marks.closers), backtickRuns_(marks.backtickRuns) {
        brackets_.clear();
        lineEnds_.clear();
        backtickRuns_.clear();
        marks_.emphasisEnds.clear();
    }

    void Read() {
#if BRANTLEWICK_SSE2
        const VectorStops<kSpecialBytes.size()> stops(kSpecialBytes);
#else
        const TableStops stops(kSpecial.Table());
#endif
        const char* const begin = text_.data();
        const char* const end = begin + text_.size();
        for (std::size_t i = 0; i < text_.size();) {
            i = static_cast<std::size_t>(FindStop(begin + i, end, stops, kSpecial.Table()) - begin);
            if (i < text_.size()) {
                i = ReadAt(i);
            }
        }
        FootnoteMarkersByBrackets();
        BareLinks("://");
        BareLinks("www.");
    }

private:
    // Reads the construct that may start at `i`; returns where reading goes on.
    std::size_t ReadAt(std::size_t i) {
        switch (text_[i]) {
        case '\\':
            return prose::ReadEscape(text_, i, marks_);
        case '`':
            return CodeSpan(i);
        case '<':
            return AngleBracket(i);
        case '$':
            return Math(i);
        case '!':
            if (i + 1 < text_.size() && text_[i + 1] == '[') {
                brackets_.push_back(i);
                return i + 2;
            }
            return i + 1;
        case '[':
            brackets_.push_back(i);
            return i + 1;
        case ']':
            return CloseBracket(i);
        case '*':
        case '_':
        case '~':
            return DelimiterRun(i);
        default:
            return i + 1;
        }
    }

    std::size_t RunLength(std::size_t i, char c) const {
        std::size_t n = 0;
        while (i + n < text_.size() && text_[i + n] == c) {
            ++n;
        }
        return n;
    }

    void Shield(std::size_t from, std::size_t to, bool verbatim) {
        marks_.shielded.push_back({from, to});
        if (verbatim) {
            marks_.verbatim.push_back({from, to});
        }
    }

    // GitHub's reader takes "[^...]" for a footnote marker by its brackets alone, also where our reading
    // sees math or an image in it ("[^\n$]$", "![^x]"), and loses the marker's text if a line end is
    // inside: such a paragraph is unsure, and no break goes into any other marker.
    void FootnoteMarkersByBrackets() {
        std::size_t any = text_.find('[');
        while (any != std::string_view::npos && !OpensFootnoteMarker(any)) {
            any = text_.find('[', any + 1);
        }
        if (any == std::string_view::npos) {
            return;
        }
        closers_.clear();
        for (std::size_t at = text_.find(']'); at != std::string_view::npos; at = text_.find(']', at + 1)) {
            closers_.push_back(at);
        }
        std::vector<std::size_t>& open = brackets_; // the reading is done with it
        open.clear();
        std::size_t firstMarker = std::string_view::npos;
        for (std::size_t i = text_.find_first_of("[]\\"); i != std::string_view::npos;
             i = text_.find_first_of("[]\\", i + 1)) {
            if (text_[i] == '\\') {
                ++i; // the escaped byte is no bracket
            } else if (text_[i] == '[') {
                open.push_back(i);
                firstMarker = std::min(firstMarker, FootnoteMarkerOpening(i));
            } else if (!open.empty()) {
                const std::size_t from = open.back();
                open.pop_back();
                if (OpensFootnoteMarker(from)) {
                    marks_.unsure = marks_.unsure || NextAfter(LineEnds(), from) < i;
                    Shield(from, i + 1, true);
                }
            }
        }
        // Where a code span, a tag or a link's destination follows a marker before some "]", that reader
        // may count that "]" or not, and so close the marker over a line end that is there or that a
        // break would put there ("[^[]\n![]([y)]", "[^``w`]`. T`]`").
        const std::size_t lastClose = text_.rfind(']');
        if (firstMarker < lastClose) {
            const std::string_view stretch = text_.substr(firstMarker, lastClose - firstMarker);
            marks_.unsure = marks_.unsure || stretch.find_first_of("`<") != std::string_view::npos ||
                            stretch.find("](") != std::string_view::npos;
        }
    }

    // Notes the "[" at `i` if it opens a footnote marker, and returns `i` then, else npos. Brackets in a
    // link's destination do not count for that reader: a line end before the very next "]" may be inside
    // a marker too. So no break goes there either, "]" or not, or a second run would find the paragraph
    // unsure.
    std::size_t FootnoteMarkerOpening(std::size_t i) {
        if (!OpensFootnoteMarker(i)) {
            return npos;
        }
        const std::size_t nextClose = NextAfter(closers_, i);
        marks_.unsure = marks_.unsure || NextAfter(LineEnds(), i) < nextClose;
        Shield(i, nextClose == npos ? text_.size() : nextClose + 1, false);
        return i;
    }

    // Where each line end is, found once a footnote marker needs them.
    const std::vector<std::size_t>& LineEnds() {
        if (!lineEndsKnown_) {
            for (std::size_t at = text_.find('\n'); at != npos; at = text_.find('\n', at + 1)) {
                lineEnds_.push_back(at);
            }
            lineEndsKnown_ = true;
        }
        return lineEnds_;
    }

    // That reader looks for the "^" once escapes and character references are read: "[\^", "[&Hat;" and
    // "[&#94;" may open a marker too.
    bool OpensFootnoteMarker(std::size_t bracket) const {
        const std::string_view rest = text_.substr(bracket + 1);
        return rest.starts_with('^') || rest.starts_with("\\^") || rest.starts_with("&#") ||
               rest.starts_with("&Hat;");
    }

    // A code span ends at the next run of as many backticks. The runs are found once, in order of length
    // and place, so that text with runs of many lengths is not searched once for each.
    std::size_t CodeSpan(std::size_t i) {
        const std::size_t n = RunLength(i, '`');
        if (backtickRuns_.empty()) {
            for (std::size_t at = text_.find('`'); at != std::string_view::npos;) {
                const std::size_t length = RunLength(at, '`');
                backtickRuns_.emplace_back(length, at);
                at = text_.find('`', at + length);
            }
            std::sort(backtickRuns_.begin(), backtickRuns_.end());
        }
        const auto closer =
            std::lower_bound(backtickRuns_.begin(), backtickRuns_.end(), std::make_pair(n, i + n));
        if (closer == backtickRuns_.end() || closer->first != n) {
            return i + n;
        }
        Shield(i, closer->second + n, true);
        marks_.words.push_back({i, closer->second + n});
        return closer->second + n;
    }

    std::size_t AngleBracket(std::size_t i) {
        const std::string_view rest = text_.substr(i);
        std::size_t end = 0;
        if (rest.starts_with("<!--")) {
            end = Find(i + 4, Closer::Comment);
        } else if (rest.starts_with("<![CDATA[")) {
            end = Find(i + 9, Closer::Data);
        } else if (rest.starts_with("<?")) {
            end = Find(i + 2, Closer::Instruction);
        } else if (rest.size() > 2 && rest[1] == '!' && IsAsciiLetter(rest[2])) {
            end = Find(i + 2, Closer::Declaration);
        } else if (const std::size_t link = AutolinkLength(rest)) {
            Shield(i, i + link, true);
            marks_.hidden.push_back({i, i + 1});
            marks_.hidden.push_back({i + link - 1, i + link});
            return i + link;
        } else if (const std::size_t tag = HtmlTagLength(rest)) {
            end = i + tag;
        }
        if (end == 0) {
            return i + 1;
        }
        Shield(i, end, true);
        marks_.hidden.push_back({i, end});
        return end;
    }

    // The ends of the constructs Find() looks for.
    enum class Closer : std::uint8_t { Comment, Data, Instruction, Declaration };
    static constexpr std::array<std::string_view, 4> kClosers = {"-->", "]]>", "?>", ">"};

    // One past the `closer` found from `from` on, or 0. A search that found none is not made again: text
    // full of "<!--" that never closes would be read once for each.
    std::size_t Find(std::size_t from, Closer closer) {
        const auto kind = static_cast<std::size_t>(closer);
        if (from >= noneFrom_.at(kind)) {
            return 0;
        }
        const std::size_t at = text_.find(kClosers.at(kind), from);
        if (at == std::string_view::npos) {
            noneFrom_.at(kind) = from;
            return 0;
        }
        return at + kClosers.at(kind).size();
    }

    static std::size_t AutolinkLength(std::string_view rest) {
        std::size_t at = 1;
        while (at < rest.size() && at < 34 &&
               (IsAsciiLetter(rest[at]) || (at > 1 && (IsAsciiDigit(rest[at]) || rest[at] == '+' ||
                                                       rest[at] == '.' || rest[at] == '-')))) {
            ++at;
        }
        const bool uri = at >= 3 && at < rest.size() && rest[at] == ':';
        bool email = false;
        for (at = 1; at < rest.size() && rest[at] != '>'; ++at) {
            const auto c = static_cast<unsigned char>(rest[at]);
            if (c <= ' ' || c == '<') {
                return 0;
            }
            email = email || c == '@';
        }
        return (uri || email) && at < rest.size() ? at + 1 : 0;
    }

    // Dollar math: "$$" to the next "$$"; "$" to a "$" that follows a non-blank and no digit follows,
    // when a non-blank follows the first (so "$5 and $6" is no math).
    std::size_t Math(std::size_t i) {
        if (text_.substr(i, 2) == "$$") {
            const std::size_t found = noDisplayCloser_ ? std::string_view::npos : text_.find("$$", i + 2);
            const std::size_t end = found == std::string_view::npos ? 0 : found + 2;
            if (end == 0) {
                noDisplayCloser_ = true;
                return i + 2;
            }
            Shield(i, end, true);
            return end;
        }
        if (noInlineCloser_ || i + 1 >= text_.size() || IsWhite(static_cast<unsigned char>(text_[i + 1]))) {
            return i + 1;
        }
        for (std::size_t j = text_.find('$', i + 1); j != std::string_view::npos;
             j = text_.find('$', j + 1)) {
            if (!IsBlank(text_[j - 1]) && text_[j - 1] != '\n' && text_[j - 1] != '\\' &&
                (j + 1 >= text_.size() || !IsAsciiDigit(text_[j + 1]))) {
                Shield(i, j + 1, true);
                return j + 1;
            }
        }
        noInlineCloser_ = true;
        return i + 1;
    }

    std::size_t CloseBracket(std::size_t i) {
        if (brackets_.empty()) {
            return i + 1;
        }
        const std::size_t open = brackets_.back();
        brackets_.pop_back();
        const bool image = text_[open] == '!';
        const std::size_t textStart = open + (image ? 2 : 1);
        if (textStart < text_.size() && text_[textStart] == '^' && !image) {
            Shield(open, i + 1, true); // a footnote marker
            marks_.hidden.push_back({open, i + 1});
            marks_.unsure = marks_.unsure || NextAfter(LineEnds(), open) < i;
            return i + 1;
        }
        std::size_t end = i + 1;
        if (end < text_.size() && text_[end] == '(') {
            end = Destination(end);
        } else if (end < text_.size() && text_[end] == '[') {
            // A label is at most 999 characters long.
            const std::size_t close = text_.substr(0, std::min(text_.size(), end + 1001)).find(']', end);
            end = close == std::string_view::npos ? 0 : close + 1;
        } else {
            Shield(open, i + 1, false); // brackets without a destination: maybe a link, maybe "[sic]"
            return i + 1;
        }
        if (end == 0) {
            Shield(open, i + 1, false);
            return i + 1;
        }
        // An image's description keeps its line ends: docutils, reading MyST, drops one there, where a
        // space would show.
        Shield(open, end, false);
        marks_.verbatim.push_back({image ? open : i, end});
        marks_.hidden.push_back({open, textStart});
        marks_.hidden.push_back({i, end});
        return end;
    }

    // One past the ")" of an inline link's destination and title starting at "(", or 0.
    std::size_t Destination(std::size_t open) const {
        const std::string_view text = text_.substr(0, std::min(text_.size(), open + kLongestDestination));
        std::size_t at = SkipLinkSpace(text, open + 1);
        if (at != std::string_view::npos && at < text.size() && text[at] != ')') {
            at = LinkDestinationEnd(text, at);
            const std::size_t spaced = at == std::string_view::npos ? at : SkipLinkSpace(text, at);
            // A title needs white space before it.
            if (spaced != std::string_view::npos && spaced > at && spaced < text.size() &&
                text[spaced] != ')') {
                at = LinkTitleEnd(text, spaced);
                at = at == std::string_view::npos ? at : SkipLinkSpace(text, at);
            } else {
                at = spaced;
            }
        }
        return at != std::string_view::npos && at < text.size() && text[at] == ')' ? at + 1 : 0;
    }

    std::size_t DelimiterRun(std::size_t i) {
        const char c = text_[i];
        const std::size_t n = RunLength(i, c);
        const char* const end = text_.data() + text_.size();
        const char32_t before = i == 0 ? U'\n' : utf8::DecodeBefore(text_.data(), text_.data() + i).code;
        const char32_t after = i + n >= text_.size() ? U'\n' : utf8::DecodeAt(text_.data() + i + n, end).code;
        const bool left = !IsWhite(after) && (!IsPunct(after) || IsWhite(before) || IsPunct(before));
        const bool right = !IsWhite(before) && (!IsPunct(before) || IsWhite(after) || IsPunct(after));
        if (left || right) {
            marks_.hidden.push_back({i, i + n});
        }
        // Which runs close emphasis, counted as delimiters open and closed; "_" within a word neither
        // opens nor closes.
        std::size_t& open = c == '*' ? openStars_ : openUnderscores_;
        const bool opens = left && (c == '*' || !right || IsPunct(before));
        const bool closes = right && (c == '*' || !left || IsPunct(after));
        if (closes && open > 0) {
            marks_.emphasisEnds.push_back(i + n);
            open -= std::min(open, n);
        } else if (opens) {
            open += n;
        }
        return i + n;
    }

    // The next `needle` (up to four bytes) from `from` on: 16 places at a time, one compare per byte of
    // the needle, where a search for its first byte would stop at every "w" of a text.
    std::size_t Search(std::string_view needle, std::size_t from) const {
#if BRANTLEWICK_SSE2
        for (; from + 16 + needle.size() <= text_.size(); from += 16) {
            __m128i hits = _mm_set1_epi8(-1);
            for (std::size_t k = 0; k < needle.size(); ++k) {
                const __m128i bytes =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + from + k));
                hits = _mm_and_si128(hits, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(needle[k])));
            }
            if (const int mask = _mm_movemask_epi8(hits)) {
                return from + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
            }
        }
#endif
        return text_.find(needle, from);
    }

    // Bare links as the GitHub reader finds them: "www.", "http://", "https://" up to a blank or "<".
    // Found after the rest, by their few fixed bytes; shielding twice does no harm.
    void BareLinks(std::string_view mark) {
        for (std::size_t at = Search(mark, 0); at != std::string_view::npos; at = Search(mark, at + 1)) {
            std::size_t start = at;
            if (mark == "://") {
                while (start > 0 && IsAsciiLetter(text_[start - 1])) {
                    --start;
                }
                const std::string_view scheme = text_.substr(start, at - start);
                if (scheme != "http" && scheme != "https" && scheme != "HTTP" && scheme != "HTTPS") {
                    continue;
                }
            }
            if (start > 0 && !IsWhite(static_cast<unsigned char>(text_[start - 1])) &&
                std::string_view("*_~(").find(text_[start - 1]) == std::string_view::npos) {
                continue;
            }
            std::size_t end = at;
            while (end < text_.size() && !IsBlank(text_[end]) && text_[end] != '\n' && text_[end] != '<') {
                ++end;
            }
            Shield(start, end, true);
            at = end;
        }
    }

    std::string_view text_;
    InlineMarks& marks_;
    std::vector<std::size_t>& brackets_;
    std::vector<std::size_t>& lineEnds_;
    bool lineEndsKnown_ = false;
    std::vector<std::size_t>& closers_; // where each "]" is, once a footnote marker needs them
    std::vector<std::pair<std::size_t, std::size_t>>&
        backtickRuns_; // (length, place), once a code span needs them
    std::array<std::size_t, kClosers.size()> noneFrom_ = {npos, npos, npos, npos};
    bool noDisplayCloser_ = false;
    bool noInlineCloser_ = false;
    std::size_t openStars_ = 0;
    std::size_t openUnderscores_ = 0;
};

} // namespace

void ReadInlines(std::string_view text, InlineMarks& marks) {
    marks.Clear();
    InlineReader(text, marks).Read();
    prose::Normalize(marks.shielded);
    prose::Normalize(marks.verbatim);
    prose::Normalize(marks.hidden);
}

} // namespace brantlewick::markdown
