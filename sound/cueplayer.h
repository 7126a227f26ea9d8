#pragma once

#include "seams.h"

#include <QObject>

namespace perne {

// One window's sound device: plays the short wave-file cues. A new cue stops the one that
// is sounding and starts at once; nothing waits for a sound to end.
class CuePlayer : public QObject, public CueDevice
{
    Q_OBJECT
public:
    explicit CuePlayer(QObject *parent = nullptr);
    ~CuePlayer() override;

    void PlayCue(std::string_view fileName) override;
};

} // namespace perne
