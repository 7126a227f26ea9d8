#include "options.h"

#include "constants.h"
#include "coordinateanswer.h"
#include "leadingnumber.h"
#include "printable.h"
#include "version.h"

#include <charconv>
#include <set>

namespace perne::cli {

// The statistics core's types and formats, which this program only drives.
using namespace perne::stats;
namespace {

// A whole number written with digits only, within [low, high].
std::optional<unsigned long long> wholeNumber(std::string_view text, unsigned long long high)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > high)
        return std::nullopt;
    return value;
}

// One coordinate, read as the window reads a typed answer (full-width digits, blanks
// ignored, halves to even, 0 to 10); but text with no digit at all, which the window would
// take as 0, is refused here, where no suggested answer stood in the box.
std::optional<std::int16_t> coordinate(std::string_view text)
{
    const bool digit = halfWidth(text).find_first_of("0123456789") != std::string::npos;
    return digit ? acceptCoordinate(text) : std::nullopt;
}

// X,Y with an ASCII or a full-width comma between them.
std::optional<Point> latticePoint(std::string_view text)
{
    std::size_t comma = std::string_view::npos;
    std::size_t width = 0;
    for (const std::string_view separator : {std::string_view(","), std::string_view("，")}) {
        for (auto at = text.find(separator); at != std::string_view::npos;
             at = text.find(separator, at + 1)) {
            if (comma != std::string_view::npos)
                return std::nullopt; // more than one
            comma = at;
            width = separator.size();
        }
    }
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto x = coordinate(text.substr(0, comma));
    const auto y = coordinate(text.substr(comma + width));
    if (!x || !y)
        return std::nullopt;
    return Point{*x, *y};
}

UsageError refuse(const std::string &option, const std::string &value, const char *japanese,
                  const char *english)
{
    return {option + " \"" + printable(value) + "\": " + japanese + " / " + english};
}

} // namespace

std::variant<Options, UsageError> parseArguments(const std::vector<std::string> &arguments)
{
    Options options;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        if (option == "--version") {
            options.version = true;
            continue;
        }
        if (option.rfind("--", 0) != 0)
            return UsageError{"\"" + printable(option) +
                              "\": 余分な引数です / unexpected argument"};
        std::string value;
        bool hasValue = false;
        if (const auto equals = option.find('='); equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            hasValue = true;
        }
        static const std::set<std::string> known{
            "--momotaro", "--dog", "--mode",    "--runs",  "--seed",
            "--csv",      "--svg", "--threads", "--curve", "--distribution"};
        if (!known.contains(option))
            return UsageError{"\"" + printable(option) +
                              "\": 知らないオプションです（--help を参照）" +
                              " / unknown option (see --help)"};
        if (!seen.insert(option).second)
            return UsageError{option + ": 2回指定されています / given twice"};
        if (!hasValue) {
            if (i + 1 >= arguments.size())
                return UsageError{option + ": 値がありません / needs a value"};
            value = arguments[++i];
        }
        // Every option but these settings names an output file.
        static const std::set<std::string> settings{"--momotaro", "--dog",  "--mode",
                                                    "--runs",     "--seed", "--threads"};
        if (!settings.contains(option))
            options.outputs.emplace_back(option, value);

        if (option == "--momotaro" || option == "--dog") {
            const auto point = latticePoint(value);
            if (!point)
                return refuse(option, value, "格子点 X,Y（0〜10 の数）で指定してください",
                              "must be a lattice point X,Y (numbers 0 to 10)");
            (option == "--momotaro" ? options.start.momotaro : options.start.dog) = *point;
        } else if (option == "--mode") {
            if (value == "both")
                options.modes = {Mode::Both};
            else if (value == "dog")
                options.modes = {Mode::Dog};
            else if (value == "all")
                options.modes = {kAllModes.begin(), kAllModes.end()};
            else
                return refuse(option, value, "both, dog, all のどれかで指定してください",
                              "must be one of both, dog, all");
        } else if (option == "--runs") {
            const auto runs = wholeNumber(value, kMaxRuns);
            if (!runs)
                return refuse(option, value, "0〜1000000 の整数で指定してください",
                              "must be a whole number from 0 to 1000000");
            options.runs = static_cast<long long>(*runs);
        } else if (option == "--seed") {
            const auto seed = wholeNumber(value, UINT64_MAX);
            if (!seed)
                return refuse(option, value, "0〜18446744073709551615 の整数で指定してください",
                              "must be a whole number from 0 to 18446744073709551615");
            options.seed = *seed;
        } else if (option == "--threads") {
            const auto threads = wholeNumber(value, kMaxThreads);
            if (!threads || *threads == 0)
                return refuse(option, value, "1〜64 の整数で指定してください",
                              "must be a whole number from 1 to 64");
            options.threads = static_cast<int>(*threads);
        } else if (value.empty()) {
            return UsageError{option + ": ファイル名が空です / empty file name"};
        } else if (option == "--csv") {
            options.csvPath = value;
        } else if (option == "--curve") {
            if (value == "-")
                return refuse(option, value, "曲線はファイルにだけ書けます",
                              "the curve can only go to a file");
            options.curvePath = value;
        } else if (option == "--distribution") {
            if (value == "-")
                return refuse(option, value, "分布はファイルにだけ書けます",
                              "the distribution can only go to a file");
            options.distributionPath = value;
        } else {
            if (value == "-")
                return refuse(option, value, "SVG はファイルにだけ書けます",
                              "the chart can only go to a file");
            options.svgPath = value;
        }
    }
    if (options.svgPath && options.runs == 0)
        return UsageError{"--svg: ヒストグラムには --runs 1 以上が必要です / the histograms need "
                          "--runs of at least 1"};
    return options;
}

std::string versionText()
{
    return "perne-stats " + std::string(kVersion) + "\n";
}

std::string helpText()
{
    return R"(使い方: perne-stats [オプション]

ペルネ実験の「２人が動くとき」と「１人が動くとき」を比べるための計算をします。
  1. 厳密な値（確率分布を 200 ミリ秒ごとのタイマーの動きどおりに計算したもの）:
     1回の実験（180秒）でのペルネ回数の期待値、1回以上出会う確率、
     最初のペルネまでの時間の期待値（180秒以内に出会った実験についての平均。
     スタートから、そのペルネを数えたタイマーの時刻までの秒数。表にはさらに、
     180秒で止めずに歩き続けたときの期待値も出します）、
     動いた手数の期待値（犬と桃太郎が歩いた回数の合計。格子の端で動けなかった
     1歩も1手と数え、出会った後に出発点へ戻すタイマーは手数に入れない）と、
     100手あたりのペルネ回数（ペルネ回数の期待値 ÷ 手数の期待値 × 100）。
  2. シミュレーション: 画面のプログラムと同じ仕組みで 180 秒の実験を何回も行い、
     ペルネ回数の平均、標準偏差、平均の 95% 信頼区間（正規近似）、最小、最大、
     度数分布を出します。

オプション:
  --momotaro X,Y   桃太郎の出発点（0〜10 の数、既定 4,4）。画面の入力と同じく
                   全角の数字やコンマ（４，４）も使えます
  --dog X,Y        犬の出発点（既定 6,4）
  --mode M         both（２人が動く）, dog（１人が動く）, all（両方、既定）
  --runs N         シミュレーションの回数（各モード、既定 1000、0 なら厳密な値だけ）
  --seed S         乱数の種。同じ種なら同じ結果になります（スレッド数によらず）。
                   指定しないときは毎回変わり、使った種を表示します。
  --csv FILE       結果を CSV で FILE に書きます（- なら標準出力。そのとき表は出しません）
  --svg FILE       2つのヒストグラムを1枚のグラフ（SVG）にして FILE に書きます
  --curve FILE     最初に出会うまでの曲線を CSV で FILE に書きます: モードごとに、
                   タイマーの 0.2 秒の区切り（0〜最後）の終わりまでに出会っている確率
  --distribution FILE
                   180 秒の実験 1 回のペルネ回数の分布（厳密な値）を CSV で FILE に
                   書きます: モードごとに、回数 0, 1, 2, … のそれぞれになる確率
  --threads N      使うスレッド数（既定はコア数。1 なら別のスレッドを使いません）
  --version        版を表示します
  --help           この説明

CSV の 1つ目の表はモードごとの値です。シミュレーションをしたときは、空行をはさんで
度数分布の表（mode,meetings,runs）と、1回ごとの実験の表（mode,run,meetings,
first_meeting_s: その実験のペルネ回数と、最初に出会った秒数）が続きます。
曲線の CSV の列は mode,period,seconds,p_met です（seconds = period × 0.2）。
分布の CSV の列は mode,meetings,probability です。回数は 0 から、その先の確率の合計が
1e-12 より小さくなるところまで並びます。
CSV の exact_first_meeting_s は 180 秒以内に出会った実験についての平均です。
値のない欄（出会うことのないときの時間、--runs 0 のときの統計）は空欄です。
ファイルはすべての計算が終わってから書きます。引数がおかしいときは何も書かず、
理由を1行表示して終了コード 2 で終わります。

Usage: perne-stats [options]

Compares the two modes of the walk ("both walkers move" and "only the dog moves").
  1. Exact values, from the probability distribution carried through the run with the
     same 200 ms timer ticks as the window: the expected number of meetings in one
     180-second run, the probability of at least one meeting, the expected time to the
     first meeting (the mean over runs that meet within the 180 seconds, from Start to
     the tick that counted it; the table also gives the expectation for a walk with
     no time limit), the expected number of moves (steps made by the two
     walkers; a step cancelled by the edge of the lattice still counts, a reset tick
     makes none) and the meetings per 100 moves (expected meetings / expected moves).
  2. Simulation: many 180-second runs through the window's own run logic, with the
     mean, standard deviation, 95% confidence interval of the mean (normal
     approximation), smallest and largest count and the histogram of counts.

Options:
  --momotaro X,Y   Momotaro's starting point (0 to 10, default 4,4); full-width
                   digits and comma (４，４) are read as the window reads them
  --dog X,Y        the dog's starting point (default 6,4)
  --mode M         both, dog, or all (default)
  --runs N         simulated runs per mode (default 1000; 0 gives the exact values only)
  --seed S         random seed; the same seed gives the same results whatever the
                   number of threads. Without it the seed differs every time and is shown.
  --csv FILE       write the results as CSV to FILE (- for standard output, no table then)
  --svg FILE       draw both histograms on one chart (SVG) into FILE
  --curve FILE     write the first-meeting curves as CSV into FILE: for each mode, the
                   chance of having met by the end of each 0.2 s timer period
  --distribution FILE
                   write the exact distribution of the meeting count of one
                   180-second run as CSV into FILE: for each mode, the probability of
                   0, 1, 2, ... meetings
  --threads N      threads to use (default: one per core; 1 starts no other thread)
  --version        print the version
  --help           this text

The CSV's first table has one row per mode. With simulated runs, two more tables follow,
each after an empty line: the histogram (mode,meetings,runs) and every run
(mode,run,meetings,first_meeting_s). The curve's columns are mode,period,seconds,p_met
(seconds = period x 0.2).
The distribution's columns are mode,meetings,probability, from 0 meetings up to where
less than 1e-12 of the probability is left.
In the CSV, exact_first_meeting_s is the mean over runs that meet within 180 seconds.
A value that does not exist (the time when no run can meet, the statistics with
--runs 0) is an empty field.
Files are written only once everything is computed. A bad argument writes nothing,
prints one line and ends with exit status 2.
)";
}

} // namespace perne::cli
