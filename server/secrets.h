#pragma once

#include <string>
#include <string_view>

namespace perne::server {

// The join code's alphabet: digits and capitals without the look-alikes 0/O and 1/I/L.
inline constexpr std::string_view kCodeAlphabet = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
inline constexpr std::size_t kCodeLength = 6;

// A fresh join code, drawn from the operating system's random source.
std::string newJoinCode();
// Whether text (upper-cased first) is a join code in form; gives it upper-cased, or empty.
std::string normalJoinCode(std::string_view text);

// A fresh secret: 256 random bits from the operating system, base64url without padding
// (43 characters).
std::string newSecret();

// SHA-256 of the text, as 64 lowercase hex digits.
std::string sha256Hex(std::string_view text);

// Compares two texts in a time that does not depend on where they differ.
bool sameText(std::string_view a, std::string_view b);

} // namespace perne::server
