#include "cueplayer.h"

#include "cards/facreader.h"
#include "platform/wavfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

CuePlayer::CuePlayer(AudioOutput& output) : m_output(output) {}

namespace {

// The bytes of path when it is a regular file of at most maxBytes; empty otherwise. A
// named pipe or a device under the name is never read: the first would wait for a writer,
// the second (say /dev/zero) would never end. The data file's opener already refuses both
// without waiting, also when the name changes between the look and the open.
QByteArray readRegularFile(const QString& path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes)
        return {};
    const OpenedFile opened = openRegularFile(path);
    if (!opened.device)
        return {};
    const QByteArray bytes = opened.device->read(maxBytes + 1);
    return bytes.size() > maxBytes ? QByteArray() : bytes;
}

} // namespace

CuePlayer::Stamp CuePlayer::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QByteArray CuePlayer::decode(const QByteArray& bytes) const
{
    const std::optional<WavShape> shape = wavShape(bytes);
    if (!shape)
        return {};
    // Judged from the header, before any memory goes to the samples.
    const AudioFormat format = m_output.format();
    const qint64 floatBytes = shape->frames * shape->channels * qint64(sizeof(float));
    const qint64 pcmBytes =
        int16Frames(shape->frames, shape->sampleRate, format.sampleRate) * format.channels * 2;
    if (floatBytes > kMaxCueBytes || pcmBytes > kMaxCueBytes)
        return {};
    const std::optional<PcmSound> sound = decodeWav(bytes);
    if (!sound)
        return {};
    return toInt16(*sound, format.sampleRate, format.channels);
}

void CuePlayer::preload(const QStringList& paths)
{
    for (const QString& path : paths) {
        const Stamp stamp = stampOf(path);
        const auto known = m_cues.constFind(path);
        if (known != m_cues.constEnd() && known->stamp == stamp)
            continue;
        QByteArray pcm = stamp.exists ? decode(readRegularFile(path, kMaxFileBytes)) : QByteArray();
        m_cues.insert(path, Cue{std::move(pcm), stamp});
    }
}

void CuePlayer::playSound(const QString& path)
{
    const auto it = m_cues.constFind(path);
    if (it == m_cues.constEnd() || it->pcm.isEmpty()) {
        // Like any new cue, this one ends the cue sounding; it just has nothing to play.
        m_output.stop();
        return;
    }
    m_output.play(it->pcm);
}
