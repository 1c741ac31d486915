#pragma once
// The sound device as the cue player sees it: one stream of signed 16-bit PCM at a time, in
// the cue's own rate and channel count. The real one sits on QAudioSink; tests hand in a
// recording fake.

#include <QByteArray>

struct AudioFormat
{
    int sampleRate = 44100;
    int channels = 2;
    bool operator==(const AudioFormat&) const = default;
};

// One cue ready to play: signed 16-bit interleaved PCM in format.
struct PcmCue
{
    AudioFormat format;
    QByteArray pcm;
    qint64 frames() const { return format.channels > 0 ? pcm.size() / (2 * format.channels) : 0; }
};

class AudioOutput
{
  public:
    virtual ~AudioOutput() = default;
    // Cuts whatever sounds and starts cue at once, on a stream opened in its format; it plays
    // to its last sample unless play() or stop() comes first. Returns at once.
    virtual void play(const PcmCue& cue) = 0;
    // Cuts whatever sounds. Returns at once.
    virtual void stop() = 0;
};
