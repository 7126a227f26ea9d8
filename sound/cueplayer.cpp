#include "cueplayer.h"

namespace perne {

CuePlayer::CuePlayer(QObject *parent) : QObject(parent) {}

CuePlayer::~CuePlayer() = default;

void CuePlayer::PlayCue(std::string_view)
{
    // Silent until the player is built.
}

} // namespace perne
