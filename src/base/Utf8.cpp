// SPDX-License-Identifier: GPL-3.0-or-later
#include "brantlewick/base/Utf8.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace brantlewick::utf8 {

namespace {

bool In(unsigned char c, unsigned char first, unsigned char last) {
    return c >= first && c <= last;
}

} // namespace

Char DecodeMultiByte(const char* p, const char* end) {
    if (p >= end) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(*p);
    int size = 0;
    char32_t code = 0;
    // The second byte's range, narrowed against overlong forms, surrogates and values past U+10FFFF: a
    // check on one byte where the decoded value would need three.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (In(lead, 0xC2, 0xDF)) {
        size = 2;
        code = lead & 0x1F;
    } else if (In(lead, 0xE0, 0xEF)) {
        size = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (In(lead, 0xF0, 0xF4)) {
        size = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kMalformed + lead, 1};
    }
    if (end - p < size) {
        return {kMalformed + lead, 1};
    }
    for (int i = 1; i < size; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if (!IsContinuation(p[i]) || (i == 1 && (b < low || b > high))) {
            return {kMalformed + lead, 1};
        }
        code = (code << 6) | (b & 0x3F);
    }
    return {code, size};
}

Char DecodeMultiByteBefore(const char* begin, const char* p) {
    if (p <= begin) {
        return {};
    }
    const char* start = p - 1;
    while (start > begin && p - start < 4 && IsContinuation(*start)) {
        --start;
    }
    const Char c = DecodeAt(start, p);
    if (c.size == p - start) {
        return c;
    }
    return {kMalformed + static_cast<unsigned char>(p[-1]), 1};
}

bool IsValid(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        // Long runs of ASCII go sixteen bytes at a time: whole settings files and paragraphs are checked.
        constexpr std::uint64_t kHighBits = 0x8080808080808080U;
        std::array<std::uint64_t, 2> sixteen{};
        if (end - p >= 16 &&
            (std::memcpy(sixteen.data(), p, 16), ((sixteen[0] | sixteen[1]) & kHighBits) == 0)) {
            p += 16;
            continue;
        }
        std::uint64_t eight = 0;
        if (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & kHighBits) == 0)) {
            p += 8;
            continue;
        }
        const Char c = DecodeAt(p, end);
        if (c.code >= kMalformed) {
            return false;
        }
        p += c.size;
    }
    return true;
}

std::size_t Width(std::string_view text) {
    // Every line of a reflowed or joined text is measured: eight bytes at a time, a continuation byte
    // (10xxxxxx) being one whose top bit is set and whose next bit is not.
    constexpr std::uint64_t kTopBits = 0x8080808080808080U;
    constexpr std::uint64_t kOnes = 0x0101010101010101U;
    std::size_t continuations = 0;
    std::size_t at = 0;
    for (; text.size() - at >= 8; at += 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, text.data() + at, 8);
        if ((eight & kTopBits) == 0) {
            continue; // ASCII, as most of it is
        }
        const std::uint64_t tails = eight & ~(eight << 1) & kTopBits;
        continuations += static_cast<std::size_t>(((tails >> 7) * kOnes) >> 56);
    }
    for (; at < text.size(); ++at) {
        continuations += IsContinuation(text[at]) ? 1 : 0;
    }
    return text.size() - continuations;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        Next(text, pos);
    }
    return count;
}

} // namespace brantlewick::utf8
