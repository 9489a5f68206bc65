// SPDX-License-Identifier: GPL-3.0-or-later
// Several-character entries in one scan, converting the runs of entry bytes one by one.
//
// Why runs can be converted one by one. Let C be the bytes that fold to a byte of some entry, and the
// space. Every pattern the classic rule replaces ("entry" or "entry + space") consists of bytes of C
// only; when no entry holds CR or LF, the breaks a replacement inserts lie outside C. Split a line into
// its maximal runs of C bytes and the bytes between them. A pass matches only C bytes, so no match
// includes a byte between runs, and the left-to-right scan of a pass arrives at the start of every run
// afresh: the pass rewrites each run as if it stood alone and leaves the rest untouched. By induction
// over the passes, the conversion of the line is the conversion of each run in place. Moreover a match
// starts at a byte folding to an entry's first byte, and nothing is ever inserted before such a byte,
// so the bytes of a run before its first such byte stay as they are: a run may be taken to start there.
// When an entry holds CR or LF, inserted breaks can be matched and the argument fails: then every line
// is one run.
//
// In prose the runs are short (". ", "! ", "...") and few distinct ones recur, so their results are
// remembered; long runs stream through the chain of passes, which needs bounded memory.
#include "EntryRunStage.h"

#include "StopScan.h"
#include "brantlewick/engine/AsciiCase.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace brantlewick {

namespace {

// Results longer than this are not remembered; a run's result only grows that long with many breaks.
constexpr std::size_t kLongestRemembered = 1024;

} // namespace

EntryRunStage::EntryRunStage(const std::vector<std::string>& entries, int enterCount,
                             std::string_view lineEnd, bool dropTerminators)
    : chain_(entries, enterCount, lineEnd), dropTerminators_(dropTerminators),
      remember_(2 * enterCount <= 64) {
    const bool lineEndEntry = std::any_of(entries.begin(), entries.end(), [](const std::string& entry) {
        return entry.find_first_of("\r\n") != std::string::npos;
    });
    for (int byte = 0; byte < 256; ++byte) {
        const auto folded = FoldAscii(static_cast<unsigned char>(byte));
        const bool lineEnd = IsLineEnd(static_cast<char>(byte));
        bool starts = lineEnd;
        bool inEntry = byte == ' ';
        for (const std::string& entry : entries) {
            starts = starts || folded == FoldAscii(static_cast<unsigned char>(entry.front()));
            inEntry = inEntry || std::any_of(entry.begin(), entry.end(), [folded](char c) {
                          return FoldAscii(static_cast<unsigned char>(c)) == folded;
                      });
        }
        // With line-end entries a run is a whole line.
        isStop_[static_cast<std::size_t>(byte)] = lineEndEntry || starts;
        inRun_[static_cast<std::size_t>(byte)] = lineEndEntry ? !lineEnd : inEntry && !lineEnd;
        if (isStop_[static_cast<std::size_t>(byte)]) {
            stopBytes_ += static_cast<char>(byte);
        }
    }
    if (remember_) {
        remembered_ = std::make_unique<std::array<Remembered, 256>>();
    }
}

void EntryRunStage::Feed(std::string_view chunk, OutputSink& out) {
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    if (runOpen_) {
        const char* q = p;
        while (q != end && inRun_[static_cast<unsigned char>(*q)]) {
            ++q;
        }
        ContinueRun(std::string_view(p, static_cast<std::size_t>(q - p)), out);
        p = q;
        if (p != end) {
            CloseRun(out);
        }
    }
    // Remembered results carry no edits: a preview that marks them streams every run through the chain.
    const bool windows = remember_ && !out.Marking();
    WithStopMask(stopBytes_, isStop_, [&](const auto& stops) {
        while (p != end) {
            p = windows ? ScanWindows(chunk.data(), p, end, out, stops) : p;
            p = p != end ? ScanStep(chunk.data(), p, end, out, stops) : p;
        }
    });
    if (!chunk.empty()) {
        previousByte_ = chunk.back();
    }
}

// Like the single-byte pass: every window of text is copied whole, and each stop moves the output up to it,
// writes what the run there becomes and copies the rest of the window again behind that. A run is read
// up to one byte past kShortRun, and a window is copied from its end: the margin keeps every read inside
// the chunk. A run that is longer, or not remembered yet, leaves the rest to ScanStep().
template <typename StopMask>
const char* EntryRunStage::ScanWindows(const char* chunkStart, const char* p, const char* end,
                                       OutputSink& sink, const StopMask& stops) {
    WindowWriter out(sink, kWindow + kLongestRemembered + kShortResult);
    while (static_cast<std::size_t>(end - p) > 2 * kWindow + kShortRun) {
        out.EnsureRoom();
        const char* const window = p;
        out.CopyWindow(p);
        for (std::uint64_t mask = stops.Mask(window); mask != 0; mask &= mask - 1) {
            const char* const stop = window + std::countr_zero(mask);
            if (stop < p) {
                continue; // inside a run already written
            }
            out.Keep(stop - p);
            out.EnsureRoom();
            p = IsLineEnd(*stop) ? WriteLineEnd(stop, chunkStart, out) : WriteShortRun(stop, out);
            if (p == nullptr) {
                out.Close();
                return stop;
            }
            out.CopyWindow(p);
        }
        if (p < window + kWindow) {
            out.Keep(window + kWindow - p);
            p = window + kWindow;
        }
    }
    out.Close();
    return p;
}

const char* EntryRunStage::WriteLineEnd(const char* at, const char* chunkStart, WindowWriter& out) {
    counts_.terminatorsIn += StartsLine(at, chunkStart) ? 0 : 1;
    if (!dropTerminators_) {
        out.Put(*at);
    }
    return at + 1;
}

// Writes what the run that starts at `stop` becomes and returns where the run ends; returns nothing and
// writes nothing for a run longer than kShortRun.
const char* EntryRunStage::WriteShortRun(const char* stop, WindowWriter& out) {
    const char* q = stop + 1;
    while (static_cast<std::size_t>(q - stop) <= kShortRun && inRun_[static_cast<unsigned char>(*q)]) {
        ++q;
    }
    const std::string_view run(stop, static_cast<std::size_t>(q - stop));
    if (run.size() > kShortRun) {
        return nullptr;
    }
    std::array<std::uint64_t, kShortRun / 8> key{};
    const Remembered& slot = SlotFor(run, key);
    if (slot.length != run.size() || slot.run != key) {
        out.Close();
        ConvertShortRun(run, out.Sink());
        out.Reopen();
        return q;
    }
    if (slot.result.size() <= kShortResult) {
        out.WritePadded(slot.head, slot.result.size());
    } else {
        out.Write(slot.result.data(), slot.result.size());
    }
    rememberedBreaks_ += slot.breaks;
    rememberedSpaces_ += slot.spaces;
    return q;
}

// Copies up to the next stop and deals with it: the slow way, for what the windows leave.
template <typename StopMask>
const char* EntryRunStage::ScanStep(const char* chunkStart, const char* p, const char* end, OutputSink& out,
                                    const StopMask& stops) {
    const char* const stop = FindStop(p, end, stops, isStop_);
    out.Append(std::string_view(p, static_cast<std::size_t>(stop - p)));
    if (stop == end) {
        return end;
    }
    if (IsLineEnd(*stop)) {
        Terminator(stop, chunkStart, out);
        return stop + 1;
    }
    const char* q = stop + 1;
    while (q != end && inRun_[static_cast<unsigned char>(*q)]) {
        ++q;
    }
    const std::string_view run(stop, static_cast<std::size_t>(q - stop));
    if (q == end) {
        runOpen_ = true; // the next chunk may go on with it
        ContinueRun(run, out);
    } else if (run.size() <= kShortRun && remember_ && !out.Marking()) {
        ConvertShortRun(run, out);
    } else {
        chain_.Feed(run, out);
        chain_.EndText(out);
    }
    return q;
}

// Whether the line end at `at` is the LF of a CR LF pair, which counts once, even when a chunk ends
// between its two bytes.
bool EntryRunStage::StartsLine(const char* at, const char* chunkStart) const {
    return *at == '\n' && (at != chunkStart ? at[-1] : previousByte_) == '\r';
}

void EntryRunStage::Terminator(const char* at, const char* chunkStart, OutputSink& out) {
    counts_.terminatorsIn += StartsLine(at, chunkStart) ? 0 : 1;
    if (!dropTerminators_) {
        out.Append(std::string_view(at, 1));
    }
}

EntryRunStage::Remembered& EntryRunStage::SlotFor(std::string_view run,
                                                  std::array<std::uint64_t, kShortRun / 8>& key) {
    // Packed in registers: bytes stored one by one and read back as words would stall the processor.
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const auto byte = static_cast<unsigned char>(run[i]);
        key[i / 8] |= std::uint64_t{byte} << (8 * (i % 8));
        hash = (hash ^ byte) * 16777619u;
    }
    return (*remembered_)[(hash ^ (hash >> 16)) % remembered_->size()];
}

void EntryRunStage::ConvertShortRun(std::string_view run, OutputSink& out) {
    std::array<std::uint64_t, kShortRun / 8> key{};
    Remembered& slot = SlotFor(run, key);
    if (slot.length != run.size() || slot.run != key) {
        const std::uint64_t breaks = chain_.BreaksInserted();
        const std::uint64_t spaces = chain_.SpacesDropped();
        std::string result;
        StringSink sink(result);
        chain_.Feed(run, sink);
        chain_.EndText(sink);
        sink.Close();
        out.Append(result);
        if (result.size() <= kLongestRemembered) {
            slot = {key,
                    run.size(),
                    result,
                    {},
                    chain_.BreaksInserted() - breaks,
                    chain_.SpacesDropped() - spaces};
            std::copy_n(result.begin(), std::min(result.size(), kShortResult), slot.head.begin());
        }
        return;
    }
    out.Append(slot.result);
    rememberedBreaks_ += slot.breaks;
    rememberedSpaces_ += slot.spaces;
}

void EntryRunStage::ContinueRun(std::string_view bytes, OutputSink& out) {
    if (runStreaming_) {
        chain_.Feed(bytes, out);
        return;
    }
    openRun_.append(bytes);
    if (openRun_.size() > kShortRun || !remember_ || out.Marking()) {
        runStreaming_ = true;
        chain_.Feed(openRun_, out);
        openRun_.clear();
    }
}

void EntryRunStage::CloseRun(OutputSink& out) {
    runOpen_ = false;
    if (runStreaming_) {
        runStreaming_ = false;
        chain_.EndText(out);
    } else {
        ConvertShortRun(openRun_, out);
        openRun_.clear();
    }
}

void EntryRunStage::Finish(OutputSink& out) {
    if (runOpen_) {
        CloseRun(out);
    }
    previousByte_ = '\0';
    counts_.breaksInserted = chain_.BreaksInserted() + rememberedBreaks_;
    counts_.spacesDropped = chain_.SpacesDropped() + rememberedSpaces_;
    counts_.terminatorsOut = counts_.breaksInserted + (dropTerminators_ ? 0 : counts_.terminatorsIn);
}

} // namespace brantlewick
