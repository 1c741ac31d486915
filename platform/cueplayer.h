#pragma once
// The game's sound cues: each wave file decoded once and kept ready in the output's format,
// handed to the audio output one cue at a time. A new cue cuts the one sounding; a file
// that is missing or no playable wave gives silence, with no message.

#include "platform/audiooutput.h"
#include "platform/soundplayer.h"

#include <QByteArray>
#include <QHash>
#include <optional>

class CuePlayer : public SoundPlayer
{
  public:
    explicit CuePlayer(AudioOutput& output);
    // Decodes the files now; a file decoded before is decoded again only if it has changed
    // (its size or time), so fresh files count and a second preload costs next to nothing.
    void preload(const QStringList& paths) override;
    // Plays the decoded cue, decoding a file not seen before; an unplayable one stops the
    // sounding cue and plays nothing.
    void playSound(const QString& path) override;

    // Files larger than this are not read at all.
    static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

  private:
    struct Cue
    {
        QByteArray pcm;
        qint64 size = -1;
        qint64 modifiedMs = -1;
    };
    std::optional<Cue> load(const QString& path) const;

    AudioOutput& m_output;
    QHash<QString, Cue> m_cues;
};
