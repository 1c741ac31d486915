#pragma once
// The game's sound cues: each wave file decoded once, at preload, and kept ready as 16-bit
// PCM in its own rate and channel count, handed to the audio output one cue at a time. A new cue
// cuts the one sounding; a file that is missing, no regular file or no playable wave gives silence,
// with no message. A click never reads a file, so playSound costs the same whatever the files hold.

#include "platform/sound/audiooutput.h"
#include "platform/soundplayer.h"

#include <QHash>
#include <optional>

class CuePlayer : public SoundPlayer
{
  public:
    explicit CuePlayer(AudioOutput& output);
    // Reads and decodes the files now. A file seen before, whether it gave a cue or not, is
    // read again only if its size or time has changed, so fresh files count and a second
    // preload costs next to nothing. Only regular files are opened, and never in a way
    // that could wait (a named pipe under a cue's name would block an open for ever).
    void preload(const QStringList& paths) override;
    // Plays the cue the last preload made of path. A path never preloaded, or whose file
    // gave no cue, stops the sounding cue and plays nothing: the file is not read here.
    void playSound(const QString& path) override;

    // The cue in path when it is a regular file within kMaxFileBytes that decodes to at most
    // kMaxCueBytes; nothing otherwise. Never waits on the name, whatever it turns out to be.
    static std::optional<PcmCue> readCue(const QString& path);

    // Files larger than this are not read at all.
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
    // The most memory one cue may take decoded, as the 16-bit PCM kept for playing (judged
    // from the header, before decoding): 16 MiB is about 95 s of a 44.1 kHz stereo file, or
    // 17 minutes of 8 kHz mono. A longer cue gives silence.
    static constexpr qint64 kMaxCueBytes = 16 * 1024 * 1024;

  private:
    // When and how big the file was when it was read: a changed file differs in one of them.
    struct Stamp
    {
        bool exists = false;
        qint64 size = -1;
        qint64 modifiedMs = -1;
        bool operator==(const Stamp&) const = default;
    };
    struct Cue
    {
        PcmCue sound; // no samples: the file gave no cue
        Stamp stamp;
    };
    static Stamp stampOf(const QString& path);

    AudioOutput& m_output;
    QHash<QString, Cue> m_cues;
};
