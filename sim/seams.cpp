#include "seams.h"

namespace perne {

const char *name(Button b)
{
    switch (b) {
    case Button::Command2:
        return "Command2";
    case Button::Command3:
        return "Command3";
    case Button::Command4:
        return "Command4";
    case Button::Command5:
        return "Command5";
    case Button::Command6:
        return "Command6";
    }
    return "?";
}

const char *name(Label l)
{
    switch (l) {
    case Label::Label1:
        return "Label1";
    case Label::Label2:
        return "Label2";
    case Label::Label3:
        return "Label3";
    case Label::Label4:
        return "Label4";
    }
    return "?";
}

const char *name(Sprite s)
{
    return s == Sprite::Picture2 ? "Picture2" : "Picture3";
}

const char *name(Timer t)
{
    return t == Timer::Timer1 ? "Timer1" : "Timer2";
}

} // namespace perne
