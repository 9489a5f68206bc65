// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming part of the sentence mode: scanning, holding back, writing.
//
// The text is copied into a buffer piece by piece. Places are decided once the reach after them is in
// (or the text has ended); bytes are written once no later decision can reach back to them, which is
// the reach before the first undecided place. So the buffer holds at most two reaches and one piece.
#include "sentences/SentenceStage.h"

#include "Sse2.h"
#include "StopScan.h"

#include "sentences/Characters.h"
#include "sentences/SentenceRules.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace brantlewick {

namespace {

constexpr std::size_t kPiece = std::size_t{64} * 1024;
// How much of a paragraph's start tells its language: some forty words, enough for a clear guess, and
// little next to what the rules read.
constexpr std::size_t kParagraphSample = 256;
// How much of what no decision reaches back to a joined line end may move rather than write out first.
constexpr std::size_t kJoinSlack = 512;

} // namespace

// Finds trigger bytes 16 at a time: one compare per ASCII trigger, and one for all bytes from 0xE2 up,
// which covers the lead bytes of the wide forms and bullets (the table then sorts out the rest).
class SentenceStage::TriggerScan {
public:
    explicit TriggerScan(const std::array<bool, 256>& triggers) : triggers_(triggers) {
        for (int b = 0; b < 0xE2; ++b) {
            if (triggers[static_cast<std::size_t>(b)]) {
                if (b >= 0x80 || count_ == kMaxCompares) {
                    vector_ = false;
                    break;
                }
                bytes_[count_++] = static_cast<char>(b);
            }
        }
#if BRANTLEWICK_SSE2
        for (int k = 0; k < kMaxCompares; ++k) {
            // Unused compares repeat the first trigger, which changes nothing.
            compares_[k] = _mm_set1_epi8(bytes_[k < count_ ? k : 0]);
        }
#endif
    }

    const char* Next(const char* p, const char* end) const {
#if BRANTLEWICK_SSE2
        if (vector_) {
            const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
            const __m128i highest = _mm_set1_epi8(static_cast<char>(0xE1 ^ 0x80));
            for (; end - p >= 16; p += 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                __m128i hits = _mm_cmpgt_epi8(_mm_xor_si128(bytes, flip), highest);
                for (int k = 0; k < kMaxCompares; ++k) {
                    hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, compares_[k]));
                }
                for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0;
                     mask &= mask - 1) {
                    const char* hit = p + std::countr_zero(mask);
                    if (triggers_[static_cast<unsigned char>(*hit)]) {
                        return hit;
                    }
                }
            }
        }
#endif
        while (p < end && !triggers_[static_cast<unsigned char>(*p)]) {
            ++p;
        }
        return p;
    }

private:
    // The default entries, ")" and the line ends make six; a few more entries still fit.
    static constexpr int kMaxCompares = 8;
    const std::array<bool, 256>& triggers_;
    char bytes_[kMaxCompares] = {};
    int count_ = 0;
    bool vector_ = true;
#if BRANTLEWICK_SSE2
    __m128i compares_[kMaxCompares];
#endif
};

SentenceStage::SentenceStage(SentenceOptions options)
    : options_(std::move(options)),
      rules_(std::make_unique<sentences::SentenceRules>(
          options_.entries, sentences::LanguageData::For(options_.language), options_.terminatorsSurvive,
          options_.dropLineEnds, options_.markupHidden)),
      reach_(rules_->Reach()), scan_(std::make_unique<TriggerScan>(rules_->Triggers())) {
    for (int i = 0; i < options_.enterCount; ++i) {
        breaks_ += options_.lineEnd;
    }
    if (options_.findLanguage) {
        paragraphs_.push_back({0, nullptr});
    }
}

SentenceStage::~SentenceStage() = default;

void SentenceStage::CountLineEnds(std::string_view chunk) {
    if (chunk.empty()) {
        return;
    }
    // A CR LF pair is one line end, counted at its CR.
    const auto at = [&chunk](std::size_t i) { return static_cast<unsigned char>(chunk[i]); };
    std::uint64_t ends = (at(0) == '\r' ? 1U : 0U) + (at(0) == '\n' && !afterCarriageReturn_ ? 1U : 0U);
    std::size_t i = 1;
#if BRANTLEWICK_SSE2
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums = _mm_setzero_si128();
    for (; i + 16 <= chunk.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk.data() + i - 1));
        const __m128i ended = _mm_or_si128(
            _mm_cmpeq_epi8(bytes, carriageReturn),
            _mm_andnot_si128(_mm_cmpeq_epi8(before, carriageReturn), _mm_cmpeq_epi8(bytes, lineFeed)));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_and_si128(ended, one), _mm_setzero_si128()));
    }
    ends += static_cast<std::uint64_t>(_mm_cvtsi128_si64(sums)) +
            static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
#endif
    for (; i < chunk.size(); ++i) {
        ends += static_cast<std::uint64_t>(at(i) == '\r') +
                static_cast<std::uint64_t>(static_cast<unsigned>(at(i) == '\n') &
                                           static_cast<unsigned>(at(i - 1) != '\r'));
    }
    afterCarriageReturn_ = chunk.back() == '\r';
    counts_.terminatorsIn += ends;
    counts_.terminatorsOut += options_.dropLineEnds ? 0 : ends;
}

void SentenceStage::Feed(std::string_view chunk, OutputSink& out) {
    CountLineEnds(chunk);
    while (!chunk.empty()) {
        // Drop what is written and out of every later decision's sight once it is worth the move.
        const std::size_t behind = scanned_ > reach_ ? scanned_ - reach_ : 0;
        const std::size_t dead = std::min(emitted_, behind);
        if (dead >= kPiece || (dead > 0 && dead >= text_.size() / 2)) {
            text_.erase(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(dead));
            offset_ += dead;
            scanned_ -= dead;
            emitted_ -= dead;
            valid_ -= std::min(valid_, dead);
            looked_ -= dead;
            for (Paragraph& paragraph : paragraphs_) {
                paragraph.start -= dead;
            }
        }
        const std::size_t piece = std::min(chunk.size(), kPiece);
        text_.insert(text_.end(), chunk.data(), chunk.data() + piece);
        chunk.remove_prefix(piece);
        Process(false, out);
    }
}

void SentenceStage::Finish(OutputSink& out) {
    // The last decisions read up to the text's end; with no slack behind it, a read past it is caught
    // by the address sanitizer.
    text_.shrink_to_fit();
    Process(true, out);
    text_.clear();
    offset_ = 0;
    scanned_ = emitted_ = valid_ = 0;
    pending_.clear();
    dropping_ = keepBlanks_ = afterCarriageReturn_ = false;
    rules_ = std::make_unique<sentences::SentenceRules>(
        options_.entries, sentences::LanguageData::For(options_.language), options_.terminatorsSurvive,
        options_.dropLineEnds, options_.markupHidden);
    scan_ = std::make_unique<TriggerScan>(rules_->Triggers());
    paragraphs_.clear();
    if (options_.findLanguage) {
        paragraphs_.push_back({0, nullptr});
    }
    looked_ = 0;
    lineState_ = LineState::LineStart;
    lineEndedWithCarriageReturn_ = false;
}

void SentenceStage::EndSample(std::size_t end) {
    if (paragraphs_.empty() || paragraphs_.back().language != nullptr) {
        return;
    }
    Paragraph& paragraph = paragraphs_.back();
    paragraph.language = &sentences::LanguageData::For(
        LanguageOfParagraph({text_.data() + paragraph.start, end - paragraph.start}, options_.language));
}

void SentenceStage::FindParagraphs(bool atEnd) {
    const std::size_t size = text_.size();
    while (looked_ < size) {
        const bool sampling = !paragraphs_.empty() && paragraphs_.back().language == nullptr;
        const std::size_t sampleEnd = sampling ? paragraphs_.back().start + kParagraphSample : size;
        if (looked_ >= sampleEnd) {
            EndSample(sampleEnd);
        } else if (lineState_ == LineState::Text) {
            PassLine(std::min(size, sampleEnd));
        } else {
            PassSpace();
        }
    }
    if (atEnd) {
        EndSample(size);
    }
}

void SentenceStage::PassLine(std::size_t stop) {
    const char* const base = text_.data();
    looked_ = static_cast<std::size_t>(FindLineEnd(base + looked_, base + stop) - base);
    if (looked_ == stop) {
        return;
    }
    const char lineEnd = base[looked_++];
    lineEndedWithCarriageReturn_ = lineEnd == '\r';
    if (lineEnd == '\n' && options_.linesAreParagraphs) {
        EndSample(looked_);
        lineState_ = LineState::Gap;
    } else {
        lineState_ = LineState::LineStart;
    }
}

void SentenceStage::PassSpace() {
    const char c = text_[looked_++];
    const bool pairsWithCarriageReturn = c == '\n' && lineEndedWithCarriageReturn_;
    lineEndedWithCarriageReturn_ = c == '\r';
    if (pairsWithCarriageReturn || c == ' ' || c == '\t') {
        return;
    }
    if (c == '\r' || c == '\n') {
        if (lineState_ == LineState::LineStart) {
            EndSample(looked_);
            lineState_ = LineState::Gap;
        }
        return;
    }
    if (lineState_ == LineState::Gap) {
        paragraphs_.push_back({looked_ - 1, nullptr});
    }
    lineState_ = LineState::Text;
}

std::size_t SentenceStage::LanguageKnown() const {
    return paragraphs_.empty() || paragraphs_.back().language != nullptr ? looked_ : paragraphs_.back().start;
}

void SentenceStage::EnterParagraphs(std::size_t at) {
    while (!paragraphs_.empty() && paragraphs_.front().start <= at &&
           paragraphs_.front().language != nullptr) {
        rules_->UseLanguage(*paragraphs_.front().language);
        paragraphs_.pop_front();
    }
}

void SentenceStage::Process(bool atEnd, OutputSink& out) {
    const std::size_t size = text_.size();
    // A place is decided once everything it may read after it is here.
    std::size_t limit = atEnd ? size : (size > reach_ ? size - reach_ : 0);
    if (options_.findLanguage) {
        FindParagraphs(atEnd);
        limit = std::min(limit, LanguageKnown());
    }
    if (limit > scanned_) {
        Scan(limit, atEnd, out);
    }
    // Later places may put a boundary up to the reach before them.
    Emit(atEnd ? size : (scanned_ > reach_ ? scanned_ - reach_ : 0), atEnd, out);
}

void SentenceStage::Scan(std::size_t limit, bool atEnd, OutputSink& out) {
    const char* const base = text_.data();
    const std::size_t size = text_.size();
    std::size_t i = scanned_;
    while (i < limit) {
        i = static_cast<std::size_t>(scan_->Next(base + i, base + limit) - base);
        if (i >= limit) {
            break;
        }
        EnterParagraphs(i);
        const std::size_t begin = std::max(valid_, i > reach_ ? i - reach_ : 0);
        const std::size_t end = std::min(size, i + reach_);
        const sentences::Window window{base + begin, base + end, offset_ + begin == 0, atEnd && end == size,
                                       offset_ + begin};
        const sentences::Decision decision = rules_->Decide(window, base + i);
        if (decision.joinsLines && options_.dropLineEnds) {
            JoinLines(i, decision.length, out);
        }
        if (decision.boundary) {
            const std::uint64_t at = offset_ + static_cast<std::uint64_t>(decision.boundary->at - base);
            // One boundary per gap: a later place may find the gap an earlier one already broke. Almost
            // always the new one lies after all others.
            if (pending_.empty() || pending_.back().at < at) {
                pending_.push_back({at, decision.boundary->breaks, decision.boundary->paragraph});
            } else {
                const auto later =
                    std::lower_bound(pending_.begin(), pending_.end(), at,
                                     [](const Pending& p, std::uint64_t a) { return p.at < a; });
                if (later->at != at) {
                    pending_.insert(later, {at, decision.boundary->breaks, decision.boundary->paragraph});
                }
            }
        }
        i += decision.length;
    }
    scanned_ = std::max(i, limit);
    EnterParagraphs(scanned_);
}

void SentenceStage::JoinLines(std::size_t at, std::size_t length, OutputSink& out) {
    // One space takes the line end's place between two words, none next to a blank or between two wide
    // characters (Chinese, Japanese), so that no two words are glued together.
    const char* const lineEnd = text_.data() + at;
    const sentences::Char before = sentences::DecodeBefore(text_.data() + valid_, lineEnd);
    const sentences::Char after = sentences::DecodeAt(lineEnd + length, text_.data() + text_.size());
    const bool space = before.size != 0 && after.size != 0 && !sentences::IsSpace(before.code) &&
                       !sentences::IsSpace(after.code) &&
                       !(sentences::IsWide(before.code) && sentences::IsWide(after.code));
    const std::size_t gone = space ? length - 1 : length;
    text_[at + length - 1] = space ? ' ' : text_[at + length - 1];
    if (gone == 0) {
        return;
    }
    // The bytes before it move up over it, those later decisions look back on and those not yet written:
    // what follows stays where it is, and the positions in the whole text count it out. What no decision
    // reaches back to goes out first once there is more of it than kJoinSlack, so that a join moves
    // little, and the writing is not cut into a piece a line.
    const std::size_t behind = at > reach_ ? at - reach_ : 0;
    if (behind > emitted_ + kJoinSlack) {
        Emit(behind, false, out);
    }
    const std::size_t from = std::max(valid_, std::min(emitted_, behind));
    std::memmove(text_.data() + from + gone, text_.data() + from, at - from);
    valid_ = from + gone;
    emitted_ += gone;
    offset_ -= gone;
    const std::uint64_t position = offset_ + at + gone; // where it was, in the whole text as it is now
    for (Pending& boundary : pending_) {
        boundary.at -= boundary.at > position ? gone : 0;
    }
    rules_->Removed(position, gone);
}

void SentenceStage::WriteBreaks(const Pending& boundary, OutputSink& out) {
    if (!boundary.breaks) {
        return; // a line end that stays is break enough
    }
    // Where the lines run together, an empty line still parts two paragraphs: a second run, which sees
    // one break where this one saw the empty line, must find the paragraph's end again.
    const int enters =
        boundary.paragraph && options_.dropLineEnds && options_.enterCount == 1 ? 2 : options_.enterCount;
    const auto pairs = static_cast<std::uint64_t>(std::max(enters, 0));
    if (out.Marking() && pairs > 0) {
        out.Mark(Edit::Kind::Breaks, out.Written(), pairs);
    }
    out.Append(breaks_);
    if (enters != options_.enterCount) {
        out.Append(breaks_);
    }
    counts_.breaksInserted += pairs;
    counts_.terminatorsOut += pairs;
}

void SentenceStage::WriteText(const char* from, const char* to, OutputSink& out) const {
    while (options_.dropLineEnds && from != to) {
        const char* lineEnd = FindLineEnd(from, to);
        out.Append({from, static_cast<std::size_t>(lineEnd - from)});
        from = lineEnd == to ? to : lineEnd + 1;
    }
    out.Append({from, static_cast<std::size_t>(to - from)});
}

bool SentenceStage::KeepBlanksAfterCarriageReturn(const char* p, const char* end, bool atEnd) const {
    // Emit() writes no byte closer than a reach to the end of what has come in, unless the text has
    // ended: the stretch looked at is always all there, whatever the chunks.
    for (const char* q = p; q != end; q += sentences::DecodeAt(q, end).size) {
        if (static_cast<std::size_t>(q - p) >= reach_ / 2) {
            return true; // what follows is not known in time: the blanks stay in case it is an LF
        }
        if (!sentences::IsBlank(sentences::DecodeAt(q, end).code)) {
            return *q == '\n';
        }
    }
    return !atEnd;
}

bool SentenceStage::PassBlank(std::size_t upTo, bool atEnd, OutputSink& out) {
    const char* const here = text_.data() + emitted_;
    const char* const end = text_.data() + text_.size();
    const sentences::Char c = sentences::DecodeAt(here, end);
    if (sentences::IsBlank(c.code) && !keepBlanks_) {
        emitted_ += static_cast<std::size_t>(c.size);
        ++counts_.spacesDropped;
        if (out.Marking()) {
            out.Mark(Edit::Kind::Blanks, out.Written(), 1);
            return true;
        }
        // The ASCII blanks after it go the same way, in one step.
        for (; emitted_ < upTo && sentences::IsAsciiBlank(static_cast<unsigned char>(text_[emitted_]));
             ++emitted_) {
            ++counts_.spacesDropped;
        }
        return true;
    }
    if (!sentences::IsSpace(c.code)) {
        dropping_ = keepBlanks_ = false;
        return false;
    }
    WriteText(here, here + c.size, out);
    emitted_ += static_cast<std::size_t>(c.size);
    if (sentences::IsLineEnd(c.code) && !options_.dropLineEnds) {
        keepBlanks_ = c.code == '\r' && KeepBlanksAfterCarriageReturn(here + c.size, end, atEnd);
    }
    return true;
}

void SentenceStage::Emit(std::size_t upTo, bool atEnd, OutputSink& out) {
    auto next = pending_.begin();
    for (;;) {
        const std::uint64_t here = offset_ + emitted_;
        // Boundaries inside blanks that are being dropped already have their breaks.
        while (next != pending_.end() && (next->at < here || (dropping_ && next->at == here))) {
            ++next;
        }
        const bool boundaryHere = next != pending_.end() && next->at == here;
        if (emitted_ >= upTo) {
            // The text's very end may carry the breaks after its last sentence.
            if (atEnd && boundaryHere) {
                WriteBreaks(*next++, out);
            }
            break;
        }
        if (dropping_ && PassBlank(upTo, atEnd, out)) {
            continue;
        }
        if (boundaryHere) {
            WriteBreaks(*next++, out);
            dropping_ = true;
            continue;
        }
        const std::size_t stop =
            next == pending_.end()
                ? upTo
                : std::min<std::size_t>(upTo, static_cast<std::size_t>(next->at - offset_));
        WriteText(text_.data() + emitted_, text_.data() + stop, out);
        emitted_ = stop;
    }
    pending_.erase(pending_.begin(), next);
}

} // namespace brantlewick
