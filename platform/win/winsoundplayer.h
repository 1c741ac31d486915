#pragma once
// The program's sound player on Windows: the platform's own wave player. It plays one cue at
// a time, a new cue stops the one sounding, and a missing or unplayable file gives silence,
// never the default sound.

#include "platform/soundplayer.h"

class WinSoundPlayer : public SoundPlayer
{
  public:
    // The shape of winmm's sndPlaySoundA; tests hand in a recorder.
    using PlayCall = int (*)(const char* path, unsigned flags);
    // SND_ASYNC | SND_NODEFAULT: return at once, and no default sound for a bad file.
    static constexpr unsigned kFlags = 0x0001 | 0x0002;

    // With no call given, the real sndPlaySoundA.
    explicit WinSoundPlayer(PlayCall call = nullptr);

    // The platform reads the file when it plays it: nothing to do ahead.
    void preload(const QStringList&) override {}
    // Hands the path, in the ANSI code page, to the player; its answer is ignored.
    void playSound(const QString& path) override;

  private:
    PlayCall m_call;
};
