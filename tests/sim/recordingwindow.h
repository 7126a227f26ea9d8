#pragma once
// A fake window for the run logic's tests: it keeps what the window shows in a WindowModel
// and writes each call as one line -- Label4 " 12 / 180 秒", Picture2 at 3,4, Picture3 off
// (hidden), Command5 on, cue logoff.wav -- so a test compares a handler's whole effect, in
// order, with a short list of expected lines.

#include "headless.h"

#include <string>
#include <vector>

namespace perne {

using Lines = std::vector<std::string>;

class RecordingWindow final : public Controls, public CueDevice
{
public:
    void setCaption(Label l, const std::string &t) override { record(&Controls::setCaption, l, t); }
    void setSpriteVisible(Sprite s, bool v) override { record(&Controls::setSpriteVisible, s, v); }
    void moveSprite(Sprite s, Point p) override { record(&Controls::moveSprite, s, p); }
    void setButtonEnabled(Button b, bool v) override { record(&Controls::setButtonEnabled, b, v); }
    void setTimerEnabled(Timer t, bool v) override { record(&Controls::setTimerEnabled, t, v); }
    void PlayCue(std::string_view file) override { lines.push_back("cue " + std::string(file)); }

    WindowModel model;
    Lines lines;

private:
    template <typename Control, typename Arg, typename Value>
    void record(void (Controls::*set)(Control, Arg), Control c, const Value &v)
    {
        (model.*set)(c, v);
        lines.push_back(std::string(name(c)) + ' ' + text(v));
    }
    static std::string text(bool on) { return on ? "on" : "off"; }
    static std::string text(Point p)
    {
        return "at " + std::to_string(p.x) + ',' + std::to_string(p.y);
    }
    static std::string text(const std::string &s) { return '"' + s + '"'; }
};

// Command2..Command6, then Timer1 and Timer2, enabled (+) or not (-): "++--+ --" after load.
inline std::string enabling(const WindowModel &w)
{
    std::string s;
    for (int b = 0; b < 5; ++b)
        s += w.buttonEnabled(static_cast<Button>(b)) ? '+' : '-';
    return s + ' ' + (w.timerEnabled(Timer::Timer1) ? '+' : '-') +
           (w.timerEnabled(Timer::Timer2) ? '+' : '-');
}

} // namespace perne
