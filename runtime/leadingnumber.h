#pragma once

#include <string>
#include <string_view>

namespace perne {

// Reads the number at the start of typed text, the way a student expects a coordinate
// answer to be read:
//  - blanks (ASCII space, tab, line breaks, the ideographic space U+3000) are ignored
//    wherever they stand, so "1 0" reads 10;
//  - full-width digits, signs, decimal point and exponent letters typed with a Japanese
//    input method read as their ASCII twins, so "５" is 5 and "－１" is -1;
//  - then an optional sign, digits with at most one decimal point, and an optional
//    exponent (E or D) are read; reading stops at the first character that does not fit;
//  - text with no leading number reads 0 ("abc" is 0, "7x" is 7).
// A number too large for a double reads as +/-infinity so that callers can refuse it;
// the result is never NaN and the function never throws.
double leadingNumber(std::string_view text) noexcept;

// The one set of characters typed text may hold in the place of ASCII, for every reader of
// numbers (the prompts, perne-stats's options, the teacher's page): the full-width forms
// U+FF01..U+FF5E of '!'..'~', the minus sign U+2212 for '-', and the ideographic space U+3000
// as a blank. (The long vowel mark "ー", which looks like a minus, is not one.)
constexpr char32_t kFullWidthFirst = 0xFF01;
constexpr char32_t kFullWidthLast = 0xFF5E;
constexpr char32_t kFullWidthOffset = 0xFEE0; // full-width form - ASCII
constexpr char32_t kMinusSign = 0x2212;
constexpr char32_t kIdeographicSpace = 0x3000;

// The text with each of those characters written as its ASCII twin (the ideographic space
// as a space); everything else is kept as it is.
std::string halfWidth(std::string_view text);

} // namespace perne
