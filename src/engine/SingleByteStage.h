// SPDX-License-Identifier: GPL-3.0-or-later
// The entries stage for the common list: every entry one byte, all of them distinct. Such entries
// cannot affect one another, so one pass over the bytes gives what applying them in turn gives.
#pragma once

#include "Stage.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace brantlewick {

class WindowWriter;

class SingleByteStage final : public Stage {
public:
    // Nothing when the list is not of that kind (an entry longer than a byte, a duplicate, or a space,
    // CR or LF). `dropTerminators` drops the input's line ends; otherwise they are written back.
    static std::unique_ptr<SingleByteStage> For(const std::vector<std::string>& entries, int enterCount,
                                                std::string_view lineEnd, bool dropTerminators);

    void Feed(std::string_view chunk, OutputSink& out) override;
    void Finish(OutputSink& out) override;

private:
    // What the pass does at a stop byte, in one table entry per byte so that a stop needs one look-up:
    // write the replacement (the entry and its breaks; nothing or the terminator itself for CR and LF)
    // and, after an entry, skip one space.
    struct StopAction {
        std::array<char, 16> start{}; // the replacement's first bytes, zero-padded for a fixed-size copy
        std::uint32_t size = 0;
        std::uint32_t rule = 0; // where to find a replacement longer than `start`
        std::uint32_t breaks = 0;
        bool dropsSpace = false;
        bool terminator = false;
    };

    // What one chunk adds to the counts, kept apart from them while the chunk is written.
    struct Tally {
        std::uint64_t breaks = 0;
        std::uint64_t spaces = 0;
    };

    SingleByteStage() = default;
    template <typename StopMask>
    void FeedWith(std::string_view chunk, OutputSink& sink, const StopMask& stops);
    const char* DropCarriedSpace(const char* in, const char* end, OutputSink& sink);
    template <typename StopMask>
    const char* CopyWindows(const char* chunkStart, const char* in, const char* end, OutputSink& sink,
                            const StopMask& stops);
    const char* ReplaceStop(const char* stop, const char* chunkStart, WindowWriter& out, Tally& tally);
    void WriteReplacement(const StopAction& action, WindowWriter& out, Tally& tally) const;
    void CopyBytes(const char* chunkStart, const char* in, const char* end, OutputSink& sink);
    std::size_t WriterRoom() const;
    void Add(const Tally& tally);
    void CountTerminator(const char* stop, const char* chunkStart);

    std::array<bool, 256> isStop_{};
    std::array<StopAction, 256> stopActions_{};
    std::string stopBytes_; // CR, LF and the entries in both letter cases
    std::vector<std::string> replacements_;
    std::size_t longestReplacement_ = 0;
    bool keepTerminators_ = false;
    bool dropSpace_ = false;
    char previousByte_ = '\0'; // the last byte of the previous chunk
};

} // namespace brantlewick
