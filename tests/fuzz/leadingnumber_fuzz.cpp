// Feeds arbitrary typed text to the reader of coordinate answers: no crash, hang or NaN; an
// answer is accepted exactly when it is not empty and reads 0..10, and is then that reading
// rounded half to even; ASCII text reads the same typed full-width with ideographic spaces.

#include "coordinateanswer.h"
#include "leadingnumber.h"
#include "rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Each character followed by the ideographic space U+3000, printable ASCII as its full-width
// twin: U+FF01..U+FF5E, which UTF-8 writes as EF BC 81..EF BD 9E.
std::string fullWidthSpaced(std::string_view ascii)
{
    std::string out;
    for (const char c : ascii) {
        if (c > ' ' && c <= '~')
            out += {'\xEF', char(0xBC + (c - 0x20) / 64), char(0x80 + (c - 0x20) % 64)};
        else
            out += c;
        out += "\u3000";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double value = perne::leadingNumber(text);
    const auto accepted = perne::acceptCoordinate(text);
    bool ok = !std::isnan(value) &&
              accepted.has_value() == (!text.empty() && value >= 0.0 && value <= 10.0) &&
              (!accepted || *accepted == perne::roundHalfEven(value));
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        ok = ok && perne::leadingNumber(fullWidthSpaced(text)) == value;
    if (!ok)
        std::abort();
    return 0;
}
