// SPDX-License-Identifier: GPL-3.0-or-later
// Re-breaking a paragraph: the sentence stage finds the ends in a view of the text without its markup;
// each end becomes a line break only where it replaces blanks outside every shielded span and the new
// line cannot be read as the start of another block.
#include "prose/ParagraphBreaker.h"

#include "Sse2.h"
#include "brantlewick/base/Utf8.h"

#include <algorithm>
#include <bit>

namespace brantlewick::prose {

namespace {

// The last code point of `text` that is not blank, or 0.
char32_t LastLetter(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return utf8::DecodeBefore(text.data(), text.data() + text.size()).code;
}

char32_t FirstLetter(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return utf8::DecodeAt(text.data(), text.data() + text.size()).code;
}

// Scripts written without spaces between words: a line end between two of their characters reads as
// nothing, where a space would show.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c < 0x1200) || (c >= 0x2E80 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4) ||
           (c >= 0xF900 && c < 0xFB00) || (c >= 0xFE30 && c < 0xFE50) || (c >= 0xFF00 && c < 0xFFF0) ||
           (c >= 0x20000 && c < 0x40000);
}

// A line end between two such characters shows as nothing, as browsers render it (Korean, which is written
// with spaces, aside).
bool ShowsAsNothing(char32_t c) {
    const bool hangul =
        (c >= 0x1100 && c < 0x1200) || (c >= 0x3130 && c < 0x3190) || (c >= 0xAC00 && c < 0xD7A4);
    return IsWide(c) && !hangul;
}

// The first tab, line end, or space followed by white space, from `p` on: where white space is more
// than one space. Sixteen bytes at a time.
const char* FindWhiteRun(const char* p, const char* end) {
#if BRANTLEWICK_SSE2
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineEnd = _mm_set1_epi8('\n');
    for (; end - p >= 17; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i other = _mm_or_si128(_mm_cmpeq_epi8(here, tab), _mm_cmpeq_epi8(here, lineEnd));
        const __m128i white =
            _mm_or_si128(_mm_cmpeq_epi8(next, space),
                         _mm_or_si128(_mm_cmpeq_epi8(next, tab), _mm_cmpeq_epi8(next, lineEnd)));
        const __m128i hits = _mm_or_si128(other, _mm_and_si128(_mm_cmpeq_epi8(here, space), white));
        if (const int mask = _mm_movemask_epi8(hits)) {
            return p + std::countr_zero(static_cast<unsigned>(mask));
        }
    }
#endif
    for (; p != end; ++p) {
        if (*p == '\t' || *p == '\n' ||
            (*p == ' ' && p + 1 != end && (p[1] == ' ' || p[1] == '\t' || p[1] == '\n'))) {
            return p;
        }
    }
    return end;
}

// Whether `text` starts with a number and a "." or ")" that no digit follows ("1.~", "2)"). The sentence
// rules read one at a line start as a list item and in the middle of a line perhaps as a sentence of its
// own: a cut put before one would make a second run decide differently.
bool StartsWithItemNumber(std::string_view text) {
    const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    return digits > 0 && digits < text.size() && (text[digits] == '.' || text[digits] == ')') &&
           !(digits + 1 < text.size() && IsAsciiDigit(text[digits + 1]));
}

// Spaces, tabs and line ends in `text`, sixteen bytes at a time.
std::size_t CountWhite(std::string_view text) {
    std::size_t white = 0;
    std::size_t at = 0;
#if BRANTLEWICK_SSE2
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineEnd = _mm_set1_epi8('\n');
    const __m128i one = _mm_set1_epi8(1);
    // Each piece's hits summed across its bytes into two 64-bit counts: no popcount instruction is
    // needed, which the oldest x86-64 processors lack.
    __m128i sums = _mm_setzero_si128();
    for (; at + 16 <= text.size(); at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, space),
                         _mm_or_si128(_mm_cmpeq_epi8(bytes, tab), _mm_cmpeq_epi8(bytes, lineEnd)));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_and_si128(hits, one), _mm_setzero_si128()));
    }
    white += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
#endif
    for (; at < text.size(); ++at) {
        white += IsBlank(text[at]) || text[at] == '\n' ? 1 : 0;
    }
    return white;
}

// Longest prefix a new line may take (quote markers, indentation): past it, the line is not cut, so that
// a result never outgrows its input by more than short prefixes and line ends.
constexpr std::size_t kLongestLead = 64;

bool Overlaps(const std::vector<Span>& spans, std::size_t from, std::size_t to) {
    // The spans are in order and apart: the last one starting before `to` is the only candidate.
    const auto after = std::lower_bound(spans.begin(), spans.end(), to,
                                        [](const Span& s, std::size_t at) { return s.from < at; });
    return after != spans.begin() && std::prev(after)->to > from;
}

} // namespace

void ParagraphBreaker::ReadText() {
    text_.clear();
    lineStart_.clear();
    for (const Paragraph::Line& line : paragraph_.lines) {
        if (!lineStart_.empty()) {
            text_ += '\n';
        }
        lineStart_.push_back(text_.size());
        text_.append(paragraph_.raw, line.text, line.end - line.text);
    }
}

std::size_t ParagraphBreaker::LineEndAfter(std::size_t at) const {
    const std::size_t line = LineOf(at);
    return line + 1 < lineStart_.size() ? lineStart_[line + 1] - 1 : text_.size();
}

std::size_t ParagraphBreaker::LineOf(std::size_t at) const {
    return static_cast<std::size_t>(std::upper_bound(lineStart_.begin(), lineStart_.end(), at) -
                                    lineStart_.begin() - 1);
}

std::size_t ParagraphBreaker::TextAt(std::size_t viewAt) const {
    const auto run =
        std::prev(std::upper_bound(viewMap_.begin(), viewMap_.end(), std::make_pair(viewAt, text_.size())));
    return run->second + (viewAt - run->first);
}

void ParagraphBreaker::Trim() {
    // A long paragraph's room is given back: a holder kept for every paragraph held would keep that
    // much room each. (Assigning an empty string would keep the room.)
    constexpr std::size_t kKeptRoom = std::size_t{64} * 1024;
    if (paragraph_.raw.capacity() > kKeptRoom) {
        std::string().swap(paragraph_.raw);
        std::vector<Paragraph::Line>().swap(paragraph_.lines);
    }
    if (text_.capacity() > kKeptRoom) {
        std::string().swap(text_);
        lineStart_ = std::vector<std::size_t>();
        runStart_ = std::vector<std::size_t>();
        joinable_ = std::vector<bool>();
        syntax_->Trim();
        viewMap_ = std::vector<std::pair<std::size_t, std::size_t>>();
        ends_ = std::vector<std::size_t>();
        changes_ = std::vector<Change>();
    }
}

void ParagraphBreaker::Take(Paragraph& paragraph, std::string_view otherEnd) {
    std::swap(paragraph_, paragraph);
    paragraph.Clear();
    otherEnd_.assign(otherEnd);
    ends_.clear();
    if (paragraph_.keep) {
        asIs_ = true;
        substance_ = paragraph_.raw.size(); // it stays as it is, so any measure does
        return;
    }
    ReadText();
    substance_ = text_.size() - CountWhite(text_);
    asIs_ = !choices_.join && !choices_.breaks;
    if (asIs_) {
        return;
    }
    marks_ = &syntax_->Read(text_);
    HideFixedLines();
    asIs_ = marks_->unsure;
    joinable_.assign(lineStart_.size(), false);
    runStart_.assign(lineStart_.size(), 0);
    for (std::size_t line = 0; line < lineStart_.size(); ++line) {
        runStart_[line] = line > 0 && joinable_[line - 1] ? runStart_[line - 1] : line;
        joinable_[line] = choices_.join && line + 1 < lineStart_.size() && Joinable(line);
    }
}

bool ParagraphBreaker::Joinable(std::size_t line) const {
    const Paragraph::Line& next = paragraph_.lines[line + 1];
    if (paragraph_.lines[line].fixed || next.fixed || next.apart) {
        return false;
    }
    const std::size_t end = lineStart_[line + 1] - 1;
    const std::string_view before(text_.data() + lineStart_[line], end - lineStart_[line]);
    const std::size_t nextEnd = line + 2 < lineStart_.size() ? lineStart_[line + 2] - 1 : text_.size();
    const std::string_view after(text_.data() + end + 1, nextEnd - end - 1);
    // No space goes between two characters of a script written without them.
    if (IsWide(LastLetter(before)) && IsWide(FirstLetter(after))) {
        return false;
    }
    if (syntax_->KeepsLineEnd(before, after, runStart_[line] == line)) {
        return false;
    }
    return !Overlaps(marks_->verbatim, end, end + 1);
}

std::string_view ParagraphBreaker::LineText(std::size_t line) const {
    const std::size_t end = line + 1 < lineStart_.size() ? lineStart_[line + 1] - 1 : text_.size();
    return std::string_view(text_).substr(lineStart_[line], end - lineStart_[line]);
}

std::string ParagraphBreaker::LeadOf(std::size_t line) const {
    // A further line's markers are what it continues its containers with, in its own way: a lazy line
    // (without its block quote's ">") stays one, since not every reader takes a ">" back up where one
    // was left out.
    if (line == 0 || paragraph_.lazy) {
        return paragraph_.continuation + syntax_->Hang(LineText(line));
    }
    const Paragraph::Line& before = paragraph_.lines[line - 1];
    const std::size_t start = before.end + before.terminator;
    return paragraph_.raw.substr(start, paragraph_.lines[line].text - start) + syntax_->Hang(LineText(line));
}

void ParagraphBreaker::HideFixedLines() {
    bool any = false;
    for (std::size_t line = 0; line < lineStart_.size(); ++line) {
        if (paragraph_.lines[line].fixed && !paragraph_.lines[line].shown) {
            const std::string_view text = LineText(line);
            marks_->hidden.push_back({lineStart_[line], lineStart_[line] + text.size()});
            any = true;
        }
    }
    if (any) {
        Normalize(marks_->hidden); // a fixed line may hold markup of its own, or lie inside a span
    }
}

void ParagraphBreaker::AppendView(std::string& view) {
    viewMap_.clear();
    if (asIs_ || !choices_.breaks) {
        viewEnd_ = view.size();
        return;
    }
    bool blank = false;
    std::size_t at = 0;
    auto hidden = marks_->hidden.begin();
    auto word = marks_->words.begin();
    while (at < text_.size()) {
        const bool wordNext =
            word != marks_->words.end() && (hidden == marks_->hidden.end() || word->from < hidden->from);
        const Span* next = wordNext ? &*word : hidden != marks_->hidden.end() ? &*hidden : nullptr;
        const std::size_t stop = next == nullptr ? text_.size() : std::max(at, next->from);
        if (stop > at) {
            AppendRun(at, stop, blank, view);
        }
        if (next == nullptr) {
            break;
        }
        if (wordNext) {
            // One capitalised word of the span's length, so that a sentence may start with one ("`ls`
            // lists files.") and none ends inside it.
            viewMap_.emplace_back(view.size(), stop);
            view += 'X';
            view.append(std::max(next->to, stop + 1) - stop - 1, 'x');
            blank = false;
            ++word;
        } else {
            ++hidden;
        }
        at = std::max(at, next->to);
    }
    viewEnd_ = view.size();
}

void ParagraphBreaker::AppendRun(std::size_t from, std::size_t to, bool& blank, std::string& view) {
    // White space reads as one space however much there is: a result, its blanks made a break or its
    // lines joined, must read as the text it came from. A line end that stays reads as a line end; one
    // inside a shielded span reads as a space too, since no break goes there anyway.
    bool mapped = false;
    for (std::size_t t = from; t < to;) {
        // Prose is mostly words apart by single spaces, which go as they are.
        const bool collapses = blank && (IsBlank(text_[t]) || text_[t] == '\n');
        const std::size_t plain =
            collapses
                ? t
                : static_cast<std::size_t>(FindWhiteRun(text_.data() + t, text_.data() + to) - text_.data());
        if (plain > t) {
            if (!mapped) {
                viewMap_.emplace_back(view.size(), t);
                mapped = true;
            }
            view.append(text_, t, plain - t);
            blank = text_[plain - 1] == ' ';
            t = plain;
            continue;
        }
        const bool soft = text_[t] != '\n' || joinable_[LineOf(t)] || Overlaps(marks_->shielded, t, t + 1);
        if (soft && blank) {
            ++t;
            mapped = false;
            continue;
        }
        if (!mapped) {
            viewMap_.emplace_back(view.size(), t);
            mapped = true;
        }
        view += soft ? ' ' : '\n';
        blank = soft;
        ++t;
    }
}

bool ParagraphBreaker::Soft(std::size_t at) const {
    if (IsBlank(text_[at])) {
        return true;
    }
    if (text_[at] != '\n') {
        return false;
    }
    const auto line = static_cast<std::size_t>(std::upper_bound(lineStart_.begin(), lineStart_.end(), at) -
                                               lineStart_.begin() - 1);
    return joinable_[line];
}

bool ParagraphBreaker::Accept(std::size_t lineStart, std::size_t from, std::size_t to) {
    if (from == 0 || to >= text_.size()) {
        return false;
    }
    // Where no blank follows the end, a line end may go only between two characters of the scripts
    // written without spaces, where readers show it as nothing ("。次"); not where markup is beside it,
    // whose meaning a line end could change.
    if (from == to && !(ShowsAsNothing(LastLetter(std::string_view(text_).substr(0, from))) &&
                        ShowsAsNothing(FirstLetter(std::string_view(text_).substr(to))))) {
        return false;
    }
    // The line before must not end in a backslash (a hard break), nor the new one start on a line end.
    if (text_[from - 1] == '\\' || text_[from - 1] == '\n' || text_[to] == '\n') {
        return false;
    }
    if (Overlaps(marks_->shielded, from, to) || !syntax_->MayBreak(from, to)) {
        return false;
    }
    // Never inside a fixed line, nor in a line's indentation or what a format adds to it (a definition's
    // marker); nor where the new line would start with more than a short prefix.
    const std::size_t line = LineOf(from);
    if (paragraph_.lines[line].fixed || paragraph_.lines[LineOf(to)].fixed ||
        from < lineStart_[line] + syntax_->Hang(LineText(line)).size() ||
        LeadOf(runStart_[line]).size() > kLongestLead) {
        return false;
    }
    // The line is the one written: it starts after the last break or the last line end that stays. Each
    // of a long line's sentence ends asks about the same line: it is looked at once.
    const std::size_t written = std::max(lineStart_[runStart_[LineOf(from)]], lineStart);
    if (written != writtenLine_) {
        writtenLine_ = written;
        writtenLineFixed_ =
            !syntax_->MayCut(std::string_view(text_).substr(written, LineEndAfter(written) - written));
    }
    if (writtenLineFixed_ || !syntax_->MayEndLine(std::string_view(text_).substr(written, from - written))) {
        return false;
    }
    const std::size_t lineEnd = LineEndAfter(to);
    const std::string_view next = std::string_view(text_).substr(to, lineEnd - to);
    // The rules read the text without its markup: "~0." after a cut reads as "0.".
    return syntax_->MayStartLine(next) && !StartsWithItemNumber(SeenFrom(to, lineEnd));
}

std::string ParagraphBreaker::SeenFrom(std::size_t at, std::size_t end) const {
    constexpr std::size_t kEnough = 15; // for an item number, and no allocation
    std::string seen;
    auto hidden = std::lower_bound(marks_->hidden.begin(), marks_->hidden.end(), at,
                                   [](const Span& span, std::size_t place) { return span.to <= place; });
    while (at < end && seen.size() < kEnough) {
        if (hidden != marks_->hidden.end() && hidden->from <= at) {
            at = hidden->to;
            ++hidden;
            continue;
        }
        const std::size_t stop =
            std::min({end, hidden == marks_->hidden.end() ? end : hidden->from, at + kEnough - seen.size()});
        seen.append(text_, at, stop - at);
        at = stop;
    }
    return seen;
}

void ParagraphBreaker::PlanChanges() {
    changes_.clear();
    PlanBreaks();
    if (!choices_.join) {
        return;
    }
    // The joined line ends outside the breaks, each with the blanks around it, become one space.
    const std::size_t breaks = changes_.size();
    std::size_t next = 0; // the first break that does not end before the line end
    for (std::size_t line = 0; line + 1 < lineStart_.size(); ++line) {
        const std::size_t end = lineStart_[line + 1] - 1;
        while (next < breaks && changes_[next].to <= end) {
            ++next;
        }
        if (joinable_[line] && (next == breaks || changes_[next].from > end)) {
            changes_.push_back(JoinAt(line));
        }
    }
    std::inplace_merge(changes_.begin(), changes_.begin() + static_cast<std::ptrdiff_t>(breaks),
                       changes_.end(), [](const Change& a, const Change& b) { return a.from < b.from; });
}

void ParagraphBreaker::PlanBreaks() {
    std::size_t done = 0;
    writtenLine_ = std::string::npos;
    for (const std::size_t v : ends_) {
        if (v >= viewEnd_ || viewMap_.empty() || v < viewMap_.front().first) {
            continue;
        }
        // The blanks around the end, line ends that are joined included.
        std::size_t from = TextAt(v);
        std::size_t to = from;
        while (from > done && Soft(from - 1)) {
            --from;
        }
        while (to < text_.size() && Soft(to)) {
            ++to;
        }
        if (from >= done && Accept(done, from, to)) {
            changes_.push_back({from, to, true});
            done = to;
        }
    }
}

ParagraphBreaker::Change ParagraphBreaker::JoinAt(std::size_t line) const {
    const std::size_t end = lineStart_[line + 1] - 1;
    std::size_t from = end;
    std::size_t to = end + 1;
    while (from > lineStart_[line] && IsBlank(text_[from - 1])) {
        --from;
    }
    while (to < text_.size() && IsBlank(text_[to])) {
        ++to;
    }
    return {from, to, false};
}

std::string_view ParagraphBreaker::LineEndOf(std::size_t line) const {
    for (std::size_t l = line + 1; l-- > 0;) {
        const Paragraph::Line& at = paragraph_.lines[l];
        if (at.terminator > 0) {
            return std::string_view(paragraph_.raw).substr(at.end, at.terminator);
        }
    }
    return otherEnd_;
}

void ParagraphBreaker::WriteText(std::size_t from, std::size_t to, OutputSink& out) {
    // A line's text is in `raw` as it is; the "\n" after it stands for its line end and the next
    // line's quote markers and indentation.
    auto line = static_cast<std::size_t>(std::upper_bound(lineStart_.begin(), lineStart_.end(), from) -
                                         lineStart_.begin() - 1);
    const std::string_view raw(paragraph_.raw);
    while (from < to) {
        const Paragraph::Line& l = paragraph_.lines[line];
        const std::size_t lineEnd = line + 1 < lineStart_.size() ? lineStart_[line + 1] - 1 : text_.size();
        const std::size_t upTo = std::min(to, lineEnd);
        out.Append(raw.substr(l.text + (from - lineStart_[line]), upTo - from));
        from = upTo;
        if (from < to && from == lineEnd) {
            const std::size_t next = paragraph_.lines[line + 1].text;
            out.Append(raw.substr(l.end, next - l.end));
            ++from;
            ++line;
        }
    }
}

void ParagraphBreaker::Write(OutputSink& out, Stage::Counts& counts) {
    const Paragraph& paragraph = paragraph_;
    counts.terminatorsOut += paragraph.lines.size() - (paragraph.lines.back().terminator == 0 ? 1 : 0);
    if (asIs_) {
        out.Append(paragraph.raw);
        return;
    }
    PlanChanges();
    out.Append(std::string_view(paragraph.raw).substr(0, paragraph.lines.front().text));
    std::size_t at = 0;
    for (const Change& change : changes_) {
        WriteText(at, change.from, out);
        if (change.lineBreak) {
            const auto blanks = static_cast<std::uint64_t>(
                std::count_if(text_.begin() + static_cast<std::ptrdiff_t>(change.from),
                              text_.begin() + static_cast<std::ptrdiff_t>(change.to), IsBlank));
            if (out.Marking()) {
                out.Mark(Edit::Kind::Breaks, out.Written(), 1);
            }
            out.Append(LineEndOf(LineOf(change.from)));
            out.Append(LeadOf(runStart_[LineOf(change.from)]));
            // Marked after the continuation, where the preview finds the sentence again.
            if (out.Marking() && blanks > 0) {
                out.Mark(Edit::Kind::Blanks, out.Written(), blanks);
            }
            ++counts.breaksInserted;
            ++counts.terminatorsOut;
            counts.spacesDropped += blanks;
        } else {
            out.Append(" ");
        }
        counts.terminatorsOut -= static_cast<std::uint64_t>(
            std::count(text_.begin() + static_cast<std::ptrdiff_t>(change.from),
                       text_.begin() + static_cast<std::ptrdiff_t>(change.to), '\n'));
        at = change.to;
    }
    WriteText(at, text_.size(), out);
    const Paragraph::Line& last = paragraph.lines.back();
    out.Append(std::string_view(paragraph.raw).substr(last.end, last.terminator));
}

} // namespace brantlewick::prose
