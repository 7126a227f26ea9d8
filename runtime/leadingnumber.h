#pragma once

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

} // namespace perne
