#pragma once

#include "walk.h"

#include <string>
#include <string_view>

namespace perne {

// The controls of the simulation window that the run logic drives, under their window names.
enum class Button { Command2, Command3, Command4, Command5, Command6 };
enum class Label { Label1, Label2, Label3, Label4 };
enum class Sprite { Picture2, Picture3 }; // the dog, Momotaro
enum class Timer { Timer1, Timer2 };      // steps the dog, steps Momotaro

const char *name(Button b);
const char *name(Label l);
const char *name(Sprite s);
const char *name(Timer t);

// What the run logic can do to its window.
class Controls
{
public:
    virtual ~Controls() = default;
    // A window nobody looks at (a batch of runs) says no, and the ticks then spare
    // themselves the texts of Label1 to Label4; everything else happens as always.
    virtual bool wantsCaptions() const { return true; }
    virtual void setCaption(Label label, const std::string &text) = 0;
    virtual void setSpriteVisible(Sprite sprite, bool visible) = 0;
    // Places the sprite's top-left corner on lattice point p; its size does not change.
    virtual void moveSprite(Sprite sprite, Point p) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    virtual void setTimerEnabled(Timer timer, bool enabled) = 0;
};

// The modal input box: returns the typed text, or empty text when the student cancels.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual std::string ask(const std::string &title, const std::string &prompt,
                            const std::string &defaultAnswer) = 0;
};

// The window's sound device.
class CueDevice
{
public:
    virtual ~CueDevice() = default;
    // Stops whatever cue is sounding and starts the named wave file; never waits for it.
    virtual void PlayCue(std::string_view fileName) = 0;
};

} // namespace perne
