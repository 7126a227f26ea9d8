#pragma once

namespace perne {

// The Japanese proportional Gothic the windows were designed with.
constexpr char kDesignFontFamily[] = "ＭＳ Ｐゴシック";
// What stands in for it on Linux: metric-compatible, from fonts-ipafont-gothic.
constexpr char kSubstituteFontFamily[] = "IPAPGothic";
// The windows' default font (buttons, Label1, Label2, Label4, the print boxes): the design
// face at the usual interface size.
constexpr double kDefaultFontPointSize = 9.0;

// The axis marks in the field.
constexpr double kAxisLabelPointSize = 12.0;
constexpr int kAxisLabelWeight = 700;
// Label3, the meeting count.
constexpr double kMeetingCountPointSize = 9.75;

} // namespace perne
