// Times the game window's busiest handlers with a silent sound player: the timed flip, the
// non-timed flip after the bell, New Game (one read and a shuffle) and the opening (two reads
// and a shuffle), all with the bundled deck. Then a flip as the player meets it, from the
// mouse button's release to the window painted, beside the same for a bare Qt window whose
// button only writes a number into a label. Offscreen unless QT_QPA_PLATFORM says otherwise.

#include "cards/gamedata.h"
#include "cards/messageservice.h"
#include "flipper/frmfac.h"
#include "platform/programexit.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/soundplayer.h"
#include "platform/systemrandomsource.h"
#include "platform/widgets/qorlabel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
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

// Counts the paints a window gets.
class PaintCount : public QObject
{
  public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// A press and release on the button's middle, then the event loop until the window has
// repainted what changed.
std::function<void()> clickAndPaint(QWidget* button, PaintCount& count)
{
    return [button, &count] {
        const QPointF local(button->width() / 2.0, button->height() / 2.0);
        const QPointF global = button->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        const int before = count.paints;
        QCoreApplication::sendEvent(button, &press);
        QCoreApplication::sendEvent(button, &release);
        for (int spins = 0; count.paints == before && spins < 1000; ++spins)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
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

    std::printf("\nFrom the button's release to the window painted, %s platform\n",
                qPrintable(QGuiApplication::platformName()));
    int flips = 0;
    QObject::connect(game.cmdFlip, &QPushButton::clicked, [&] { ++flips; });
    PaintCount gamePaints;
    game.installEventFilter(&gamePaints);
    for (QWidget* child : game.findChildren<QWidget*>())
        child->installEventFilter(&gamePaints);
    print("game window: Flip", measure(
                                   3000,
                                   [&] {
                                       if (game.lblClock->text() == QLatin1String("0:00"))
                                           game.cmdRound_Click();
                                       QCoreApplication::processEvents();
                                   },
                                   clickAndPaint(game.cmdFlip, gamePaints)));
    if (flips != 3000) {
        std::fprintf(stderr, "the Flip button took %d of 3000 clicks\n", flips);
        return 1;
    }

    QWidget bare;
    bare.setWindowTitle(QStringLiteral("bare"));
    bare.setFixedSize(game.size());
    auto* button = new QPushButton(QStringLiteral("Flip"), &bare);
    button->setGeometry(game.cmdFlip->geometry());
    auto* label = new QLabel(&bare);
    label->setGeometry(game.lblClock->geometry());
    int n = 0;
    QObject::connect(button, &QPushButton::clicked, label,
                     [&] { label->setText(QString::number(++n)); });
    PaintCount barePaints;
    bare.installEventFilter(&barePaints);
    button->installEventFilter(&barePaints);
    label->installEventFilter(&barePaints);
    game.hide();
    bare.show();
    QCoreApplication::processEvents();
    print("bare window: button writes a label",
          measure(
              3000, [] { QCoreApplication::processEvents(); }, clickAndPaint(button, barePaints)));
    if (n != 3000) {
        std::fprintf(stderr, "the bare button took %d of 3000 clicks\n", n);
        return 1;
    }
    return 0;
}
