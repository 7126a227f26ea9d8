#pragma once

#include <array>
#include <cstdint>

namespace perne {

// Colours as 0xRRGGBB.
using Rgb = std::uint32_t;

// The classic sixteen-colour table the printed texts are coloured by (0 black ... 15 white).
constexpr std::array<Rgb, 16> kColourTable{
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
    0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// Any number reads modulo 16, so a stray one still names a colour.
constexpr Rgb colourNumber(int number)
{
    return kColourTable[static_cast<unsigned>(number) & 15u];
}

constexpr Rgb kForm1Background = 0xC0C0C0;
constexpr Rgb kValueLabelBackground = 0xFFFFFF;
constexpr Rgb kMeetingCountColour = 0xFF0000; // Label3
constexpr Rgb kElapsedTimeColour = 0x0000FF;  // Label4
constexpr Rgb kPrintBoxBackground = 0xFFFFFF;

} // namespace perne
