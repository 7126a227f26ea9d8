#include "texts.h"

#include "numbertext.h"

namespace perne {
namespace {

std::string pointText(std::string_view who, Point p)
{
    std::string text(who);
    text += "x=";
    text += numberText(p.x);
    text += "  y=";
    text += numberText(p.y);
    return text;
}

} // namespace

std::string elapsedText(long long seconds)
{
    return numberText(seconds) + " / 180 秒";
}

std::string dogText(Point p)
{
    return pointText("犬: ", p);
}

std::string momotaroText(Point p)
{
    return pointText("桃太郎: ", p);
}

std::string meetingCountText(MeetingCount count)
{
    return "ペルネ回数＝" + numberText(count);
}

} // namespace perne
