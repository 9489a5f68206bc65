// SPDX-License-Identifier: GPL-3.0-or-later
// The fused single pass for one-byte entries.
#include "SingleByteStage.h"

#include "StopScan.h"

#include <algorithm>
#include <cstring>

namespace brantlewick {

namespace {

// Replacements up to this size are copied as one fixed-size block.
constexpr std::size_t kShortReplacement = 16;

unsigned char OtherCase(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z') {
        return static_cast<unsigned char>(byte - ('a' - 'A'));
    }
    if (byte >= 'A' && byte <= 'Z') {
        return static_cast<unsigned char>(byte + ('a' - 'A'));
    }
    return byte;
}

void MarkBlank(OutputSink& sink, std::uint64_t at) {
    if (sink.Marking()) {
        sink.Mark(Edit::Kind::Blanks, at, 1);
    }
}

} // namespace

std::unique_ptr<SingleByteStage> SingleByteStage::For(const std::vector<std::string>& entries, int enterCount,
                                                      std::string_view lineEnd, bool dropTerminators) {
    std::unique_ptr<SingleByteStage> stage(new SingleByteStage);
    for (const char terminator : {'\r', '\n'}) {
        StopAction& action = stage->stopActions_[static_cast<unsigned char>(terminator)];
        action.terminator = true;
        if (!dropTerminators) {
            action.start[0] = terminator;
            action.size = 1;
        }
        stage->isStop_[static_cast<unsigned char>(terminator)] = true;
    }
    stage->stopBytes_ = "\r\n";
    stage->keepTerminators_ = !dropTerminators;
    const std::string breaks = BreaksOf(enterCount, lineEnd);
    for (const std::string& entry : entries) {
        const auto byte = static_cast<unsigned char>(entry.front());
        if (entry.size() != 1 || byte == ' ' || stage->isStop_[byte]) {
            return nullptr;
        }
        const std::string replacement = entry + breaks;
        StopAction action;
        std::copy_n(replacement.begin(), std::min(replacement.size(), action.start.size()),
                    action.start.begin());
        action.size = static_cast<std::uint32_t>(replacement.size());
        action.rule = static_cast<std::uint32_t>(stage->replacements_.size());
        action.breaks = static_cast<std::uint32_t>(enterCount);
        action.dropsSpace = true;
        stage->replacements_.push_back(replacement);
        for (const unsigned char spelling : {byte, OtherCase(byte)}) {
            stage->isStop_[spelling] = true;
            stage->stopActions_[spelling] = action;
        }
        stage->stopBytes_ += static_cast<char>(byte);
        if (OtherCase(byte) != byte) {
            stage->stopBytes_ += static_cast<char>(OtherCase(byte));
        }
        stage->longestReplacement_ = std::max(stage->longestReplacement_, replacement.size());
    }
    return stage;
}

void SingleByteStage::Feed(std::string_view chunk, OutputSink& out) {
    WithStopMask(stopBytes_, isStop_, [&](const auto& stops) { FeedWith(chunk, out, stops); });
}

// A CR LF pair is one terminator: its LF is not counted again.
void SingleByteStage::CountTerminator(const char* stop, const char* chunkStart) {
    if (*stop != '\n' || (stop != chunkStart ? stop[-1] : previousByte_) != '\r') {
        ++counts_.terminatorsIn;
    }
}

// The space after the previous chunk's last entry, which that entry drops.
const char* SingleByteStage::DropCarriedSpace(const char* in, const char* end, OutputSink& sink) {
    if (!dropSpace_ || in == end) {
        return in;
    }
    dropSpace_ = false;
    if (*in != ' ') {
        return in;
    }
    ++counts_.spacesDropped;
    MarkBlank(sink, sink.Written());
    return in + 1;
}

template <typename StopMask>
void SingleByteStage::FeedWith(std::string_view chunk, OutputSink& sink, const StopMask& stops) {
    const char* in = chunk.data();
    const char* const end = in + chunk.size();
    in = DropCarriedSpace(in, end, sink);
    // A preview that marks the edits takes the byte-by-byte way for all of it.
    if (!sink.Marking()) {
        in = CopyWindows(chunk.data(), in, end, sink, stops);
    }
    CopyBytes(chunk.data(), in, end, sink);
    if (!chunk.empty()) {
        previousByte_ = chunk.back();
    }
}

// The bytes from `in` onwards are copied a window at a time, and each stop then moves the output up to it,
// writes its replacement and copies the rest of the window again behind that. A stop on the window's last
// byte followed by a dropped space puts `in` two bytes past the window, and the copy behind it reads a
// whole window from there: two windows and one byte must be left. Returns where the windows stopped.
template <typename StopMask>
const char* SingleByteStage::CopyWindows(const char* chunkStart, const char* in, const char* end,
                                         OutputSink& sink, const StopMask& stops) {
    WindowWriter out(sink, WriterRoom());
    Tally tally;
    while (static_cast<std::size_t>(end - in) > 2 * kWindow) {
        out.EnsureRoom();
        const char* const window = in;
        out.CopyWindow(in);
        for (std::uint64_t mask = stops.Mask(window); mask != 0; mask &= mask - 1) {
            const char* const stop = window + std::countr_zero(mask);
            out.Keep(stop - in);
            out.EnsureRoom();
            in = ReplaceStop(stop, chunkStart, out, tally);
            out.CopyWindow(in);
        }
        // A dropped space may lie just past the window; then nothing of the window is left to keep.
        if (in < window + kWindow) {
            out.Keep(window + kWindow - in);
            in = window + kWindow;
        }
    }
    out.Close();
    Add(tally);
    return in;
}

// Writes what the stop byte at `stop` becomes and returns where the input goes on: after it, and after the
// space its entry drops. The space is never a stop byte, so skipping it cannot skip a stop.
const char* SingleByteStage::ReplaceStop(const char* stop, const char* chunkStart, WindowWriter& out,
                                         Tally& tally) {
    const StopAction& action = stopActions_[static_cast<unsigned char>(*stop)];
    WriteReplacement(action, out, tally);
    if (action.terminator) [[unlikely]] {
        CountTerminator(stop, chunkStart);
    }
    const bool drop = action.dropsSpace && stop[1] == ' ';
    tally.spaces += drop ? 1 : 0;
    return stop + (drop ? 2 : 1);
}

// Room for one replacement (padded) and one window copied behind it, checked before each of them.
std::size_t SingleByteStage::WriterRoom() const {
    return std::max(longestReplacement_, kShortReplacement) + kWindow;
}

void SingleByteStage::Add(const Tally& tally) {
    counts_.breaksInserted += tally.breaks;
    counts_.spacesDropped += tally.spaces;
}

void SingleByteStage::WriteReplacement(const StopAction& action, WindowWriter& out, Tally& tally) const {
    if (action.size <= kShortReplacement) {
        out.WritePadded(action.start, action.size);
    } else {
        out.Write(replacements_[action.rule].data(), action.size);
    }
    tally.breaks += action.breaks;
}

// The last bytes of the chunk, one at a time, noting the edits for a preview.
void SingleByteStage::CopyBytes(const char* chunkStart, const char* in, const char* end, OutputSink& sink) {
    WindowWriter out(sink, WriterRoom());
    Tally tally;
    while (in != end) {
        out.EnsureRoom();
        const char* const at = in++;
        const auto byte = static_cast<unsigned char>(*at);
        if (!isStop_[byte]) {
            out.Put(*at);
            continue;
        }
        const StopAction& action = stopActions_[byte];
        if (out.Sink().Marking() && action.breaks != 0) {
            out.Sink().Mark(Edit::Kind::Breaks, out.Position() + 1, action.breaks);
        }
        WriteReplacement(action, out, tally);
        if (action.terminator) {
            CountTerminator(at, chunkStart);
        }
        if (!action.dropsSpace) {
            continue;
        }
        if (in == end) {
            dropSpace_ = true; // the space may be the first byte of the next chunk
        } else if (*in == ' ') {
            ++in;
            ++tally.spaces;
            MarkBlank(out.Sink(), out.Position());
        }
    }
    out.Close();
    Add(tally);
}

void SingleByteStage::Finish(OutputSink&) {
    dropSpace_ = false;
    previousByte_ = '\0';
    counts_.terminatorsOut = counts_.breaksInserted + (keepTerminators_ ? counts_.terminatorsIn : 0);
}

} // namespace brantlewick
