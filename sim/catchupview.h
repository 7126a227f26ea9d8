#pragma once

#include "seams.h"

#include <array>
#include <optional>
#include <string>

namespace perne {

// Where the ticks of a catch-up draw: it keeps the last caption, sprite place and cue each
// was given, and show() then puts that state on the window once. A late report of the time
// so never replays the steps it missed, and however many meetings it found, one cue sounds.
// Buttons and timers go to the window at once: they are the run's state, not its picture.
// It offers the window's and the cue device's calls without deriving from them, so that in a
// program the window's seams keep one implementation each and their calls can be made direct.
class CatchUpView final
{
public:
    // Forgets what the last catch-up kept; `window` is where buttons and timers go.
    void begin(Controls &window);
    // The kept state, on the window: each sprite (shown, then placed), Label1 to Label4, and
    // the last cue asked for.
    void show(CueDevice &cues);

    bool wantsCaptions() const { return m_window->wantsCaptions(); }
    void setCaption(Label label, const std::string &text);
    void setSpriteVisible(Sprite sprite, bool visible);
    void moveSprite(Sprite sprite, Point p);
    void setButtonEnabled(Button button, bool enabled);
    void setTimerEnabled(Timer timer, bool enabled);
    void PlayCue(std::string_view fileName);

private:
    Controls *m_window = nullptr;
    std::array<std::optional<std::string>, 4> m_captions;
    std::array<std::optional<bool>, 2> m_visible;
    std::array<std::optional<Point>, 2> m_places;
    std::string m_cue; // empty: none asked for
};

} // namespace perne
