// How long a cue takes to decode at preload: each file opened and decoded as the player does
// it, 15 times; prints the median and the fastest, the sound's length and format, and at the
// end the process's peak resident memory.   cue_decode FILE...

#include "platform/sound/cueplayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        std::vector<double> ms;
        std::optional<PcmCue> cue;
        for (int run = 0; run < 15; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            cue = CuePlayer::readCue(path);
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count());
        }
        std::sort(ms.begin(), ms.end());
        const QByteArray name = QFileInfo(path).fileName().toLocal8Bit();
        if (!cue) {
            std::printf("  %-28s no cue\n", name.constData());
            continue;
        }
        std::printf("  %-28s %7.2f ms median, %7.2f ms fastest  (%5.2f s, %d Hz, %d ch, %lld kB)\n",
                    name.constData(), ms[ms.size() / 2], ms.front(),
                    double(cue->frames()) / cue->format.sampleRate, cue->format.sampleRate,
                    cue->format.channels, static_cast<long long>(QFileInfo(path).size() / 1024));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  peak resident memory %ld kB\n", usage.ru_maxrss);
    return 0;
}
