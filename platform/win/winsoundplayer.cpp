#include "platform/win/winsoundplayer.h"

#include <QByteArray>
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

namespace {

int systemPlay(const char* path, unsigned flags)
{
    return sndPlaySoundA(path, flags);
}

} // namespace

WinSoundPlayer::WinSoundPlayer(PlayCall call) : m_call(call ? call : systemPlay) {}

void WinSoundPlayer::playSound(const QString& path)
{
    // toLocal8Bit is the ANSI code page on Windows; the bytes live until the call returns,
    // and SND_ASYNC has the player copy the name before it does.
    const QByteArray ansi = path.toLocal8Bit();
    m_call(ansi.constData(), kFlags);
}
