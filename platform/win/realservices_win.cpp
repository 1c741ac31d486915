#include "platform/realservices.h"
#include "platform/win/winsoundplayer.h"

std::unique_ptr<SoundPlayer> RealServices::makeSoundPlayer()
{
    // The platform's own wave player has nothing to start ahead.
    return std::make_unique<WinSoundPlayer>();
}
