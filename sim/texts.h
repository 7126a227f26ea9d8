#pragma once

#include "walk.h"

#include <array>
#include <string>
#include <string_view>

namespace perne {

namespace cue {
constexpr std::string_view kClick = "pinpon.wav";
constexpr std::string_view kQuit = "endpinpon.wav";
constexpr std::string_view kMeeting = "logoff.wav";
} // namespace cue

// " 12 / 180 秒"
std::string elapsedText(long long seconds);
// "犬: x= 3  y= 10"
std::string dogText(Point p);
// "桃太郎: x= 4  y= 4"
std::string momotaroText(Point p);
// "ペルネ回数＝ 7"
std::string meetingCountText(MeetingCount count);

struct CoordinatePrompt
{
    const char *title;
    const char *prompt;
    const char *defaultAnswer;
};

// Asked in this order; the answers become Momotaro's start x, y, then the dog's start x, y.
// (The last prompt really has a half-width "y".)
inline constexpr std::array<CoordinatePrompt, 4> kCoordinatePrompts{{
    {"桃太郎の初期位置の設定",
     "桃太郎の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．", "4"},
    {"桃太郎の初期位置の設定",
     "桃太郎の初期位置のｙ座標を０以上、１０以下の自然数で入力してください．．．", "4"},
    {"犬の初期位置の設定", "犬の初期位置のｘ座標を０以上、１０以下の自然数で入力してください．．．",
     "6"},
    {"犬の初期位置の設定", "犬の初期位置のy座標を０以上、１０以下の自然数で入力してください．．．",
     "4"},
}};

} // namespace perne
