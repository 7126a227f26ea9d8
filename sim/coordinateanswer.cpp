#include "coordinateanswer.h"

#include "constants.h"
#include "leadingnumber.h"
#include "rounding.h"

namespace perne {

std::optional<std::int16_t> acceptCoordinate(std::string_view answer)
{
    if (answer.empty())
        return std::nullopt;
    const double value = leadingNumber(answer);
    // Written so that infinities fail too.
    if (!(value >= kLatticeMin && value <= kLatticeMax))
        return std::nullopt;
    return static_cast<std::int16_t>(roundHalfEven(value));
}

} // namespace perne
