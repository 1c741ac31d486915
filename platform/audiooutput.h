#pragma once
// The sound device as the cue player sees it: one stream of signed 16-bit PCM at a time.
// The real one sits on QAudioSink; tests hand in a recording fake.

#include <QByteArray>

struct AudioFormat
{
    int sampleRate = 44100;
    int channels = 2;
};

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;
    // The rate and channel count play() expects.
    virtual AudioFormat format() const = 0;
    // Cuts whatever sounds and starts pcm (signed 16-bit, interleaved, in format()) at once;
    // it plays to its last sample unless play() or stop() comes first. Returns at once.
    virtual void play(const QByteArray& pcm) = 0;
    // Cuts whatever sounds. Returns at once.
    virtual void stop() = 0;
};
