// The histogram chart: both modes' meeting counts as side-by-side bars (share of runs),
// the exact expected counts as dashed lines, big type for a projector.
#include "report.h"

#include "constants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace perne::stats {
namespace {

constexpr double kWidth = 1600;
constexpr double kHeight = 900;
constexpr double kLeft = 150;
constexpr double kRight = 1560;
constexpr double kTop = 190;
constexpr double kBottom = 760;
constexpr const char *kFonts =
    "IPAPGothic, 'IPA Pゴシック', 'IPAGothic', 'Noto Sans CJK JP', 'Hiragino Sans', "
    "'Yu Gothic', Meiryo, sans-serif";

// Colours that stay apart for colour-blind eyes and on a washed-out projector.
const char *colour(Mode mode)
{
    return mode == Mode::Both ? "#D55E00" : "#0072B2";
}

std::string num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", v);
    return buffer;
}

std::string escaped(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string text(double x, double y, int size, const std::string &anchor,
                 const std::string &content, const std::string &extra = {})
{
    return "  <text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" + std::to_string(size) +
           "\" text-anchor=\"" + anchor + "\"" + extra + ">" + escaped(content) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const std::string &style)
{
    return "  <line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
           num(y2) + "\" " + style + "/>\n";
}

// A step of 1, 2 or 5 times a power of ten that gives at most `most` steps up to `top`.
double niceStep(double top, int most)
{
    const double raw = top / most;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw)
            return m * power;
    return 10.0 * power;
}

std::string shortNumber(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

std::string fixed2(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

} // namespace

std::string formatSvg(const Report &report)
{
    int maxCount = 0;
    double maxShare = 0.0;
    for (const ModeResult &m : report.modes) {
        if (!m.simulated || m.simulated->runs == 0)
            continue;
        maxCount = std::max(maxCount, m.simulated->max);
        for (const long long n : m.simulated->histogram)
            maxShare = std::max(maxShare, 100.0 * static_cast<double>(n) /
                                              static_cast<double>(m.simulated->runs));
    }
    for (const ModeResult &m : report.modes)
        maxCount = std::max(maxCount, static_cast<int>(std::ceil(m.exact.meanMeetings)));
    const double yStep = niceStep(std::max(maxShare, 1.0), 6);
    const double yTop = std::ceil(std::max(maxShare, 1.0) / yStep) * yStep;

    const double unit = (kRight - kLeft) / (maxCount + 1); // one count's width
    auto xOf = [&](double count) { return kLeft + (count + 0.5) * unit; };
    auto yOf = [&](double share) { return kBottom - share / yTop * (kBottom - kTop); };

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(kWidth) + "\" height=\"" +
           num(kHeight) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(kHeight) +
           "\" font-family=\"" + escaped(kFonts) + "\">\n";
    svg += "  <rect x=\"0\" y=\"0\" width=\"" + num(kWidth) + "\" height=\"" + num(kHeight) +
           "\" fill=\"#FFFFFF\"/>\n";
    svg += "  <title>ペルネ回数の分布</title>\n";
    svg += text(kWidth / 2, 62, 44, "middle",
                "ペルネ回数の分布（" + std::to_string(static_cast<int>(kTimeLimitSeconds)) +
                    "秒の実験を各 " + std::to_string(report.runs) + " 回）",
                " font-weight=\"bold\"");
    svg += text(kWidth / 2, 112, 30, "middle",
                "桃太郎 (" + std::to_string(report.start.momotaro.x) + "," +
                    std::to_string(report.start.momotaro.y) + ")・犬 (" +
                    std::to_string(report.start.dog.x) + "," + std::to_string(report.start.dog.y) +
                    ")　破線は期待値（厳密な計算）");

    // Grid and the share axis.
    for (double share = 0.0; share <= yTop + yStep / 2; share += yStep) {
        const double y = yOf(share);
        svg += line(kLeft, y, kRight, y, "stroke=\"#CCCCCC\" stroke-width=\"2\"");
        svg += text(kLeft - 14, y + 10, 28, "end", shortNumber(share));
    }
    // Upright above the axis: easier to read from the back of the room than turned text.
    svg += text(30, kTop - 40, 30, "start", "実験の割合（％）");

    // Bars, side by side within each count.
    std::vector<const ModeResult *> drawn;
    for (const ModeResult &m : report.modes)
        if (m.simulated && m.simulated->runs > 0)
            drawn.push_back(&m);
    const double groupWidth = unit * 0.8;
    const double barWidth = drawn.empty() ? 0.0 : groupWidth / static_cast<double>(drawn.size());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const Summary &s = *drawn[i]->simulated;
        svg += "  <g fill=\"" + std::string(colour(drawn[i]->mode)) + "\">\n";
        for (std::size_t k = 0; k < s.histogram.size(); ++k) {
            if (s.histogram[k] == 0)
                continue;
            const double share =
                100.0 * static_cast<double>(s.histogram[k]) / static_cast<double>(s.runs);
            const double x =
                xOf(static_cast<double>(k)) - groupWidth / 2 + static_cast<double>(i) * barWidth;
            svg += "    <rect x=\"" + num(x) + "\" y=\"" + num(yOf(share)) + "\" width=\"" +
                   num(barWidth) + "\" height=\"" + num(kBottom - yOf(share)) + "\"/>\n";
        }
        svg += "  </g>\n";
    }

    // The count axis.
    svg += line(kLeft, kBottom, kRight, kBottom, "stroke=\"#000000\" stroke-width=\"3\"");
    const int xEvery = maxCount <= 20 ? 1 : maxCount <= 50 ? 5 : 10;
    for (int k = 0; k <= maxCount; k += xEvery)
        svg += text(xOf(k), kBottom + 40, 28, "middle", std::to_string(k));
    svg += text((kLeft + kRight) / 2, kBottom + 100, 32, "middle", "1回の実験でのペルネ回数");

    // The exact means, and the legend that names them.
    double legendY = kTop + 10;
    for (const ModeResult &m : report.modes) {
        const double x = xOf(m.exact.meanMeetings);
        // A white band under the dashes keeps them visible over a bar of their own colour.
        svg += line(x, kTop - 20, x, kBottom, "stroke=\"#FFFFFF\" stroke-width=\"11\"");
        svg += line(x, kTop - 20, x, kBottom,
                    "stroke=\"" + std::string(colour(m.mode)) +
                        "\" stroke-width=\"5\" stroke-dasharray=\"18 10\"");
        svg += "  <rect x=\"" + num(kRight - 620) + "\" y=\"" + num(legendY - 26) +
               "\" width=\"36\" height=\"36\" fill=\"" + colour(m.mode) + "\"/>\n";
        std::string label =
            std::string(modeCaption(m.mode)) + "　期待値 " + fixed2(m.exact.meanMeetings) + " 回";
        if (m.simulated && m.simulated->runs > 0)
            label += "（平均 " + fixed2(m.simulated->mean) + "）";
        svg += text(kRight - 570, legendY + 4, 30, "start", label);
        legendY += 50;
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace perne::stats
