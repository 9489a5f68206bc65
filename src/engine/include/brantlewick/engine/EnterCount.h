// SPDX-License-Identifier: GPL-3.0-or-later
// The number of Enters to insert, worked out from the free text the user typed.
#pragma once

#include <stdexcept>
#include <string_view>

namespace brantlewick {

// Whether `text` reads as a number in the user's locale (its decimal and grouping characters): blanks
// around it, a sign, digits, a decimal part, an exponent (E or D), or a &H/&O whole number. An empty or
// blank text, or one with anything after the number, is not numeric.
bool IsNumericText(std::string_view text);

// Raised when the value does not fit the 16-bit count; its description is the one users see.
class EnterCountOverflow : public std::overflow_error {
public:
    EnterCountOverflow() : std::overflow_error("Overflow") {}
};

// 1 for a non-numeric text or a value of 0 or less, otherwise the value rounded half to even. The value
// is read by the locale-independent rule: blanks anywhere are ignored, "." is the decimal point, E or D
// start the exponent, &H and &O give hexadecimal and octal whole numbers. Throws EnterCountOverflow for
// values of 32767.5 and more.
int EnterCountFromText(std::string_view text);

} // namespace brantlewick
