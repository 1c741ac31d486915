#include "cueplayer.h"

#include "platform/wavfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

CuePlayer::CuePlayer(AudioOutput& output) : m_output(output) {}

namespace {

// When and how big the file is now: a changed file differs in one or the other.
std::pair<qint64, qint64> stamp(const QString& path)
{
    const QFileInfo info(path);
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

std::optional<CuePlayer::Cue> CuePlayer::load(const QString& path) const
{
    const auto [size, modifiedMs] = stamp(path);
    QFile file(path);
    if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kMaxFileBytes);
    const std::optional<PcmSound> sound = decodeWav(bytes);
    if (!sound)
        return std::nullopt;
    const AudioFormat format = m_output.format();
    QByteArray pcm = toInt16(*sound, format.sampleRate, format.channels);
    if (pcm.isEmpty())
        return std::nullopt;
    return Cue{pcm, size, modifiedMs};
}

void CuePlayer::preload(const QStringList& paths)
{
    for (const QString& path : paths) {
        const auto known = m_cues.constFind(path);
        if (known != m_cues.constEnd()) {
            const auto [size, modifiedMs] = stamp(path);
            if (known->size == size && known->modifiedMs == modifiedMs)
                continue;
        }
        if (std::optional<Cue> cue = load(path))
            m_cues.insert(path, *cue);
        else
            m_cues.remove(path);
    }
}

void CuePlayer::playSound(const QString& path)
{
    auto it = m_cues.constFind(path);
    if (it == m_cues.constEnd()) {
        std::optional<Cue> cue = load(path);
        if (!cue) {
            // Like any new cue, this one ends the cue sounding; it just has nothing to play.
            m_output.stop();
            return;
        }
        it = m_cues.insert(path, *cue);
    }
    m_output.play(it->pcm);
}
