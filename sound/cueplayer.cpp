#include "cueplayer.h"

#include "cuevoice.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QtDebug>

#include <atomic>
#include <memory>

namespace perne {
namespace {

// How long closing a player waits for its sound thread to finish. A thread held by the sound
// system is left to finish by itself, or to end with the program.
constexpr int kJoinWaitMs = 200;

// Closed players' sound threads still held by the sound system.
std::atomic<int> heldThreads = 0;

// The files already named as too large, across both windows' players, so that the program
// says it once per file.
QMutex oversizedMutex;
QSet<QString> oversizedNamed;

void nameOversizedOnce(const QString &path)
{
    const QMutexLocker lock(&oversizedMutex);
    if (oversizedNamed.contains(path))
        return;
    oversizedNamed.insert(path);
    qWarning().noquote() << QStringLiteral("perne: \"%1\" は %2 MB より大きいので鳴らしません / "
                                           "\"%1\" is larger than %2 MB; that cue stays silent")
                                .arg(QDir::toNativeSeparators(path))
                                .arg(CuePlayer::kMaxCueBytes / (1024 * 1024));
}

} // namespace

CuePlayer::CuePlayer(QObject *parent, const QString &assetFolder)
    : QObject(parent), m_assetFolder(assetFolder), m_slot(std::make_shared<CueSlot>()),
      m_thread(new QThread), m_voice(new CueVoice(m_slot))
{
    m_thread->setObjectName(QStringLiteral("perne-cues"));
    m_voice->moveToThread(m_thread);
    // The voice and its sound effects are made, used and deleted on the sound thread.
    connect(m_thread, &QThread::finished, m_voice, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(m_voice, [voice = m_voice] { voice->warmUp(); });
}

CuePlayer::~CuePlayer()
{
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(kJoinWaitMs))) {
        delete m_thread;
        return;
    }
    // Held by the sound system: the thread deletes itself once it gets out, if the program
    // is still running then.
    ++heldThreads;
    auto released = std::make_shared<std::atomic<bool>>(false);
    const auto release = [thread = m_thread, released] {
        if (released->exchange(true))
            return;
        --heldThreads;
        thread->deleteLater();
    };
    connect(m_thread, &QThread::finished, m_thread, release, Qt::DirectConnection);
    if (m_thread->isFinished()) // it got out before the connection
        release();
}

int CuePlayer::heldSoundThreads()
{
    return heldThreads;
}

void CuePlayer::PlayCue(std::string_view fileName)
{
    m_current = locate(fileName);
    if (!m_current.isEmpty()) {
        const QString path =
            m_current.isLocalFile() ? m_current.toLocalFile() : QLatin1Char(':') + m_current.path();
        if (QFileInfo(path).size() > kMaxCueBytes) {
            nameOversizedOnce(path);
            m_current.clear();
        }
    }
    // An empty source only stops the sounding cue.
    if (m_slot->put({m_current, std::chrono::steady_clock::now()}))
        QMetaObject::invokeMethod(m_voice, [voice = m_voice] { voice->serve(); });
}

QUrl CuePlayer::locate(std::string_view fileName) const
{
    const QString name =
        QString::fromUtf8(fileName.data(), static_cast<qsizetype>(fileName.size()));
    if (name.isEmpty())
        return {};
    const QFileInfo local(QDir::current(), name);
    if (local.isFile())
        return QUrl::fromLocalFile(local.absoluteFilePath());
    // Only a bare name may fall back to the program's own copy.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return {};
    const QFileInfo own(m_assetFolder + name);
    if (!own.isFile())
        return {};
    if (m_assetFolder.startsWith(QLatin1Char(':')))
        return QUrl(QStringLiteral("qrc") + own.filePath());
    return QUrl::fromLocalFile(own.absoluteFilePath());
}

QUrl CuePlayer::currentSource() const
{
    return m_current;
}

} // namespace perne
