#include "cueplayer.h"

#include "cards/regularfile.h"
#include "platform/sound/wavfile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QStringList>

CuePlayer::CuePlayer(AudioOutput& output) : m_output(output) {}

std::optional<PcmCue> CuePlayer::readCue(const QString& path)
{
    // A named pipe or a device under the name is never read: the first would wait for a
    // writer, the second (say /dev/zero) would never end. The regular-file opener
    // refuses both without waiting, also when the name changes between the look and the
    // open; libsndfile reads through the device it made.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return std::nullopt;
    const OpenedFile opened = openRegularFile(path);
    // Measured again on the open file: it may have grown since it was looked at.
    if (!opened.device || opened.device->size() > kMaxFileBytes)
        return std::nullopt;
    return decodeWav(*opened.device, kMaxCueBytes);
}

CuePlayer::Stamp CuePlayer::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

void CuePlayer::preload(const QStringList& paths)
{
    for (const QString& path : paths) {
        const Stamp stamp = stampOf(path);
        const auto known = m_cues.constFind(path);
        if (known != m_cues.constEnd() && known->stamp == stamp)
            continue;
        std::optional<PcmCue> cue = stamp.exists ? readCue(path) : std::nullopt;
        m_cues.insert(path, Cue{cue ? std::move(*cue) : PcmCue(), stamp});
    }
}

void CuePlayer::playSound(const QString& path)
{
    const auto it = m_cues.constFind(path);
    if (it == m_cues.constEnd() || it->sound.pcm.isEmpty()) {
        // Like any new cue, this one ends the cue sounding; it just has nothing to play.
        m_output.stop();
        return;
    }
    m_output.play(it->sound);
}
