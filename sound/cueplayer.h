#pragma once

#include "seams.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QThread;

namespace perne {

class CueSlot;
class CueVoice;

// One window's sound device: plays the short wave-file cues. A new cue stops the one that
// is sounding and starts at once; nothing waits for a sound to end.
//
// A bare file name is looked up in the current directory first, then in the program's own
// copy of its cues (the ":/assets/" resources), so the cues sound wherever the program was
// started from. A name found in neither place, or a file larger than kMaxCueBytes, only stops
// the sounding cue; a file too large is named once on standard error.
//
// The sound itself is made on a thread of the player's own (see CueVoice): PlayCue only hands
// the file over, so a stuck or missing sound system never holds up the window. A cue the sound
// thread cannot take up at once is dropped. With no audio device nothing is loaded and the
// cues stay silent.
class CuePlayer : public QObject, public CueDevice
{
public:
    static constexpr qint64 kMaxCueBytes = 16 * 1024 * 1024;

    explicit CuePlayer(QObject *parent = nullptr,
                       const QString &assetFolder = QStringLiteral(":/assets/"));
    ~CuePlayer() override;

    void PlayCue(std::string_view fileName) override;

    // Where a cue's file is found: a local file URL, a qrc URL, or an empty URL for none.
    QUrl locate(std::string_view fileName) const;

    // The source of the cue asked for last, or an empty URL after a cue that was not found
    // or is too large.
    QUrl currentSource() const;

    // How many closed players' sound threads are still held by the sound system (one that
    // hung while a cue was sounding). Qt Multimedia's own clean-up at the program's exit would
    // wait for them or crash under them, so the program then ends without it.
    static int heldSoundThreads();

private:
    QString m_assetFolder;
    QUrl m_current;
    std::shared_ptr<CueSlot> m_slot;
    QThread *m_thread;
    CueVoice *m_voice; // lives on m_thread
};

} // namespace perne
