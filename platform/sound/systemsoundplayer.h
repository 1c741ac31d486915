#pragma once
// The program's real sound player: the cue player on the machine's sound device.

#include "platform/sound/cueplayer.h"
#include "platform/sound/qtaudiooutput.h"

class SystemSoundPlayer : public SoundPlayer
{
  public:
    SystemSoundPlayer() = default;
    void preload(const QStringList& paths) override { m_player.preload(paths); }
    void playSound(const QString& path) override { m_player.playSound(path); }

  private:
    QtAudioOutput m_output; // before m_player, which holds on to it
    CuePlayer m_player{m_output};
};
