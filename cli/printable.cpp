#include "printable.h"

#include <cstdio>

namespace perne::cli {
namespace {

// \n, \x1B, \u202E for a control character of the given code.
std::string escaped(char32_t code)
{
    switch (code) {
    case U'\n':
        return "\\n";
    case U'\r':
        return "\\r";
    case U'\t':
        return "\\t";
    default:
        break;
    }
    char text[16];
    std::snprintf(text, sizeof text, code < 0x100 ? "\\x%02X" : "\\u%04X",
                  static_cast<unsigned>(code));
    return text;
}

// Characters that move the cursor, end a line or reorder or hide the text around them.
bool isControl(char32_t code)
{
    return code < 0x20 || (code >= 0x7F && code < 0xA0) || code == 0x061C || code == 0x200E ||
           code == 0x200F || (code >= 0x2028 && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}

} // namespace

std::string printable(std::string_view text)
{
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        // The UTF-8 sequence that starts here: its length, its smallest code, its first bits.
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        char32_t code = length == 1 ? lead : length == 0 ? 0 : lead & (0x7F >> length);
        bool valid = length > 0 && at + length <= text.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
                !(code >= 0xD800 && code < 0xE000);
        if (!valid) {
            shown += escaped(lead);
            ++at;
            continue;
        }
        if (isControl(code))
            shown += escaped(code);
        else
            shown.append(text.substr(at, length));
        at += length;
    }
    return shown;
}

} // namespace perne::cli
