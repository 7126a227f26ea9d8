#pragma once

#include <QColor>

namespace perne {

// The classic sixteen-colour table the texts are coloured by (0 black ... 15 white).
QColor colourNumber(int number);

constexpr QRgb kForm1Background = 0xFFC0C0C0;
constexpr QRgb kValueLabelBackground = 0xFFFFFFFF;
constexpr QRgb kMeetingCountColour = 0xFFFF0000; // Label3
constexpr QRgb kElapsedTimeColour = 0xFF0000FF;  // Label4
constexpr QRgb kPrintBoxBackground = 0xFFFFFFFF;

} // namespace perne
