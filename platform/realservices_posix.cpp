#include "platform/realservices.h"
#include "platform/sound/lazysoundplayer.h"
#include "platform/sound/systemsoundplayer.h"

std::unique_ptr<SoundPlayer> RealServices::makeSoundPlayer()
{
    // Starting the sound system takes longer than showing the title window, so it waits.
    return std::make_unique<LazySoundPlayer>([] { return std::make_unique<SystemSoundPlayer>(); });
}
