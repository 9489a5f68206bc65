// SPDX-License-Identifier: GPL-3.0-or-later
// The entries stage for every list the single-byte pass cannot take: several-character entries,
// duplicates, spaces, and (only when the input's line ends are dropped) entries holding CR or LF.
#pragma once

#include "ReplacementChain.h"
#include "Stage.h"

#include <array>
#include <memory>

namespace brantlewick {

class WindowWriter;

class EntryRunStage final : public Stage {
public:
    // `entries` must be non-empty strings. `dropTerminators` drops the input's line ends; otherwise they
    // are written back, and no entry may hold CR or LF.
    EntryRunStage(const std::vector<std::string>& entries, int enterCount, std::string_view lineEnd,
                  bool dropTerminators);

    void Feed(std::string_view chunk, OutputSink& out) override;
    void Finish(OutputSink& out) override;

private:
    // A run that is this short is looked up among the results remembered.
    static constexpr std::size_t kShortRun = 16;
    // Results up to this size are copied as one fixed-size block.
    static constexpr std::size_t kShortResult = 32;

    struct Remembered {
        // The run's bytes packed little-end first, zero-padded; a length of 0 marks a free slot.
        std::array<std::uint64_t, kShortRun / 8> run{};
        std::size_t length = 0;
        std::string result;
        std::array<char, kShortResult> head{}; // the result's first bytes, zero-padded
        std::uint64_t breaks = 0;
        std::uint64_t spaces = 0;
    };

    // The windowed pass for most of a chunk; returns where it stopped: near the end, or at a long run.
    template <typename StopMask>
    const char* ScanWindows(const char* chunkStart, const char* p, const char* end, OutputSink& sink,
                            const StopMask& stops);
    // Inlined into the windows' loop, so that its writer stays in registers.
    [[gnu::always_inline]] inline const char* WriteLineEnd(const char* at, const char* chunkStart,
                                                           WindowWriter& out);
    [[gnu::always_inline]] inline const char* WriteShortRun(const char* stop, WindowWriter& out);
    template <typename StopMask>
    const char* ScanStep(const char* chunkStart, const char* p, const char* end, OutputSink& out,
                         const StopMask& stops);
    Remembered& SlotFor(std::string_view run, std::array<std::uint64_t, kShortRun / 8>& key);
    void ConvertShortRun(std::string_view run, OutputSink& out);
    void ContinueRun(std::string_view bytes, OutputSink& out);
    void CloseRun(OutputSink& out);
    bool StartsLine(const char* at, const char* chunkStart) const;
    void Terminator(const char* at, const char* chunkStart, OutputSink& out);

    ReplacementChain chain_;
    std::array<bool, 256> isStop_{}; // line ends and the bytes an entry may start with
    std::array<bool, 256> inRun_{};  // the bytes of the entries (both letter cases) and the space
    std::string stopBytes_;
    bool dropTerminators_;
    bool remember_;
    std::unique_ptr<std::array<Remembered, 256>> remembered_;
    std::uint64_t rememberedBreaks_ = 0;
    std::uint64_t rememberedSpaces_ = 0;

    // A run the chunk ended in: short ones wait here, longer ones stream through the chain.
    bool runOpen_ = false;
    bool runStreaming_ = false;
    std::string openRun_;
    char previousByte_ = '\0';
};

} // namespace brantlewick
