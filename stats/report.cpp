#include "report.h"

#include "constants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace perne::stats {
namespace {

std::string fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string fixed(const std::optional<double> &value, int decimals)
{
    return value ? fixed(*value, decimals) : std::string("—");
}

std::string pointText(Point p)
{
    std::string text(1, '(');
    text += std::to_string(p.x);
    text += ',';
    text += std::to_string(p.y);
    text += ')';
    return text;
}

// Columns a terminal gives the text: the Japanese characters take two.
std::size_t displayWidth(const std::string &text)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += bytes >= 3 ? 2 : 1;
        i += bytes;
    }
    return width;
}

std::string padRight(const std::string &text, std::size_t width)
{
    const std::size_t w = displayWidth(text);
    return text + std::string(w < width ? width - w : 0, ' ');
}

std::string padLeft(const std::string &text, std::size_t width)
{
    const std::size_t w = displayWidth(text);
    return std::string(w < width ? width - w : 0, ' ') + text;
}

// Seconds at the end of a timer period, written exactly ("0", "0.2", "180.2"): period / 5.
std::string periodSeconds(long long period)
{
    constexpr long long kPeriodsPerSecond = 1000 / kTimerIntervalMs;
    std::string text = std::to_string(period / kPeriodsPerSecond);
    if (const long long rest = period % kPeriodsPerSecond; rest != 0)
        text += '.' + std::to_string(rest * kTimerIntervalMs / 100);
    return text;
}

constexpr std::size_t kLabelWidth = 44;
constexpr std::size_t kColumnWidth = 18;

} // namespace

std::string numberText(double value)
{
    // The fewest significant digits that read back as the same double. (printf rather than
    // to_chars: the WebAssembly build's library has no floating-point to_chars.)
    char buffer[64];
    int digits = 1;
    for (; digits < 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    // A whole number such as 10 is written so, not as 1e+01.
    const double magnitude = std::abs(value);
    if (magnitude >= 1.0 && magnitude < 1e17)
        digits = std::max(digits, static_cast<int>(std::floor(std::log10(magnitude))) + 1);
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    return buffer;
}

std::string numberText(const std::optional<double> &value)
{
    return value ? numberText(*value) : std::string();
}

ExactTexts exactTexts(const ExactValues &values)
{
    return {fixed(values.meanMeetings, 4), fixed(values.meetingProbability, 6),
            fixed(values.firstMeetingSeconds, 3), fixed(values.meanMoves, 3),
            fixed(values.meetingsPer100Moves, 4)};
}

std::string spreadsheetText(std::string_view csv)
{
    std::string out = "\xEF\xBB\xBF";
    for (const char c : csv) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string formatTable(const Report &report)
{
    std::string out;
    out += "ペルネ実験の統計　桃太郎 " + pointText(report.start.momotaro) + "・犬 " +
           pointText(report.start.dog) + "\n";
    out += "1回の実験: " + std::to_string(static_cast<int>(kTimeLimitSeconds)) +
           " 秒（タイマーは 0.2 秒ごとに各 " + std::to_string(report.ticksPerTimer) + " 回）";
    if (report.runs > 0)
        out += "　シミュレーション: 各 " + std::to_string(report.runs) + " 回、乱数の種 " +
               std::to_string(report.seed);
    out += "\n\n";

    auto row = [&](const std::string &label,
                   const std::function<std::string(const ModeResult &)> &cell) {
        std::string line = padRight(label, kLabelWidth);
        for (const ModeResult &m : report.modes)
            line += padLeft(cell(m), kColumnWidth);
        out += line + "\n";
    };
    auto simulated = [&](const std::string &label,
                         const std::function<std::string(const Summary &)> &cell) {
        if (report.runs > 0)
            row(label, [&](const ModeResult &m) { return cell(*m.simulated); });
    };

    row("", [](const ModeResult &m) { return std::string(modeCaption(m.mode)); });
    row("ペルネ回数の期待値（厳密）",
        [](const ModeResult &m) { return exactTexts(m.exact).meanMeetings; });
    simulated("ペルネ回数の平均（シミュレーション）",
              [](const Summary &s) { return fixed(s.mean, 4); });
    simulated("　標準偏差", [](const Summary &s) { return fixed(s.sd, 4); });
    simulated("　平均の95%信頼区間", [](const Summary &s) {
        return s.ciLow ? fixed(*s.ciLow, 3) + "〜" + fixed(*s.ciHigh, 3) : std::string("—");
    });
    simulated("　最小〜最大", [](const Summary &s) {
        return std::to_string(s.min) + "〜" + std::to_string(s.max);
    });
    row("1回以上出会う確率（厳密）",
        [](const ModeResult &m) { return exactTexts(m.exact).meetingProbability; });
    row("最初のペルネまでの秒数の期待値（厳密）※",
        [](const ModeResult &m) { return exactTexts(m.exact).firstMeetingSeconds; });
    simulated("　同（シミュレーションの平均）",
              [](const Summary &s) { return fixed(s.firstMeetingSeconds, 3); });
    row("　同（時間制限がないとき、厳密）※※",
        [](const ModeResult &m) { return fixed(m.unlimitedFirstMeetingSeconds, 3); });
    row("動いた手数の期待値（厳密）",
        [](const ModeResult &m) { return exactTexts(m.exact).meanMoves; });
    row("100手あたりのペルネ回数（厳密）",
        [](const ModeResult &m) { return exactTexts(m.exact).meetingsPer100Moves; });

    if (report.runs > 0) {
        out += "\nペルネ回数の度数分布（実験の回数）\n";
        std::size_t longest = 0;
        for (const ModeResult &m : report.modes)
            longest = std::max(longest, m.simulated->histogram.size());
        row("ペルネ回数", [](const ModeResult &m) { return std::string(modeCaption(m.mode)); });
        for (std::size_t k = 0; k < longest; ++k)
            row("  " + std::to_string(k) + " 回", [k](const ModeResult &m) {
                const auto &h = m.simulated->histogram;
                return std::to_string(k < h.size() ? h[k] : 0);
            });
    }

    out += "\n※ 180秒以内に出会った実験についての平均。スタートから、最初のペルネを数えた\n"
           "　 タイマーの時刻までの秒数です。\n"
           "※※ 180秒で止めずに歩き続けたとき、最初に出会うまでの秒数の期待値です。\n"
           "手数: 犬と桃太郎が歩いた回数の合計（端で動けなかった1歩も1手、出発点へ戻す\n"
           "　 タイマーは0手）。１人が動くときは犬の手数だけです。\n"
           "厳密な値は確率分布の計算、シミュレーションは画面と同じ仕組みで行った実験の結果です。\n";
    return out;
}

std::string formatCsv(const Report &report)
{
    std::string out = "mode,momotaro_x,momotaro_y,dog_x,dog_y,ticks_per_timer,exact_mean,"
                      "exact_p_meet,exact_first_meeting_s,exact_moves,"
                      "exact_meetings_per_100_moves,runs,mean,sd,ci95_low,ci95_high,min,max,"
                      "seed\n";
    for (const ModeResult &m : report.modes) {
        std::vector<std::string> cells{
            std::string(modeKey(m.mode)),
            std::to_string(report.start.momotaro.x),
            std::to_string(report.start.momotaro.y),
            std::to_string(report.start.dog.x),
            std::to_string(report.start.dog.y),
            std::to_string(report.ticksPerTimer),
            numberText(m.exact.meanMeetings),
            numberText(m.exact.meetingProbability),
            numberText(m.exact.firstMeetingSeconds),
            numberText(m.exact.meanMoves),
            numberText(m.exact.meetingsPer100Moves),
            std::to_string(m.simulated ? m.simulated->runs : report.runs)};
        if (m.simulated) {
            const Summary &s = *m.simulated;
            for (std::string cell :
                 {numberText(s.mean), numberText(s.sd), numberText(s.ciLow), numberText(s.ciHigh),
                  std::to_string(s.min), std::to_string(s.max)})
                cells.push_back(std::move(cell));
        } else {
            cells.resize(cells.size() + 6);
        }
        cells.push_back(m.simulated ? std::to_string(report.seed) : std::string());
        for (std::size_t i = 0; i < cells.size(); ++i)
            out += (i ? "," : "") + cells[i];
        out += "\n";
    }
    if (report.runs == 0)
        return out;

    out += "\nmode,meetings,runs\n";
    for (const ModeResult &m : report.modes)
        for (std::size_t k = 0; k < m.simulated->histogram.size(); ++k)
            out += std::string(modeKey(m.mode)) + ',' + std::to_string(k) + ',' +
                   std::to_string(m.simulated->histogram[k]) + '\n';

    out += "\nmode,run,meetings,first_meeting_s\n";
    for (const ModeResult &m : report.modes)
        for (std::size_t i = 0; i < m.outcomes.size(); ++i) {
            const RunOutcome &o = m.outcomes[i];
            out += std::string(modeKey(m.mode)) + ',' + std::to_string(i + 1) + ',' +
                   std::to_string(o.meetings) + ',' +
                   (o.firstMeetingPeriod > 0 ? periodSeconds(o.firstMeetingPeriod) : "") + '\n';
        }
    return out;
}

std::string formatCurveCsv(const Report &report)
{
    std::string out = "mode,period,seconds,p_met\n";
    for (const ModeResult &m : report.modes)
        for (std::size_t k = 0; k < m.exact.metByPeriod.size(); ++k)
            out += std::string(modeKey(m.mode)) + ',' + std::to_string(k) + ',' +
                   periodSeconds(static_cast<long long>(k)) + ',' +
                   numberText(m.exact.metByPeriod[k]) + '\n';
    return out;
}

std::string formatDistributionCsv(const Report &report)
{
    std::string out = "mode,meetings,probability\n";
    for (const ModeResult &m : report.modes)
        for (std::size_t k = 0; k < m.distribution.size(); ++k)
            out += std::string(modeKey(m.mode)) + ',' + std::to_string(k) + ',' +
                   numberText(m.distribution[k]) + '\n';
    return out;
}

} // namespace perne::stats
