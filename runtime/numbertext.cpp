#include "numbertext.h"

namespace perne {

std::string numberText(long long value)
{
    std::string digits = std::to_string(value);
    if (value >= 0)
        digits.insert(digits.begin(), ' ');
    return digits;
}

} // namespace perne
