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

} // namespace

std::unique_ptr<SingleByteStage> SingleByteStage::For(const std::vector<std::string>& entries, int enterCount,
                                                      bool dropTerminators) {
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
    const std::string breaks = BreaksOf(enterCount);
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

template <typename StopMask>
void SingleByteStage::FeedWith(std::string_view chunk, OutputSink& sink, const StopMask& stops) {
    const char* in = chunk.data();
    const char* const end = in + chunk.size();
    const bool marking = sink.Marking();
    if (dropSpace_ && in != end) {
        dropSpace_ = false;
        if (*in == ' ') {
            ++in;
            ++counts_.spacesDropped;
            if (marking) {
                sink.Mark(Edit::Kind::Blanks, sink.Written(), 1);
            }
        }
    }
    std::uint64_t breaks = 0;
    std::uint64_t spaces = 0;
    // Room for one replacement (padded) and one window copied behind it, checked before each of them.
    const std::size_t room = std::max(longestReplacement_, kShortReplacement) + kWindow;
    char* out = sink.Reserve(room);
    char* limit = sink.Limit();
    const auto ensureRoom = [&] {
        if (static_cast<std::size_t>(limit - out) < room) {
            sink.Advance(out);
            out = sink.Reserve(room);
            limit = sink.Limit();
        }
    };
    const auto writeReplacement = [&](const StopAction& action) {
        if (action.size <= kShortReplacement) {
            std::memcpy(out, action.start.data(), kShortReplacement);
        } else {
            std::memcpy(out, replacements_[action.rule].data(), action.size);
        }
        out += action.size;
        breaks += action.breaks;
    };

    // Windows: the bytes from `in` onwards are copied whole, and each stop then moves `out` up to it,
    // writes its replacement and copies the rest of the window again behind that. A stop on the window's
    // last byte followed by a dropped space puts `in` two bytes past the window, and the copy behind it
    // reads a whole window from there: two windows and one byte must be left. A preview that marks the
    // edits takes the byte-by-byte way below for all of it.
    while (!marking && static_cast<std::size_t>(end - in) > 2 * kWindow) {
        ensureRoom();
        const char* const window = in;
        std::uint64_t mask = stops.Mask(window);
        std::memcpy(out, in, kWindow);
        while (mask != 0) {
            const char* const stop = window + std::countr_zero(mask);
            mask &= mask - 1;
            out += stop - in;
            ensureRoom();
            const StopAction& action = stopActions_[static_cast<unsigned char>(*stop)];
            writeReplacement(action);
            if (action.terminator) [[unlikely]] {
                CountTerminator(stop, chunk.data());
            }
            in = stop + 1;
            // The space is never a stop byte, so skipping it cannot skip a stop.
            const bool drop = action.dropsSpace && *in == ' ';
            in += drop ? 1 : 0;
            spaces += drop ? 1 : 0;
            std::memcpy(out, in, kWindow);
        }
        // A dropped space may lie just past the window; then nothing of the window is left to keep.
        if (in < window + kWindow) {
            out += window + kWindow - in;
            in = window + kWindow;
        }
    }

    // The last bytes of the chunk, one at a time.
    while (in != end) {
        ensureRoom();
        const char* const at = in++;
        const auto byte = static_cast<unsigned char>(*at);
        if (!isStop_[byte]) {
            *out++ = static_cast<char>(byte);
            continue;
        }
        const StopAction& action = stopActions_[byte];
        if (marking && action.breaks != 0) {
            sink.Mark(Edit::Kind::Breaks, sink.PositionOf(out) + 1, action.breaks);
        }
        writeReplacement(action);
        if (action.terminator) {
            CountTerminator(at, chunk.data());
        }
        if (!action.dropsSpace) {
            continue;
        }
        if (in == end) {
            dropSpace_ = true; // the space may be the first byte of the next chunk
        } else if (*in == ' ') {
            ++in;
            ++spaces;
            if (marking) {
                sink.Mark(Edit::Kind::Blanks, sink.PositionOf(out), 1);
            }
        }
    }
    sink.Advance(out);
    counts_.breaksInserted += breaks;
    counts_.spacesDropped += spaces;
    if (!chunk.empty()) {
        previousByte_ = chunk.back();
    }
}

void SingleByteStage::Finish(OutputSink&) {
    dropSpace_ = false;
    previousByte_ = '\0';
    counts_.terminatorsOut = counts_.breaksInserted + (keepTerminators_ ? counts_.terminatorsIn : 0);
}

} // namespace brantlewick
