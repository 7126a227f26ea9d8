#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace perne {

// The acceptance test for a typed starting coordinate: the answer must not be empty and its
// leading number must lie in 0..10; it is then rounded half to even (0.5 -> 0, 2.5 -> 2).
// Text that is not a number reads as 0 and is accepted, as are blanks alone. Returns nothing
// for a refused answer (empty, out of range, or too large to read at all).
std::optional<std::int16_t> acceptCoordinate(std::string_view answer);

} // namespace perne
