#include "leadingnumber.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace perne {
namespace {

// Decodes one UTF-8 sequence at text[pos]; a malformed byte decodes as itself so that it
// simply ends the number.
char32_t decode(std::string_view text, std::size_t &pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    int extra = 0;
    char32_t code = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        code = lead & 0x07u;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        code = lead & 0x0Fu;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        code = lead & 0x1Fu;
    }
    if (extra == 0 || pos + extra >= text.size()) {
        ++pos;
        return lead;
    }
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0u) != 0x80u) {
            ++pos;
            return lead;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    // Overlong forms and surrogates are malformed too: "\xE0\x80\xB5" is not a '5'.
    constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kShortest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return lead;
    }
    pos += extra + 1;
    return code;
}

bool isBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == kIdeographicSpace;
}

// Maps full-width ASCII look-alikes to ASCII; anything else that is not ASCII becomes a
// character that cannot be part of a number.
char toAscii(char32_t c)
{
    if (c >= kFullWidthFirst && c <= kFullWidthLast)
        c -= kFullWidthOffset;
    else if (c == kMinusSign)
        c = '-';
    return c < 0x80 ? static_cast<char>(c) : '\x01';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A value beyond double's range reads as infinity or zero, whichever way it went: the
// decimal order of magnitude tells overflow from underflow.
double outOfRange(const std::string &number, std::size_t exponentAt)
{
    const bool negative = number.front() == '-';
    const std::string_view mantissa = std::string_view(number).substr(0, exponentAt);
    long long order = 0;
    const std::size_t point = mantissa.find('.');
    const std::size_t firstNonZero = mantissa.find_first_of("123456789");
    const std::size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
    if (firstNonZero < intEnd)
        order = static_cast<long long>(intEnd - firstNonZero) - 1;
    else if (firstNonZero != std::string_view::npos)
        order = static_cast<long long>(intEnd) - static_cast<long long>(firstNonZero);
    if (exponentAt != std::string::npos) {
        long long exponent = 0;
        const bool negativeExponent = number[exponentAt + 1] == '-';
        for (std::size_t i = exponentAt + 1; i < number.size(); ++i) {
            if (isDigit(number[i]) && exponent < 1'000'000'000'000LL)
                exponent = exponent * 10 + (number[i] - '0');
        }
        order += negativeExponent ? -exponent : exponent;
    }
    const double magnitude = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

} // namespace

std::string halfWidth(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t from = pos;
        const char32_t code = decode(text, pos);
        if (code == kIdeographicSpace)
            out += ' ';
        else if ((code >= kFullWidthFirst && code <= kFullWidthLast) || code == kMinusSign)
            out += toAscii(code);
        else
            out.append(text.substr(from, pos - from));
    }
    return out;
}

double leadingNumber(std::string_view text) noexcept
{
    // Gather the characters that can form the leading number, blanks dropped.
    std::string number;
    bool seenDigit = false;
    bool seenPoint = false;
    std::size_t exponentAt = std::string::npos;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t code = decode(text, pos);
        if (isBlank(code))
            continue;
        const char c = toAscii(code);
        if ((c == '+' || c == '-') && number.empty()) {
            number += c;
        } else if (isDigit(c)) {
            number += c;
            if (exponentAt == std::string::npos)
                seenDigit = true;
        } else if (c == '.' && !seenPoint && exponentAt == std::string::npos) {
            number += c;
            seenPoint = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seenDigit &&
                   exponentAt == std::string::npos) {
            exponentAt = number.size();
            number += 'e';
        } else if ((c == '+' || c == '-') && exponentAt != std::string::npos &&
                   number.size() == exponentAt + 1) {
            number += c;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    // An exponent marker with no digits after it is not part of the number.
    if (exponentAt != std::string::npos && !isDigit(number.back())) {
        number.resize(exponentAt);
        exponentAt = std::string::npos;
    }

    // The C library reads the number; it expects the locale's decimal separator, so the
    // point is given to it in that form and typed text reads the same in every locale.
    const char *separator = std::localeconv()->decimal_point;
    if (separator && *separator && std::string_view(separator) != ".") {
        if (const std::size_t point = number.find('.'); point != std::string::npos)
            number.replace(point, 1, separator);
    }
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && (std::isinf(value) || value == 0.0))
        return outOfRange(number, exponentAt);
    if (std::isnan(value))
        return 0.0;
    return value;
}

} // namespace perne
