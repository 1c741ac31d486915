#include "modgeneral.h"

#include "platform/soundplayer.h"

void modGeneral::playSound(SoundPlayer& player, const QString& path)
{
    player.playSound(path);
}
