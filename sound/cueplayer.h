#pragma once

#include "seams.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <map>

class QSoundEffect;

namespace perne {

// One window's sound device: plays the short wave-file cues. A new cue stops the one that
// is sounding and starts at once; nothing waits for a sound to end.
//
// A bare file name is looked up in the current directory first, then in the program's own
// copy of its cues (the ":/assets/" resources), so the cues sound wherever the program was
// started from. A name found in neither place only stops the sounding cue. Each file is
// loaded once and its effect reused. With no audio device the effects stay silent; playing
// never blocks and never fails.
class CuePlayer : public QObject, public CueDevice
{
    Q_OBJECT
public:
    explicit CuePlayer(QObject *parent = nullptr,
                       const QString &assetFolder = QStringLiteral(":/assets/"));
    ~CuePlayer() override;

    void PlayCue(std::string_view fileName) override;

    // Where a cue's file is found: a local file URL, a qrc URL, or an empty URL for none.
    QUrl locate(std::string_view fileName) const;

    // The source of the cue started last, or an empty URL after a cue that was not found.
    QUrl currentSource() const;

private:
    QSoundEffect *effectFor(const QUrl &source);

    QString m_assetFolder;
    std::map<QString, QSoundEffect *> m_effects; // by source URL; children of this object
    QSoundEffect *m_current = nullptr;
};

} // namespace perne
