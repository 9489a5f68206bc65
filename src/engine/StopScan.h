// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the few bytes a pass must stop at, 64 at a time: one bit mask per window of text.
#pragma once

#include "Sse2.h"
#include "brantlewick/engine/OutputSink.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brantlewick {

inline constexpr std::size_t kWindow = 64;

// A short text is looked at in pieces of this size, so that a line of 70 bytes does not fall back to a
// byte at a time.
inline constexpr std::size_t kVectorPiece = 16;

// Bit i is set when byte i of the window at `p` is one of the stop bytes, found with byte table look-ups.
class TableStops {
public:
    explicit TableStops(const std::array<bool, 256>& isStop) : isStop_(isStop) {}

    std::uint64_t Mask(const char* p) const { return MaskOf<kWindow>(p); }
    std::uint64_t PieceMask(const char* p) const { return MaskOf<kVectorPiece>(p); }

private:
    template <std::size_t Size> std::uint64_t MaskOf(const char* p) const {
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < Size; ++i) {
            mask |= static_cast<std::uint64_t>(isStop_[static_cast<unsigned char>(p[i])]) << i;
        }
        return mask;
    }

private:
    const std::array<bool, 256>& isStop_;
};

#if BRANTLEWICK_SSE2
// The same mask with SSE2 (every x86-64 processor has it): one compare per stop byte for 16 bytes at once.
// Lists with more stop bytes than `Count` take TableStops.
template <std::size_t Count> class VectorStops {
public:
    explicit VectorStops(std::string_view stops) {
        for (std::size_t k = 0; k < Count; ++k) {
            // Unused slots repeat the first stop byte, which changes nothing.
            stops_[k] = _mm_set1_epi8(stops[k < stops.size() ? k : 0]);
        }
    }

    std::uint64_t Mask(const char* p) const {
        std::uint64_t mask = 0;
        for (std::size_t part = 0; part < kWindow / kVectorPiece; ++part) {
            mask |= PieceMask(p + kVectorPiece * part) << (kVectorPiece * part);
        }
        return mask;
    }
    std::uint64_t PieceMask(const char* p) const {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hits = _mm_cmpeq_epi8(bytes, stops_[0]);
        for (std::size_t k = 1; k < Count; ++k) {
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, stops_[k]));
        }
        return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(hits))};
    }

private:
    __m128i stops_[Count];
};
#endif

// Calls `scan` with the fastest mask that covers `stopBytes` (which `isStop` marks too).
template <typename Scan>
void WithStopMask([[maybe_unused]] std::string_view stopBytes, const std::array<bool, 256>& isStop,
                  Scan scan) {
#if BRANTLEWICK_SSE2
    if (stopBytes.size() <= 2) {
        scan(VectorStops<2>(stopBytes));
        return;
    }
    if (stopBytes.size() <= 5) {
        scan(VectorStops<5>(stopBytes));
        return;
    }
    if (stopBytes.size() <= 8) {
        scan(VectorStops<8>(stopBytes));
        return;
    }
#endif
    scan(TableStops(isStop));
}

// The first stop at or after `p`, or `end`.
template <typename StopMask>
const char* FindStop(const char* p, const char* end, const StopMask& stops,
                     const std::array<bool, 256>& isStop) {
    const char* const start = p;
    while (static_cast<std::size_t>(end - p) >= kWindow) {
        if (const std::uint64_t mask = stops.Mask(p)) {
            return p + std::countr_zero(mask);
        }
        p += kWindow;
    }
    while (static_cast<std::size_t>(end - p) >= kVectorPiece) {
        if (const std::uint64_t mask = stops.PieceMask(p)) {
            return p + std::countr_zero(mask);
        }
        p += kVectorPiece;
    }
    if (p != end && static_cast<std::size_t>(end - start) >= kVectorPiece) {
        // The last piece ends at `end` and overlaps bytes already passed, whose bits are shifted out.
        const std::uint64_t mask = stops.PieceMask(end - kVectorPiece) >> (kVectorPiece - (end - p));
        return mask != 0 ? p + std::countr_zero(mask) : end;
    }
    while (p != end && !isStop[static_cast<unsigned char>(*p)]) {
        ++p;
    }
    return p;
}

// The first CR or LF at or after `p`, or `end`.
inline const char* FindLineEnd(const char* p, const char* end) {
    static constexpr auto kLineEnds = [] {
        std::array<bool, 256> lineEnds{};
        lineEnds['\r'] = lineEnds['\n'] = true;
        return lineEnds;
    }();
#if BRANTLEWICK_SSE2
    return FindStop(p, end, VectorStops<2>("\r\n"), kLineEnds);
#else
    return FindStop(p, end, TableStops(kLineEnds), kLineEnds);
#endif
}

// A set of bytes a scanner stops at: a byte table for one look-up a byte, and the bytes themselves for
// the 16-at-a-time search. std::string_view::find_first_of calls memchr once for each byte it passes.
class StopBytes {
public:
    constexpr explicit StopBytes(std::string_view bytes) : bytes_(bytes) {
        for (const char c : bytes) {
            isStop_.at(static_cast<unsigned char>(c)) = true;
        }
    }

    [[nodiscard]] constexpr const std::array<bool, 256>& Table() const { return isStop_; }

    // Where the first byte of the set lies in `text` from `from` on, or npos.
    [[nodiscard]] std::size_t FindIn(std::string_view text, std::size_t from = 0) const {
        if (from >= text.size()) {
            return std::string_view::npos;
        }
        const char* const end = text.data() + text.size();
        const char* found = end;
        WithStopMask(bytes_, isStop_,
                     [&](const auto& stops) { found = FindStop(text.data() + from, end, stops, isStop_); });
        return found == end ? std::string_view::npos : static_cast<std::size_t>(found - text.data());
    }

private:
    std::string_view bytes_;
    std::array<bool, 256> isStop_{};
};

// Where a windowed pass writes: straight into the sink's room, topped up to a fixed number of free bytes
// before each window and each stop, so that a whole window or replacement is copied without a check.
class WindowWriter {
public:
    WindowWriter(OutputSink& sink, std::size_t room) : sink_(sink), room_(room) { Reopen(); }

    void EnsureRoom() {
        if (static_cast<std::size_t>(limit_ - out_) < room_) {
            sink_.Advance(out_);
            Reopen();
        }
    }
    // Copies a whole window without moving on: what a stop writes goes over the part after the stop.
    void CopyWindow(const char* p) { std::memcpy(out_, p, kWindow); }
    // Keeps `count` bytes of what CopyWindow() copied.
    void Keep(std::ptrdiff_t count) { out_ += count; }
    void Put(char byte) { *out_++ = byte; }
    void Write(const char* bytes, std::size_t size) {
        std::memcpy(out_, bytes, size);
        out_ += size;
    }
    // Copies all of `padded`, a fixed-size block that starts with the `size` bytes to write, and keeps those.
    template <std::size_t Padded> void WritePadded(const std::array<char, Padded>& padded, std::size_t size) {
        std::memcpy(out_, padded.data(), Padded);
        out_ += size;
    }

    // Where the next byte goes, counted from the start of the output.
    std::uint64_t Position() const { return sink_.PositionOf(out_); }
    OutputSink& Sink() const { return sink_; }

    // Hands what was written to the sink; Reopen() before writing here again.
    void Close() { sink_.Advance(out_); }
    void Reopen() {
        out_ = sink_.Reserve(room_);
        limit_ = sink_.Limit();
    }

private:
    OutputSink& sink_;
    std::size_t room_;
    char* out_ = nullptr;
    char* limit_ = nullptr;
};

} // namespace brantlewick
