#include "cuevoice.h"

#include "soundserver.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

namespace perne {

bool CueSlot::put(CueRequest request)
{
    const std::lock_guard lock(m_mutex);
    const bool wasEmpty = !m_waiting;
    m_waiting = std::move(request);
    return wasEmpty;
}

std::optional<CueRequest> CueSlot::take()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_waiting, std::nullopt);
}

CueVoice::CueVoice(std::shared_ptr<CueSlot> slot) : m_slot(std::move(slot)) {}

CueVoice::~CueVoice() = default;

void CueVoice::warmUp()
{
    if (soundSystemReady())
        QMediaDevices::defaultAudioOutput();
}

bool CueVoice::soundSystemReady()
{
    if (m_ready)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (m_askedServerAt && now - *m_askedServerAt < kAskServerAgainAfter)
        return false;
    m_askedServerAt = now;
    m_ready = soundServerSettles(kServerAnswersWithin);
    return m_ready;
}

void CueVoice::serve()
{
    const std::optional<CueRequest> cue = m_slot->take();
    if (!cue)
        return;
    if (m_current) {
        m_current->stop();
        m_current = nullptr;
    }
    const auto fresh = [&] { return std::chrono::steady_clock::now() - cue->askedAt < kFreshFor; };
    if (cue->source.isEmpty() || !fresh() || !soundSystemReady())
        return;
    // With no output device there is nothing to start, and no file is read. The default
    // output is asked each time: a headset plugged in later is then used.
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull() || !fresh())
        return;
    m_current = effectFor(cue->source);
    if (m_current->audioDevice() != output)
        m_current->setAudioDevice(output);
    // Before the file has finished loading, play() is remembered and starts once it has.
    m_current->play();
}

QSoundEffect *CueVoice::effectFor(const QUrl &source)
{
    const QString key = source.toString();
    auto found = m_effects.find(key);
    if (found != m_effects.end())
        return found->second;
    auto *effect = new QSoundEffect(this);
    effect->setSource(source);
    m_effects.emplace(key, effect);
    return effect;
}

} // namespace perne
