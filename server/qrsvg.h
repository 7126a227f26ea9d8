#pragma once

#include <optional>
#include <string>

namespace perne::server {

// The text as a QR code (error correction M, 8-bit mode) drawn as an SVG: one path of dark
// modules on a white square with the standard four-module quiet zone. Nothing when the text is
// too long for a QR code.
std::optional<std::string> qrSvg(const std::string &text);

} // namespace perne::server
