#include "cueplayer.h"

#include "platform/wavfile.h"

#include <QFile>
#include <QStringList>

CuePlayer::CuePlayer(AudioOutput& output) : m_output(output) {}

std::optional<QByteArray> CuePlayer::load(const QString& path) const
{
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
    return pcm;
}

void CuePlayer::preload(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (std::optional<QByteArray> pcm = load(path))
            m_cues.insert(path, *pcm);
        else
            m_cues.remove(path);
    }
}

void CuePlayer::playSound(const QString& path)
{
    auto it = m_cues.constFind(path);
    if (it == m_cues.constEnd()) {
        std::optional<QByteArray> pcm = load(path);
        if (!pcm) {
            // Like any new cue, this one ends the cue sounding; it just has nothing to play.
            m_output.stop();
            return;
        }
        it = m_cues.insert(path, *pcm);
    }
    m_output.play(*it);
}
