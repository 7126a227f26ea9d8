#include "catchupview.h"

namespace perne {
namespace {

template <typename E> std::size_t index(E e)
{
    return static_cast<std::size_t>(e);
}

} // namespace

void CatchUpView::begin(Controls &window)
{
    m_window = &window;
    m_captions.fill(std::nullopt);
    m_visible.fill(std::nullopt);
    m_places.fill(std::nullopt);
    m_cue.clear();
}

void CatchUpView::show(CueDevice &cues)
{
    for (const Sprite s : {Sprite::Picture2, Sprite::Picture3}) {
        if (m_visible[index(s)])
            m_window->setSpriteVisible(s, *m_visible[index(s)]);
        if (m_places[index(s)])
            m_window->moveSprite(s, *m_places[index(s)]);
    }
    for (const Label l : {Label::Label1, Label::Label2, Label::Label3, Label::Label4}) {
        if (m_captions[index(l)])
            m_window->setCaption(l, *m_captions[index(l)]);
    }
    if (!m_cue.empty())
        cues.PlayCue(m_cue);
}

void CatchUpView::setCaption(Label label, const std::string &text)
{
    m_captions[index(label)] = text;
}

void CatchUpView::setSpriteVisible(Sprite sprite, bool visible)
{
    m_visible[index(sprite)] = visible;
}

void CatchUpView::moveSprite(Sprite sprite, Point p)
{
    m_places[index(sprite)] = p;
}

void CatchUpView::setButtonEnabled(Button button, bool enabled)
{
    m_window->setButtonEnabled(button, enabled);
}

void CatchUpView::setTimerEnabled(Timer timer, bool enabled)
{
    m_window->setTimerEnabled(timer, enabled);
}

void CatchUpView::PlayCue(std::string_view fileName)
{
    m_cue = fileName;
}

} // namespace perne
