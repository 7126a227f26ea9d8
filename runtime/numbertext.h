#pragma once

#include <string>

namespace perne {

// Every number the program shows goes through here: a non-negative number gets one
// leading space where a negative one has its minus sign, so 3 reads " 3" and -3 reads "-3".
std::string numberText(long long value);

} // namespace perne
