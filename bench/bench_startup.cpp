// Start-up and memory: from starting the process to the title window's first paint, and the
// process's peak resident memory by then; then, half a second later (a person finding the
// menu), from File > New Game to the game window's first paint; then a round and a half of
// play, and the process's peak resident memory.
// Beside it, a bare Qt Widgets program started the same way by the same executable in the
// same run: a window of the title window's size, then a second one of the game window's
// size; and, to show what text alone costs, a bare window with the title window's menu bar.
// Each start is a fresh process; the figures are medians.
// The goal is held against that last window, which lays out the same menu bar: the title
// window paints within 1.10x of its time, with a peak memory within 1.10x of its peak. (A
// bare window without the menu bar is no fair yardstick: its first text costs Qt on Linux
// the font configuration and the font list, which any window with a menu bar pays.)
//
//   bench_startup [runs]          prints the medians and their ratios
//   bench_startup --child qor     (internal) the program's title window, then its game
//   bench_startup --child bare    (internal) two empty QWidgets
//   bench_startup --child menu    (internal) an empty window under a File and a Help menu

#include "cards/gamedata.h"
#include "flipper/frmfac.h"
#include "platform/realservices.h"
#include "platform/systemfontspreload.h"
#include "windows/frmnmain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The process's peak resident set so far, in kB (0 where the system does not say).
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

void say(const char* line)
{
    std::puts(line);
    std::fflush(stdout);
}

// The title window has painted: says so at once, then how much memory that took.
void sayTitle()
{
    say("title");
    std::printf("titlepeak %ld\n", peakKb());
    std::fflush(stdout);
}

// Runs `then` once, after the watched widget's first paint.
class FirstPaint : public QObject
{
  public:
    explicit FirstPaint(std::function<void()> then) : m_then(std::move(then)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_then) {
            // After this paint has finished, not inside it.
            QTimer::singleShot(0, std::exchange(m_then, nullptr));
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> m_then;
};

constexpr int kMenuPauseMs = 500;

qint64 nowNs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed();
}

void sayMs(const char* what, qint64 sinceNs)
{
    std::printf("%s %.3f\n", what, (nowNs() - sinceNs) / 1e6);
    std::fflush(stdout);
}

void finish()
{
    std::printf("peak %ld\n", peakKb());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

int qorChild(SystemFontsPreload& fonts)
{
    // What main.cpp builds before the title window shows, with the build's wave files and
    // the bundled deck.
    auto data = std::make_unique<GameData>();
    RealServices real;
    const Services services = real.services(
        QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).canonicalPath(),
        QStringLiteral(QOR_SAMPLE_DECK));
    frmnMain window(*data, services);
    std::unique_ptr<FirstPaint> gamePainted;
    qint64 clicked = 0;
    FirstPaint titlePainted([&] {
        sayTitle();
        QTimer::singleShot(kMenuPauseMs, [&] {
            clicked = nowNs();
            window.mnuGame_Click();
            frmFac* game = window.gameWindow();
            gamePainted = std::make_unique<FirstPaint>([game, &clicked] {
                sayMs("game", clicked);
                // A round and a half: 75 cards, Next Round, and the review pick now and then.
                for (int i = 1; i <= 75; ++i) {
                    if (i == 51)
                        game->cmdRound->click();
                    game->cmdFlip->click();
                    if (i % 10 == 0)
                        game->cmdPick->click();
                    QCoreApplication::processEvents();
                }
                finish();
            });
            game->installEventFilter(gamePainted.get());
        });
    });
    window.installEventFilter(&titlePainted);
    fonts.wait();
    window.show();
    return QCoreApplication::exec();
}

int bareChild()
{
    QWidget first;
    first.setWindowTitle(QStringLiteral("bare"));
    first.resize(729, 689);
    QWidget second;
    second.setWindowTitle(QStringLiteral("bare game"));
    second.resize(830, 470);
    qint64 clicked = 0;
    FirstPaint secondPainted([&] {
        sayMs("game", clicked);
        finish();
    });
    second.installEventFilter(&secondPainted);
    FirstPaint firstPainted([&] {
        sayTitle();
        QTimer::singleShot(kMenuPauseMs, [&] {
            clicked = nowNs();
            first.close();
            second.show();
        });
    });
    first.installEventFilter(&firstPainted);
    first.show();
    return QCoreApplication::exec();
}

// The title window's size and menus, and nothing else.
int menuChild()
{
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare menu"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("New Game"));
    file->addAction(QStringLiteral("Exit"));
    window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About"));
    auto* client = new QWidget(&window);
    client->setFixedSize(729, 670);
    window.setCentralWidget(client);
    FirstPaint painted([] {
        sayTitle();
        finish();
    });
    window.installEventFilter(&painted);
    window.show();
    return QCoreApplication::exec();
}

struct Start
{
    double title = 0, game = 0;
    long titlePeakKb = 0, peakKb = 0;
};

// One fresh child: milliseconds from starting it to each window's first paint, and its peak.
Start startOnce(const QString& kind)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), kind});
    Start s;
    for (;;) {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(30000)) {
                std::fprintf(stderr, "the %s child stopped before its windows showed\n",
                             qPrintable(kind));
                std::exit(1);
            }
        }
        const QByteArray line = process.readLine().trimmed();
        const double ms = clock.nsecsElapsed() / 1e6;
        if (line == "title")
            s.title = ms;
        else if (line.startsWith("titlepeak "))
            s.titlePeakKb = line.mid(10).toLong();
        else if (line.startsWith("game "))
            s.game = line.mid(5).toDouble();
        else if (line.startsWith("peak ")) {
            s.peakKb = line.mid(5).toLong();
            break;
        }
    }
    process.waitForFinished(30000);
    return s;
}

template <typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The start-up goal: the title window within these ratios of the bare window with its menu bar.
constexpr double kGoalTimeRatio = 1.10;
constexpr double kGoalMemoryRatio = 1.10;

void sayGoal(const char* what, double yardstick, double qor, const char* unit, double goal)
{
    const double ratio = qor / yardstick;
    std::printf("  %-36s %8.1f %s %8.1f %s %6.2fx  %s (at most %.2fx)\n", what, yardstick, unit,
                qor, unit, ratio, ratio <= goal ? "met" : "NOT met", goal);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::string(argv[1]) == "--child") {
        if (std::string(argv[2]) != "qor") {
            QApplication app(argc, argv);
            return std::string(argv[2]) == "menu" ? menuChild() : bareChild();
        }
        // As main.cpp starts it, before the application object.
        SystemFontsPreload fonts;
        QApplication app(argc, argv);
        return qorChild(fonts);
    }

    QCoreApplication app(argc, argv);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 21;
    // One of each first, not counted: it fills the disk cache for all.
    startOnce(QStringLiteral("bare"));
    startOnce(QStringLiteral("menu"));
    startOnce(QStringLiteral("qor"));
    std::vector<double> bareTitle, bareGame, menuTitle, qorTitle, qorGame;
    std::vector<long> bareTitlePeak, menuTitlePeak, qorTitlePeak, barePeak, qorPeak;
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so a change in the machine's load touches all three alike.
        const Start b = startOnce(QStringLiteral("bare"));
        const Start m = startOnce(QStringLiteral("menu"));
        menuTitle.push_back(m.title);
        menuTitlePeak.push_back(m.titlePeakKb);
        const Start q = startOnce(QStringLiteral("qor"));
        bareTitle.push_back(b.title);
        bareGame.push_back(b.game);
        bareTitlePeak.push_back(b.titlePeakKb);
        barePeak.push_back(b.peakKb);
        qorTitle.push_back(q.title);
        qorGame.push_back(q.game);
        qorTitlePeak.push_back(q.titlePeakKb);
        qorPeak.push_back(q.peakKb);
    }
    std::printf("medians of %d fresh processes each      bare Qt    QOR Flipper   ratio\n", runs);
    auto row = [](const char* what, double b, double q, const char* unit) {
        std::printf("  %-36s %8.1f %s %8.1f %s %6.2fx\n", what, b, unit, q, unit, q / b);
    };
    row("start to title window painted", median(bareTitle), median(qorTitle), "ms");
    row("New Game to game window painted", median(bareGame), median(qorGame), "ms");
    row("peak resident memory at the title", median(bareTitlePeak) / 1024.0,
        median(qorTitlePeak) / 1024.0, "MB");
    row("peak resident memory, end of play", median(barePeak) / 1024.0, median(qorPeak) / 1024.0,
        "MB");
    std::printf("the bare window with the title window's menu bar: painted in %.1f ms (%.2fx), "
                "%.1f MB at the title (%.2fx)\n",
                median(menuTitle), median(menuTitle) / median(bareTitle),
                median(menuTitlePeak) / 1024.0,
                double(median(menuTitlePeak)) / double(median(bareTitlePeak)));
    std::printf("goal, against the bare window with the title window's menu bar:\n");
    sayGoal("start to title window painted", median(menuTitle), median(qorTitle), "ms",
            kGoalTimeRatio);
    sayGoal("peak resident memory at the title", median(menuTitlePeak) / 1024.0,
            median(qorTitlePeak) / 1024.0, "MB", kGoalMemoryRatio);
    return 0;
}
