// Feeds arbitrary typed text to the reader of coordinate answers and checks what every
// caller relies on: no crash or hang, never NaN, an accepted answer lies in 0..10, and
// text read the same whether typed in ASCII or with a Japanese input method, with or
// without blanks in between.

#include "coordinateanswer.h"
#include "leadingnumber.h"
#include "rounding.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

bool sameReading(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The full-width twin of ASCII text: printable characters become U+FF01..U+FF5E and the
// space becomes the ideographic space.
std::string fullWidth(std::string_view ascii)
{
    std::string out;
    for (const char c : ascii) {
        char32_t code = static_cast<unsigned char>(c);
        if (c == ' ')
            code = 0x3000;
        else if (c > ' ' && c <= '~')
            code += 0xFEE0;
        if (code < 0x80) {
            out += c;
            continue;
        }
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double value = perne::leadingNumber(text);
    check(!std::isnan(value));

    const auto accepted = perne::acceptCoordinate(text);
    const bool inRange = !text.empty() && value >= 0.0 && value <= 10.0;
    check(accepted.has_value() == inRange);
    if (accepted)
        check(*accepted >= 0 && *accepted <= 10 && *accepted == perne::roundHalfEven(value));

    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return 0;
    }
    check(sameReading(perne::leadingNumber(fullWidth(text)), value));
    std::string spaced;
    for (const char c : text) {
        spaced += c;
        spaced += ' ';
    }
    check(sameReading(perne::leadingNumber(spaced), value));
    return 0;
}
