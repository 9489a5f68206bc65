// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting the text into lines, gathering paragraphs, and writing everything else through.
//
// Paragraphs are held and their sentence ends found many at a time. When to stop holding depends only
// on what a conversion does not change (how many paragraphs, their bytes other than blanks and line
// ends, the bytes between them), so that a converted text is held in the same groups again and stays
// as it is; and never on where a chunk ends.
#include "prose/ProseStage.h"

#include "StopScan.h"
#include "brantlewick/base/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace brantlewick::prose {

namespace {

constexpr std::size_t kMostParagraphsHeld = 256;
constexpr std::size_t kMostSubstanceHeld = std::size_t{64} * 1024;
constexpr std::size_t kMostPassedHeld = std::size_t{64} * 1024;
// Blanks do not count above, and a paragraph may hold many: this bounds memory whatever they hold.
constexpr std::size_t kMostBytesHeld = std::size_t{4} * 1024 * 1024;

// How many bytes `a` and `b` start with alike, eight at a time.
std::size_t CommonPrefix(std::string_view a, std::string_view b) {
    const std::size_t size = std::min(a.size(), b.size());
    std::size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a.data() + at, 8);
        std::memcpy(&y, b.data() + at, 8);
        if (x != y) {
            break;
        }
    }
    while (at < size && a[at] == b[at]) {
        ++at;
    }
    return at;
}

} // namespace

ProseStage::ProseStage(SentenceOptions sentences, BreakChoices choices)
    : choices_(choices), sentences_(std::move(sentences)) {}

ProseStage::~ProseStage() = default;

void ProseStage::WriteAsIs(std::string_view bytes, OutputSink& out) {
    if (held_ == 0) {
        out.Append(bytes);
        return;
    }
    if (!pieces_.empty() && pieces_.back().paragraph == nullptr) {
        pieces_.back().to += bytes.size();
    } else {
        pieces_.push_back({nullptr, passed_.size(), passed_.size() + bytes.size()});
    }
    passed_.append(bytes);
    heldBytes_ += bytes.size();
    if (passed_.size() >= kMostPassedHeld) {
        Flush(out);
    }
}

void ProseStage::Feed(std::string_view chunk, OutputSink& out) {
    if (givenUp_) {
        CountAsIs(chunk);
        out.Append(chunk);
        return;
    }
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    if (afterCarriageReturn_ && p != end) {
        p = EndPendingLine(*p == '\n', p, out);
    }
    while (p != end && !givenUp_) {
        const char* lineEnd = FindLineEnd(p, end);
        if (lineEnd == end || (*lineEnd == '\r' && lineEnd + 1 == end)) {
            line_.append(p, end);
            afterCarriageReturn_ = lineEnd != end;
            if (line_.size() - (afterCarriageReturn_ ? 1 : 0) > kLongestParagraph) {
                // A line this long is no document anybody reads as such; what follows may be anything.
                const std::string line = std::move(line_);
                line_.clear();
                Drain(out);
                GiveUp(line, out);
            }
            return;
        }
        const std::size_t terminator = *lineEnd == '\r' && lineEnd[1] == '\n' ? 2 : 1;
        const char* const next = lineEnd + terminator;
        if (line_.empty()) {
            TakeLine(std::string_view(p, static_cast<std::size_t>(next - p)), terminator, out);
        } else {
            line_.append(p, next);
            const std::string line = std::move(line_);
            line_.clear();
            TakeLine(line, terminator, out);
        }
        p = next;
    }
    if (givenUp_ && p != end) {
        Feed(std::string_view(p, static_cast<std::size_t>(end - p)), out);
    }
}

const char* ProseStage::EndPendingLine(bool pair, const char* p, OutputSink& out) {
    // The CR that ended the last chunk: a line end of its own, or the start of a CR LF pair.
    afterCarriageReturn_ = false;
    if (pair) {
        line_ += '\n';
        ++p;
    }
    const std::string line = std::move(line_);
    line_.clear();
    TakeLine(line, pair ? 2 : 1, out);
    return p;
}

void ProseStage::CountAsIs(std::string_view bytes) {
    for (const char c : bytes) {
        const bool end = c == '\r' || (c == '\n' && !afterCarriageReturn_);
        counts_.terminatorsIn += end ? 1 : 0;
        counts_.terminatorsOut += end ? 1 : 0;
        afterCarriageReturn_ = c == '\r';
    }
}

void ProseStage::GiveUp(std::string_view line, OutputSink& out) {
    paragraph_.keep = true;
    EndParagraph(out);
    Flush(out);
    afterCarriageReturn_ = false;
    CountAsIs(line);
    out.Append(line);
    givenUp_ = true;
}

void ProseStage::TakeNow(std::string_view line, std::size_t terminator, OutputSink& out) {
    if (line.size() - terminator > kLongestParagraph || !utf8::IsValid(line)) {
        // A line this long is no document anybody reads as such. And readers reject a code fence, a tag
        // or a link whose text is no UTF-8 where they take it with the same bytes in UTF-8. Past either,
        // the structure is no longer known for sure.
        GiveUp(line, out);
        return;
    }
    if (terminator > 0) {
        ++counts_.terminatorsIn;
        lastLineEnd_.assign(line.substr(line.size() - terminator));
    }
    const std::string_view text = line.substr(0, line.size() - terminator);
    const LineReading reading = ReadLine(text);
    paragraph_.keep = paragraph_.keep || reading.keepBefore;
    switch (reading.role) {
    case LineRole::ParagraphStart:
        EndParagraph(out);
        paragraph_.continuation = reading.continuation;
        paragraph_.lazy = reading.lazy;
        break;
    case LineRole::Continuation:
        if (paragraphTooLong_) {
            WriteAsIs(line, out);
            counts_.terminatorsOut += terminator > 0 ? 1 : 0;
            return;
        }
        break;
    case LineRole::Closes:
        paragraph_.keep = true;
        [[fallthrough]];
    case LineRole::Other:
        EndParagraph(out);
        WriteAsIs(line, out);
        counts_.terminatorsOut += terminator > 0 ? 1 : 0;
        return;
    }
    for (auto before = paragraph_.lines.rbegin();
         before != paragraph_.lines.rend() &&
         before - paragraph_.lines.rbegin() < static_cast<std::ptrdiff_t>(reading.fixesBefore);
         ++before) {
        before->fixed = true;
        before->shown = false;
    }
    const std::size_t start = paragraph_.raw.size();
    paragraph_.raw.append(line);
    paragraph_.lines.push_back({start + reading.textStart, start + text.size(), terminator, reading.fixed,
                                reading.fixed && reading.shown, reading.apart});
    paragraph_.keep = paragraph_.keep || reading.keep;
    if (paragraph_.raw.size() > kLongestParagraph) {
        paragraph_.keep = true;
        EndParagraph(out);
        paragraphTooLong_ = true;
    }
}

void ProseStage::EndParagraph(OutputSink& out) {
    paragraphTooLong_ = false;
    if (paragraph_.lines.empty()) {
        return;
    }
    if (held_ == breakers_.size()) {
        breakers_.push_back(std::make_unique<ParagraphBreaker>(choices_, NewSyntax()));
    }
    ParagraphBreaker& breaker = *breakers_[held_++];
    breaker.Take(paragraph_, lastLineEnd_);
    pieces_.push_back({&breaker, 0, 0});
    heldSubstance_ += breaker.Substance();
    heldBytes_ += breaker.Size();
    if (held_ >= kMostParagraphsHeld || heldSubstance_ >= kMostSubstanceHeld ||
        heldBytes_ >= kMostBytesHeld) {
        Flush(out);
    }
}

void ProseStage::FindSentenceEnds() {
    view_.clear();
    for (std::size_t i = 0; i < held_; ++i) {
        breakers_[i]->AppendView(view_);
        view_ += "\n\n"; // paragraphs apart, as they are in the text
    }
    found_.clear();
    StringSink sink(found_);
    sentences_.Feed(view_, sink);
    sentences_.Finish(sink);
    sink.Close();
    // The stage writes the view back with CR LF pairs at each end (the view holds no CR) and without
    // the blanks after some ends. Walk both; a difference that is no CR is a dropped character.
    std::size_t v = 0;
    std::size_t f = 0;
    std::size_t paragraph = 0;
    while (NextDifference(v, f)) {
        if (found_[f] == '\r') {
            while (paragraph < held_ && breakers_[paragraph]->ViewEnd() < v) {
                ++paragraph;
            }
            if (paragraph < held_) {
                breakers_[paragraph]->EndAt(v);
            }
            f = std::min(found_.find_first_not_of("\r\n", f), found_.size());
            continue;
        }
        v += utf8::SequenceLength(static_cast<unsigned char>(view_[v]));
    }
}

bool ProseStage::NextDifference(std::size_t& v, std::size_t& f) const {
    const std::size_t same =
        CommonPrefix(std::string_view(view_).substr(v), std::string_view(found_).substr(f));
    v += same;
    f += same;
    // Back to the start of the character the difference is in.
    while (v > 0 && f > 0 && v < view_.size() && utf8::IsContinuation(view_[v])) {
        --v;
        --f;
    }
    return f < found_.size() && v < view_.size();
}

void ProseStage::Flush(OutputSink& out) {
    if (held_ == 0) {
        return;
    }
    if (choices_.breaks) {
        FindSentenceEnds();
    }
    for (const Piece& piece : pieces_) {
        if (piece.paragraph != nullptr) {
            piece.paragraph->Write(out, counts_);
        } else {
            out.Append(std::string_view(passed_).substr(piece.from, piece.to - piece.from));
        }
    }
    for (std::size_t i = 0; i < held_; ++i) {
        breakers_[i]->Trim();
    }
    pieces_.clear();
    passed_.clear();
    held_ = 0;
    heldSubstance_ = heldBytes_ = 0;
}

void ProseStage::PassAsIs(std::string_view line, OutputSink& out) {
    CountAsIs(line);
    out.Append(line);
}

void ProseStage::Finish(OutputSink& out) {
    if (!givenUp_ && (afterCarriageReturn_ || !line_.empty())) {
        const std::string line = std::move(line_);
        const std::size_t terminator = afterCarriageReturn_ ? 1 : 0;
        afterCarriageReturn_ = false; // a line held ahead may be counted as it is
        TakeLine(line, terminator, out);
    }
    Drain(out);
    EndParagraph(out);
    Flush(out);
    line_.clear();
    afterCarriageReturn_ = givenUp_ = false;
    Restart();
}

} // namespace brantlewick::prose
