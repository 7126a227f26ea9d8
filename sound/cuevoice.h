#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class QSoundEffect;

namespace perne {

// A cue waiting to sound: where its file is (empty: only stop), and when it was asked for.
struct CueRequest
{
    QUrl source;
    std::chrono::steady_clock::time_point askedAt;
};

// The hand-off from the GUI thread to the sound thread. It holds one cue, the newest: each cue
// stops the one before anyway, so while the sound thread is busy the older ones are dropped
// instead of piling up and sounding late all at once.
class CueSlot
{
public:
    // GUI thread; never waits on the sound thread. True when the slot was empty, that is when
    // the sound thread has to be told to look.
    bool put(CueRequest request);
    // Sound thread: the waiting cue, which leaves the slot.
    std::optional<CueRequest> take();

private:
    std::mutex m_mutex; // held only to swap the request, never while sounding
    std::optional<CueRequest> m_waiting;
};

// The sounding half of a cue player. It lives on the player's own thread, because everything
// here may wait on the sound system: asking for the audio output and opening an audio sink
// connect to the sound server, and a server that accepts the connection but never answers
// holds the caller for 30 s.
class CueVoice : public QObject
{
public:
    // A cue asked for longer ago than this is dropped, not sounded late.
    static constexpr std::chrono::milliseconds kFreshFor{250};
    // How long the sound server may take to answer, and when to ask again if it did not.
    static constexpr std::chrono::milliseconds kServerAnswersWithin{2000};
    static constexpr std::chrono::seconds kAskServerAgainAfter{10};

    explicit CueVoice(std::shared_ptr<CueSlot> slot);
    ~CueVoice() override;

    // Connects to the sound system ahead of the first cue, so that the first click is heard.
    void warmUp();
    // Stops the sounding cue and starts the one waiting in the slot, if it is still fresh and
    // there is an audio output to play it on.
    void serve();

private:
    // Whether Qt Multimedia may be asked for audio devices: once the sound server has
    // settled (see soundServerSettles), for good.
    bool soundSystemReady();
    QSoundEffect *effectFor(const QUrl &source);

    std::shared_ptr<CueSlot> m_slot;
    std::map<QString, QSoundEffect *> m_effects; // by source URL; children of this object
    QSoundEffect *m_current = nullptr;
    bool m_ready = false;
    std::optional<std::chrono::steady_clock::time_point> m_askedServerAt;
};

} // namespace perne
