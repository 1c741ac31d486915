// The program's whole life through the real windows: the title window, New Game, Exit,
// About, and the ways the program ends. Each step runs inside the application's event loop,
// as in the running program, so a quit that Qt would post is seen.

#include "fakes.h"
#include "flipper/frmfac.h"
#include "platform/sound/cues.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"
#include "windows/frmabout.h"
#include "windows/frmnmain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

// How a step ended.
constexpr int kQuitByQt = 0;      // Qt quit: the last window closed
constexpr int kEndProgram = 3;    // the program exit service was called
constexpr int kStillRunning = 42; // nothing ended the program

// Sees the quit that Qt posts when the last window has closed.
class QuitWatcher : public QObject
{
  public:
    bool quitSeen = false;
    QuitWatcher() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::Quit)
            quitSeen = true;
        return false;
    }
};

// The program as main.cpp starts it, with fakes for the outside world.
struct Program
{
    GameData data;
    FakeWorld world;
    std::unique_ptr<frmnMain> title;

    Program()
    {
        // Recorded only: leaving the loop from inside a handler would strand the quit that
        // Qt may have posted meanwhile and upset the next run.
        world.exit.onEnd = [] { s_ended = true; };
        title = std::make_unique<frmnMain>(
            data, world.services(QStringLiteral("/prog"), QStringLiteral(QOR_SAMPLE_DECK)));
        title->show();
    }

    // Runs step inside the event loop, then lets what it posted happen, and says how the
    // loop ended: by the program exit, by Qt's quit after the last window closed, or not.
    static int run(const std::function<void()>& step)
    {
        // A quit left over from an earlier run would end this one at once; in the program
        // the process is gone by then.
        QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
        QuitWatcher watcher;
        // A real timer, so that the step runs outside any delivery of posted events and what
        // it posts is delivered afterwards, in order.
        QTimer stepTimer;
        stepTimer.setSingleShot(true);
        stepTimer.callOnTimeout([step, &watcher] {
            step();
            QMetaObject::invokeMethod(
                qApp,
                [&watcher] {
                    if (!watcher.quitSeen)
                        QCoreApplication::exit(kStillRunning);
                },
                Qt::QueuedConnection);
        });
        stepTimer.start(0);
        s_ended = false;
        const int code = QApplication::exec();
        return s_ended ? kEndProgram : code;
    }

    inline static bool s_ended = false;

    QList<frmAbout*> aboutWindows() const
    {
        QList<frmAbout*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* about = qobject_cast<frmAbout*>(w))
                found.append(about);
        return found;
    }

    // The sizes of the title window's icon, smallest first.
    QList<QSize> iconSizes() const
    {
        QList<QSize> sizes = title->windowIcon().availableSizes();
        std::sort(sizes.begin(), sizes.end(),
                  [](QSize a, QSize b) { return a.width() < b.width(); });
        return sizes;
    }

    bool nothingReadOrPlayed() const
    {
        return data.facsRead == 0 && world.messages.shown.isEmpty() &&
               world.sound.played.isEmpty() && world.random.reseeds == 0;
    }
};

} // namespace

class TestProgram : public QObject
{
    Q_OBJECT
  private slots:
    void cleanup()
    {
        QApplication::setQuitOnLastWindowClosed(true);
        // Nothing is left behind for the next test.
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void startShowsOnlyTheTitleWindow()
    {
        Program program;
        QVERIFY(program.title->isVisible());
        QCOMPARE(program.title->windowTitle(), QString("Korvane II - QOR Flipper"));
        QVERIFY(!program.title->gameWindow());
        QVERIFY(!program.title->aboutWindow());
        QVERIFY(program.nothingReadOrPlayed());
        QVERIFY(program.world.sound.preloaded.isEmpty());
    }

    void titleWindowReadiesTheGameOnceItHasPainted()
    {
        Program program;
        QVERIFY(program.world.sound.preloaded.isEmpty());
        QVERIFY(QTest::qWaitForWindowExposed(program.title.get()));
        QTRY_COMPARE(program.world.sound.preloaded,
                     Cues(program.world.sound, QStringLiteral("/prog")).files());
        // Readying reads no cards and sounds nothing.
        QVERIFY(program.nothingReadOrPlayed());
        // New Game still preloads for itself, and opens as before.
        QCOMPARE(Program::run([&] { program.title->mnuGame->trigger(); }), kStillRunning);
        QCOMPARE(program.world.sound.preloaded.size(), 8);
        QCOMPARE(program.world.sound.played,
                 QStringList{QDir::toNativeSeparators("/prog/Start.wav")});
    }

    void titleWindowIconGainsItsSmallSizesOnceItHasPainted()
    {
        Program program;
        // To show, the window needs its one 64 x 64 icon; the rest waits for the first paint.
        QCOMPARE(program.iconSizes(), QList<QSize>{QSize(64, 64)});
        QVERIFY(QTest::qWaitForWindowExposed(program.title.get()));
        QTRY_COMPARE(program.iconSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}}));
    }

    void titleLogoKeptInItsGreys()
    {
        // Converted for the screen it would take four times the memory.
        Program program;
        const QImage logo = program.title->Image1->picture().toImage();
        QCOMPARE(logo.size(), QSize(731, 669));
        QCOMPARE(logo.format(), QImage::Format_Grayscale8);
    }

    void exitBeforeAnyGame()
    {
        Program program;
        QCOMPARE(Program::run([&] { program.title->mnuExit->trigger(); }), kEndProgram);
        QCOMPARE(program.world.exit.ends, 1);
        QVERIFY(!program.title->isVisible());
        QVERIFY(!program.title->gameWindow());
        QVERIFY(program.nothingReadOrPlayed());
    }

    void newGameClosesTitleAndOpensGame()
    {
        Program program;
        QCOMPARE(Program::run([&] { program.title->mnuGame->trigger(); }), kStillRunning);
        QVERIFY(!program.title->isVisible());
        QPointer<frmFac> game = program.title->gameWindow();
        QVERIFY(game);
        QVERIFY(game->isVisible());
        QVERIFY(!game->parentWidget());
        // Its opening ran: the data file was read and the opening cue sounded.
        QCOMPARE(program.data.facsRead, qint16(100));
        QCOMPARE(program.world.sound.played,
                 QStringList{QDir::toNativeSeparators("/prog/Start.wav")});
        QCOMPARE(program.world.exit.ends, 0);
        QVERIFY(QApplication::quitOnLastWindowClosed());
    }

    void aboutTwiceShowsTheSameWindow()
    {
        Program program;
        QCOMPARE(Program::run([&] { program.title->mnuAbout->trigger(); }), kStillRunning);
        QPointer<frmAbout> about = program.title->aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        QVERIFY(!about->parentWidget());
        QVERIFY(!about->isModal());
        // A mark that a second load would overwrite.
        about->lblVersion->setText("loaded once");
        QCOMPARE(Program::run([&] { program.title->mnuAbout->trigger(); }), kStillRunning);
        QCOMPARE(program.aboutWindows(), QList<frmAbout*>{about.data()});
        QCOMPARE(about->lblVersion->text(), QString("loaded once"));
        // The title window stays usable beside it.
        QVERIFY(program.title->isVisible());
        QVERIFY(program.title->isEnabled());
        QVERIFY(program.nothingReadOrPlayed());
    }

    void aboutAfterOkLoadsAgain()
    {
        Program program;
        Program::run([&] { program.title->mnuAbout->trigger(); });
        QPointer<frmAbout> first = program.title->aboutWindow();
        first->lblVersion->setText("old");
        QCOMPARE(Program::run([&] { first->cmdOK->click(); }), kStillRunning);
        QVERIFY(first.isNull());
        Program::run([&] { program.title->mnuAbout->trigger(); });
        QVERIFY(program.title->aboutWindow());
        QCOMPARE(program.title->aboutWindow()->lblVersion->text(), QString("Version 2.0.2"));
        QCOMPARE(program.aboutWindows().size(), 1);
    }

    void aboutStaysOpenThroughNewGame()
    {
        Program program;
        Program::run([&] { program.title->mnuAbout->trigger(); });
        QPointer<frmAbout> about = program.title->aboutWindow();
        QCOMPARE(Program::run([&] { program.title->mnuGame->trigger(); }), kStillRunning);
        QVERIFY(!program.title->isVisible());
        QVERIFY(program.title->gameWindow()->isVisible());
        QVERIFY(about);
        QVERIFY(about->isVisible());
    }

    void closingGameWithAboutOpenEndsBoth()
    {
        Program program;
        Program::run([&] { program.title->mnuAbout->trigger(); });
        Program::run([&] { program.title->mnuGame->trigger(); });
        QPointer<frmAbout> about = program.title->aboutWindow();
        QPointer<frmFac> game = program.title->gameWindow();
        QCOMPARE(Program::run([&] { game->close(); }), kEndProgram);
        QCOMPARE(program.world.exit.ends, 1);
        // The About window went without its closing steps; main.cpp then takes down what is
        // left, as here.
        QVERIFY(about);
        program.title.reset();
        QVERIFY(about.isNull());
        QVERIFY(game.isNull());
    }

    void closeBoxWithNothingElseOpenEndsProgram()
    {
        Program program;
        QCOMPARE(Program::run([&] { program.title->close(); }), kQuitByQt);
        QCOMPARE(program.world.exit.ends, 0);
        QVERIFY(program.nothingReadOrPlayed());
    }

    void closeBoxWithAboutOpenWaitsForAbout()
    {
        Program program;
        Program::run([&] { program.title->mnuAbout->trigger(); });
        QPointer<frmAbout> about = program.title->aboutWindow();
        QCOMPARE(Program::run([&] { program.title->close(); }), kStillRunning);
        QVERIFY(about->isVisible());
        QCOMPARE(Program::run([&] { QTest::keyClick(about->cmdOK, Qt::Key_Escape); }), kQuitByQt);
    }

    void menusExactly()
    {
        Program program;
        frmnMain& title = *program.title;
        QVERIFY(title.MnuFile && title.mnuHelp);
        QCOMPARE(title.menuBar()->actions(),
                 (QList<QAction*>{title.MnuFile->menuAction(), title.mnuHelp->menuAction()}));
        QCOMPARE(title.MnuFile->actions(), (QList<QAction*>{title.mnuGame, title.mnuExit}));
        QCOMPARE(title.mnuHelp->actions(), QList<QAction*>{title.mnuAbout});
        QCOMPARE(title.MnuFile->objectName(), QString("MnuFile"));
        QCOMPARE(title.mnuHelp->objectName(), QString("mnuHelp"));

        const QList<std::pair<QAction*, QString>> items{{title.MnuFile->menuAction(), "File"},
                                                        {title.mnuGame, "New Game"},
                                                        {title.mnuExit, "Exit"},
                                                        {title.mnuHelp->menuAction(), "Help"},
                                                        {title.mnuAbout, "About"}};
        for (const auto& [item, caption] : items) {
            QCOMPARE(item->text(), caption);
            QVERIFY(QKeySequence::mnemonic(item->text()).isEmpty());
            QVERIFY(item->shortcut().isEmpty());
            QVERIFY(!item->isSeparator());
            QVERIFY(!item->isCheckable());
            QVERIFY(item->isEnabled());
            QVERIFY(item->isVisible());
        }
        QCOMPARE(title.mnuGame->objectName(), QString("mnuGame"));
        QCOMPARE(title.mnuExit->objectName(), QString("mnuExit"));
        QCOMPARE(title.mnuAbout->objectName(), QString("mnuAbout"));
    }

    void titleWindowGeometry()
    {
        Program program;
        frmnMain& title = *program.title;
        QCOMPARE(title.centralWidget()->size(), QSize(729, 670));
        QCOMPARE(title.centralWidget()->y(), title.menuBar()->height());
        QCOMPARE(title.size(), QSize(729, 670 + title.menuBar()->height()));
        QCOMPARE(title.minimumSize(), title.size());
        QCOMPARE(title.maximumSize(), title.size());
        const Qt::WindowFlags flags = title.windowFlags();
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        // The logo at natural size from the top-left, two columns past the right edge.
        QCOMPARE(title.Image1->geometry(), QRect(0, 0, 731, 669));
        QVERIFY(!title.Image1->stretch());
        QCOMPARE(title.centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(title.centralWidget()->autoFillBackground());
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
