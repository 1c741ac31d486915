// Start-up time: from starting the process to the title window's first paint, against a bare
// Qt Widgets window of the same size started the same way, in the same run. Each start is a
// fresh process; the figures are medians.
//
//   bench_startup [runs]          prints both medians and their ratio
//   bench_startup --child title   (internal) starts the program's title window
//   bench_startup --child bare    (internal) starts an empty QWidget

#include "cards/gamedata.h"
#include "platform/qtmessageservice.h"
#include "platform/qtprogramexit.h"
#include "platform/randomsource.h"
#include "platform/lazysoundplayer.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/systemsoundplayer.h"
#include "windows/frmnmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Says "shown" on the window's first paint and ends the child.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

int child(int argc, char* argv[], bool title)
{
    QApplication app(argc, argv);
    FirstPaint watch;
    if (title) {
        // Exactly what main.cpp builds before the title window shows.
        auto data = std::make_unique<GameData>();
        SystemRandomSource random;
        QtMessageService messages;
        LazySoundPlayer sound([] { return std::make_unique<SystemSoundPlayer>(); });
        SystemShellService shell;
        QtProgramExit exit;
        const Services services{random, messages, sound, shell, exit,
                                QCoreApplication::applicationDirPath(),
                                QStringLiteral("fac_data.txt")};
        frmnMain window(*data, services);
        window.installEventFilter(&watch);
        window.show();
        return app.exec();
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(729, 689);
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}

// Milliseconds from starting the child to its "shown" line.
double startOnce(const QString& kind)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind});
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(30000)) {
            std::fprintf(stderr, "the %s child never showed its window\n", qPrintable(kind));
            std::exit(1);
        }
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(30000);
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::string(argv[1]) == "--child")
        return child(argc, argv, std::string(argv[2]) == "title");

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 21;
    // One of each first, not counted: it fills the disk cache for both.
    startOnce(QStringLiteral("bare"));
    startOnce(QStringLiteral("title"));
    std::vector<double> bare, title;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so a change in the machine's load touches both alike.
        bare.push_back(startOnce(QStringLiteral("bare")));
        title.push_back(startOnce(QStringLiteral("title")));
    }
    const double b = median(bare), t = median(title);
    std::printf("start-up to first paint, median of %d fresh processes each\n", runs);
    std::printf("  bare QWidget window : %7.1f ms\n", b);
    std::printf("  QOR Flipper title   : %7.1f ms\n", t);
    std::printf("  ratio               : %7.2fx\n", t / b);
    return 0;
}
