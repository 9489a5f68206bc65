// SPDX-License-Identifier: GPL-3.0-or-later
// Numeric test and value reading for the number-of-Enters text.
#include "brantlewick/engine/EnterCount.h"

#include "brantlewick/engine/AsciiCase.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <string>

namespace brantlewick {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (FoldAscii(c) >= 'a' && FoldAscii(c) <= 'f');
}
bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// `letter` in lower case.
bool StartsWithRadixPrefix(std::string_view text, char letter) {
    return text.size() >= 2 && text[0] == '&' && FoldAscii(text[1]) == letter;
}

// The letters that start an exponent.
bool IsExponentLetter(char c) {
    return FoldAscii(c) == 'e' || FoldAscii(c) == 'd';
}

// Reads a &H or &O whole number from the start of `digits` (prefix already removed).
double RadixValue(std::string_view digits, int radix) {
    double value = 0;
    for (const char c : digits) {
        const bool fits = radix == 16 ? IsHexDigit(c) : IsOctalDigit(c);
        if (!fits) {
            break;
        }
        const int digit = IsDigit(c) ? c - '0' : FoldAscii(c) - 'a' + 10;
        value = value * radix + digit;
    }
    return value;
}

// The value at the start of `text` by the locale-independent rule; reading stops at the first character
// that does not fit, and nothing readable gives 0.
double LeadingNumberValue(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact.push_back(c);
        }
    }
    if (StartsWithRadixPrefix(compact, 'h')) {
        return RadixValue(std::string_view(compact).substr(2), 16);
    }
    if (StartsWithRadixPrefix(compact, 'o')) {
        return RadixValue(std::string_view(compact).substr(2), 8);
    }
    // Copy the longest prefix of the form [sign] digits [. digits] [E|D [sign] digits] in a form from_chars
    // takes (no "+", "E" for the exponent).
    std::string number;
    std::size_t i = 0;
    bool negative = false;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
        negative = compact[i] == '-';
        ++i;
    }
    std::size_t mantissaDigits = 0;
    while (i < compact.size() && IsDigit(compact[i])) {
        number.push_back(compact[i++]);
        ++mantissaDigits;
    }
    if (i < compact.size() && compact[i] == '.') {
        number.push_back(compact[i++]);
        while (i < compact.size() && IsDigit(compact[i])) {
            number.push_back(compact[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return 0;
    }
    if (i < compact.size() && IsExponentLetter(compact[i])) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) {
            if (compact[j] == '-') {
                exponent.push_back('-');
            }
            ++j;
        }
        const std::size_t firstDigit = j;
        while (j < compact.size() && IsDigit(compact[j])) {
            exponent.push_back(compact[j++]);
        }
        if (j > firstDigit) {
            number += exponent;
        }
    }
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; tell them apart by the exponent.
        value = number.find("e-") != std::string::npos ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

} // namespace

bool IsNumericText(std::string_view text) {
    std::string_view decimal = ".";
    std::string_view grouping;
    if (const std::lconv* conventions = std::localeconv()) {
        if (conventions->decimal_point && *conventions->decimal_point) {
            decimal = conventions->decimal_point;
        }
        if (conventions->thousands_sep && *conventions->thousands_sep) {
            grouping = conventions->thousands_sep;
        }
    }
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (StartsWithRadixPrefix(text, 'h') || StartsWithRadixPrefix(text, 'o')) {
        const bool hex = FoldAscii(text[1]) == 'h';
        const std::string_view digits = text.substr(2);
        if (digits.empty()) {
            return false;
        }
        for (const char c : digits) {
            if (!(hex ? IsHexDigit(c) : IsOctalDigit(c))) {
                return false;
            }
        }
        return true;
    }
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
    }
    std::size_t digits = 0;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            ++digits;
            ++i;
        } else if (digits > 0 && !grouping.empty() && text.substr(i).starts_with(grouping)) {
            i += grouping.size();
        } else {
            break;
        }
    }
    if (text.substr(i).starts_with(decimal)) {
        i += decimal.size();
        while (i < text.size() && IsDigit(text[i])) {
            ++digits;
            ++i;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && IsExponentLetter(text[i])) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) {
            ++exponentDigits;
            ++i;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == text.size();
}

int EnterCountFromText(std::string_view text) {
    if (!IsNumericText(text)) {
        return 1;
    }
    const double value = LeadingNumberValue(text);
    if (!(value > 0)) {
        return 1;
    }
    if (value >= 32767.5) {
        throw EnterCountOverflow();
    }
    return static_cast<int>(std::nearbyint(value));
}

} // namespace brantlewick
