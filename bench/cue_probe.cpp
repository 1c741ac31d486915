// Plays the sound cues through the real player in a fixed pattern, for a recording of the
// sound server to be checked against (bench/cue_probe.sh does both). Prints one line per
// cue: name, when playSound was called, how long it took to return, and when the cue's first
// bytes reached the server, all in ms from the first call.
//   cue_probe [folder with the wave files, default: this program's folder]

#include "platform/systemsoundplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <chrono>
#include <cstdio>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    auto cue = [&](const char* name) { return QDir(folder).filePath(QString::fromLatin1(name)); };

    SystemSoundPlayer player;
    if (!player.output().hasDevice()) {
        std::printf("no sound device: every cue is silent\n");
        return 0;
    }
    player.preload(
        {cue("Start.wav"), cue("Fac.wav"), cue("BoxingBell2.wav"), cue("BoxingBell.wav")});
    QThread::msleep(300);

    qint64 epoch = 0;
    auto play = [&](const char* name, int gapMs) {
        const qint64 before = nowNs();
        if (epoch == 0)
            epoch = before;
        player.playSound(cue(name));
        const qint64 after = nowNs();
        QThread::msleep(gapMs);
        const qint64 handoff = player.output().lastStart().handoffNs;
        std::printf("%-16s call %9.3f ms  returned in %7.1f us  first bytes to server +%6.2f ms\n",
                    name, (before - epoch) / 1e6, (after - before) / 1e3,
                    handoff >= before ? (handoff - before) / 1e6 : -1.0);
        std::fflush(stdout);
    };

    for (int i = 0; i < 20; ++i) // clicks with room to sound whole
        play("Fac.wav", 400);
    for (int i = 0; i < 10; ++i) // clicks faster than the cue: each cuts the one before
        play("Fac.wav", 60);
    QThread::msleep(500);
    play("BoxingBell2.wav", 700); // end-of-round bell cut short by the next-round bell
    play("BoxingBell.wav", 2000);
    play("Start.wav", 2800);
    std::printf("buffer %lld bytes\n",
                static_cast<long long>(player.output().lastStart().bufferBytes));
    return 0;
}
