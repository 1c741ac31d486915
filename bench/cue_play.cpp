// Plays one wave file through the real sound player, once, and waits for it to sound whole:
// for recordings of what the player makes of a file (bench/image_figure.sh).
//   cue_play FILE SECONDS

#include "platform/sound/systemsoundplayer.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: cue_play FILE SECONDS\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    SystemSoundPlayer player;
    player.preload({file});
    QThread::msleep(300);
    player.playSound(file);
    QThread::msleep(static_cast<unsigned long>(std::atof(argv[2]) * 1000) + 600);
    return 0;
}
