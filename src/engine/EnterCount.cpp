// SPDX-License-Identifier: GPL-3.0-or-later
// Numeric test and value reading for the number-of-Enters text.
#include "brantlewick/engine/EnterCount.h"

#include "brantlewick/engine/AsciiCase.h"

#include <algorithm>
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

bool IsSign(char c) {
    return c == '+' || c == '-';
}

// Takes characters off the front of a text, one rule of the number's form at a time.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return i_ == text_.size(); }

    // The next character when it passes `test`, taken; otherwise '\0', and nothing is taken.
    template <typename Test> char TakeIf(Test test) {
        if (i_ < text_.size() && test(text_[i_])) {
            return text_[i_++];
        }
        return '\0';
    }

    bool Take(std::string_view word) {
        if (!text_.substr(i_).starts_with(word)) {
            return false;
        }
        i_ += word.size();
        return true;
    }

    std::string_view TakeWhile(bool (*test)(char)) {
        const std::size_t start = i_;
        while (i_ < text_.size() && test(text_[i_])) {
            ++i_;
        }
        return text_.substr(start, i_ - start);
    }

    // Digits with the locale's group separator between them (never before the first digit); returns how
    // many digits.
    std::size_t TakeGroupedDigits(std::string_view grouping) {
        std::size_t digits = 0;
        for (;;) {
            if (TakeIf(IsDigit) != '\0') {
                ++digits;
            } else if (digits == 0 || grouping.empty() || !Take(grouping)) {
                return digits;
            }
        }
    }

private:
    std::string_view text_;
    std::size_t i_ = 0;
};

std::string WithoutSpaces(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            compact.push_back(c);
        }
    }
    return compact;
}

// An exponent letter, an optional sign and digits, in the form from_chars takes ("e", no "+"); nothing
// when no digit follows.
std::string ExponentOf(Reader& reader) {
    if (reader.TakeIf(IsExponentLetter) == '\0') {
        return {};
    }
    const char sign = reader.TakeIf(IsSign);
    const std::string_view digits = reader.TakeWhile(IsDigit);
    if (digits.empty()) {
        return {};
    }
    return (sign == '-' ? "e-" : "e") + std::string(digits);
}

double DecimalValue(const std::string& number) {
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow and underflow; tell them apart by the exponent.
        value = number.find("e-") != std::string::npos ? 0.0 : HUGE_VAL;
    }
    return value;
}

// The value at the start of `text` by the locale-independent rule; reading stops at the first character
// that does not fit, and nothing readable gives 0.
double LeadingNumberValue(std::string_view text) {
    const std::string compact = WithoutSpaces(text);
    if (StartsWithRadixPrefix(compact, 'h')) {
        return RadixValue(std::string_view(compact).substr(2), 16);
    }
    if (StartsWithRadixPrefix(compact, 'o')) {
        return RadixValue(std::string_view(compact).substr(2), 8);
    }
    // The longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    Reader reader(compact);
    const char sign = reader.TakeIf(IsSign);
    std::string number(reader.TakeWhile(IsDigit));
    if (reader.Take(".")) {
        number += '.';
        number += reader.TakeWhile(IsDigit);
    }
    if (number.empty() || number == ".") {
        return 0;
    }
    number += ExponentOf(reader);
    const double value = DecimalValue(number);
    return sign == '-' ? -value : value;
}

struct NumberMarks {
    std::string_view decimal = ".";
    std::string_view grouping;
};

NumberMarks LocaleMarks() {
    NumberMarks marks;
    if (const std::lconv* conventions = std::localeconv()) {
        if (conventions->decimal_point != nullptr && *conventions->decimal_point != '\0') {
            marks.decimal = conventions->decimal_point;
        }
        if (conventions->thousands_sep != nullptr && *conventions->thousands_sep != '\0') {
            marks.grouping = conventions->thousands_sep;
        }
    }
    return marks;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// `text` starts with &H or &O.
bool IsRadixNumber(std::string_view text) {
    const bool hex = FoldAscii(text[1]) == 'h';
    const std::string_view digits = text.substr(2);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(),
                                          [hex](char c) { return hex ? IsHexDigit(c) : IsOctalDigit(c); });
}

// An exponent, if one starts here, has digits.
bool ExponentIsWhole(Reader& reader) {
    if (reader.TakeIf(IsExponentLetter) == '\0') {
        return true;
    }
    reader.TakeIf(IsSign);
    return !reader.TakeWhile(IsDigit).empty();
}

} // namespace

bool IsNumericText(std::string_view text) {
    const NumberMarks marks = LocaleMarks();
    text = Trimmed(text);
    if (StartsWithRadixPrefix(text, 'h') || StartsWithRadixPrefix(text, 'o')) {
        return IsRadixNumber(text);
    }
    Reader reader(text);
    if (reader.TakeIf(IsSign) != '\0') {
        reader.TakeWhile(IsBlank);
    }
    std::size_t digits = reader.TakeGroupedDigits(marks.grouping);
    if (reader.Take(marks.decimal)) {
        digits += reader.TakeWhile(IsDigit).size();
    }
    return digits != 0 && ExponentIsWhole(reader) && reader.AtEnd();
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
