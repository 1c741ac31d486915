#pragma once
// The real audio output: a QAudioSink in push mode on a thread of its own, so the caller
// never waits on the sound server. Each cue gets a fresh stream in its own format: dropping the old
// stream cuts the cue sounding at once, and a fresh stream starts playing as soon as the first
// bytes are written. A stream is let go only after its cue and a silent tail have left the
// buffer, so every cue sounds whole. With no sound device at all it stays silent.

#include "platform/sound/audiooutput.h"

class QThread;
class AudioEngine;

class QtAudioOutput : public AudioOutput
{
  public:
    QtAudioOutput();
    ~QtAudioOutput() override;
    void play(const PcmCue& cue) override;
    void stop() override;

    // False when no sound device was found at start: every cue is silent.
    bool hasDevice() const { return m_engine != nullptr; }

  private:
    QThread* m_thread = nullptr;
    AudioEngine* m_engine = nullptr;
};
