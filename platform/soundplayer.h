#pragma once
// Sound cues. playSound returns at once; one cue sounds at a time, a new cue stops the
// one sounding, and a missing or unplayable file gives silence and no message.

#include <QString>
#include <QStringList>

class SoundPlayer
{
  public:
    virtual ~SoundPlayer() = default;
    // Decodes these files ahead of time so a later playSound starts without delay.
    virtual void preload(const QStringList& paths) = 0;
    // Starts the wave file at path (full name), as the last preload found it, and returns
    // at once; a file not preloaded is silent.
    virtual void playSound(const QString& path) = 0;
};
