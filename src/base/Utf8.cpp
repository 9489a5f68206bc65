// SPDX-License-Identifier: GPL-3.0-or-later
// Strict UTF-8 decoding after RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
#include "brantlewick/base/Utf8.h"

namespace brantlewick::utf8 {

char32_t Next(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, smallest = 0x10000;
    } else {
        ++pos;
        return kInvalid;
    }
    if (text.size() - pos < length) {
        ++pos;
        return kInvalid;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0u) != 0x80u) {
            ++pos;
            return kInvalid;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return kInvalid;
    }
    pos += length;
    return code;
}

bool IsValid(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos; // the common case stays cheap for long ASCII paths
        } else if (Next(text, pos) == kInvalid) {
            return false;
        }
    }
    return true;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        Next(text, pos);
    }
    return count;
}

} // namespace brantlewick::utf8
