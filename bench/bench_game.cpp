// Times the game window's busiest handlers on the offscreen platform with a silent sound
// player: the timed flip, the non-timed flip after the bell, New Game (one read and a
// shuffle) and the opening (two reads and a shuffle), all with the bundled deck.

#include "cards/gamedata.h"
#include "flipper/frmfac.h"
#include "platform/messageservice.h"
#include "platform/programexit.h"
#include "platform/qorlabel.h"
#include "platform/randomsource.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/soundplayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class QuietSound : public SoundPlayer
{
  public:
    int cues = 0;
    void preload(const QStringList&) override {}
    void playSound(const QString&) override { ++cues; }
};

class CountedMessages : public MessageService
{
  public:
    int shown = 0;
    void showMessage(const QString&, const QString&) override { ++shown; }
};

class NoShell : public ShellService
{
  public:
    bool shellOpen(const QString&, const QString&, const std::optional<QString>&,
                   const std::optional<QString>&, int) override
    {
        return false;
    }
};

class NoExit : public ProgramExit
{
  public:
    void endProgram() override {}
};

struct Figures
{
    double median = 0, mean = 0, p99 = 0;
};

// Runs `setup` (untimed) and `step` (timed) `rounds` times; microseconds per step.
Figures measure(int rounds, const std::function<void()>& setup, const std::function<void()>& step)
{
    std::vector<double> us;
    us.reserve(rounds);
    QElapsedTimer timer;
    for (int i = 0; i < rounds; ++i) {
        setup();
        timer.start();
        step();
        us.push_back(timer.nsecsElapsed() / 1000.0);
        // Let the window repaint now and then, as it would between clicks.
        if (i % 64 == 0)
            QCoreApplication::processEvents();
    }
    Figures f;
    for (double v : us)
        f.mean += v;
    f.mean /= us.size();
    std::sort(us.begin(), us.end());
    f.median = us[us.size() / 2];
    f.p99 = us[us.size() * 99 / 100];
    return f;
}

void print(const char* what, const Figures& f)
{
    std::printf("%-44s median %9.1f us   mean %9.1f us   99th %9.1f us\n", what, f.median, f.mean,
                f.p99);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    GameData data;
    SystemRandomSource random;
    CountedMessages messages;
    QuietSound sound;
    NoShell shell;
    NoExit exit;
    const Services services{random,
                            messages,
                            sound,
                            shell,
                            exit,
                            QStringLiteral("/nowhere"),
                            QStringLiteral(QOR_SAMPLE_DECK)};
    frmFac game(data, services);
    game.Form_Load();
    game.show();
    QCoreApplication::processEvents();
    if (messages.shown != 0 || data.facsRead != 100) {
        std::fprintf(stderr, "the bundled deck did not read cleanly\n");
        return 1;
    }

    std::printf("Game window, offscreen, %d cards read from %s\n", int(data.facsRead),
                QOR_SAMPLE_DECK);
    // A timed card each time: after the bell, Next Round (untimed) starts the next round.
    print("timed flip (cmdFlip_Click)", measure(
                                            20000,
                                            [&] {
                                                if (game.lblClock->text() == QLatin1String("0:00"))
                                                    game.cmdRound_Click();
                                            },
                                            [&] { game.cmdFlip_Click(); }));
    // After the bell every click turns a non-timed card.
    print("non-timed flip (cmdFlip_Click at 0:00)",
          measure(
              20000,
              [&] {
                  while (game.lblClock->text() != QLatin1String("0:00"))
                      game.cmdFlip_Click();
              },
              [&] { game.cmdFlip_Click(); }));
    print("review pick (cmdPick_Click)", measure(
                                             20000,
                                             [&] {
                                                 if (game.lstFAC->count() < 2) {
                                                     game.cmdRound_Click();
                                                     game.cmdFlip_Click();
                                                     game.cmdFlip_Click();
                                                 }
                                             },
                                             [&] { game.cmdPick_Click(); }));
    print("New Game (shuffle, reseed, one read)",
          measure(
              2000, [] {}, [&] { game.mnuNewGame_Click(); }));
    print("opening (two reads, shuffle, New Game)", measure(
                                                        2000, [] {}, [&] { game.Form_Load(); }));
    return 0;
}
