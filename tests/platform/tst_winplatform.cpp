// The Windows platform calls, with the calls themselves handed in: the sound player hands the
// cue's path in the ANSI code page with SND_ASYNC | SND_NODEFAULT and ignores the answer; the
// shell hands its texts over with no owner window, an absent text as a null pointer, and
// counts a result above 32 as accepted. Then the real calls, as far as Wine can show them.

#include "platform/shell.h"
#include "platform/win/shellexecute.h"
#include "platform/win/winsoundplayer.h"

#include <QTemporaryDir>
#include <QtTest>
#include <windows.h>

namespace {

struct PlayCall
{
    QByteArray path;
    unsigned flags;
};
QList<PlayCall> g_plays;
int g_playAnswer = 1;

int recordPlay(const char* path, unsigned flags)
{
    g_plays.append({QByteArray(path), flags});
    return g_playAnswer;
}

struct ShellCall
{
    std::optional<QByteArray> operation, file, parameters, directory;
    int showCommand;
};
QList<ShellCall> g_shells;
std::intptr_t g_shellAnswer = 42;

std::optional<QByteArray> text(const char* s)
{
    return s ? std::optional<QByteArray>(QByteArray(s)) : std::nullopt;
}

std::intptr_t recordShell(const char* operation, const char* file, const char* parameters,
                          const char* directory, int showCommand)
{
    g_shells.append({text(operation), text(file), text(parameters), text(directory), showCommand});
    return g_shellAnswer;
}

} // namespace

class TestWinPlatform : public QObject
{
    Q_OBJECT

  private slots:
    void init()
    {
        g_plays.clear();
        g_shells.clear();
    }

    void soundPathAndFlags_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("the player plays it") << 1;
        QTest::newRow("the player refuses it: nothing to show") << 0;
    }
    void soundPathAndFlags()
    {
        QFETCH(int, answer);
        g_playAnswer = answer;
        WinSoundPlayer player(recordPlay);
        player.preload({QStringLiteral("C:\\QOR\\Start.wav")});
        QVERIFY(g_plays.isEmpty());
        player.playSound(QStringLiteral("C:\\QOR\\Fac.wav"));
        QCOMPARE(g_plays.size(), 1);
        QCOMPARE(g_plays[0].path, QByteArray("C:\\QOR\\Fac.wav"));
        QCOMPARE(g_plays[0].flags, 3u);
    }

    void soundPathInTheAnsiCodePage()
    {
        if (GetACP() != 1252)
            QSKIP("the check is written for the Western European ANSI code page 1252");
        WinSoundPlayer player(recordPlay);
        player.playSound(QStringLiteral("C:\\Jeux\\Cl\u00e9ment\\Fac.wav"));
        QCOMPARE(g_plays.size(), 1);
        QCOMPARE(g_plays[0].path, QByteArray("C:\\Jeux\\Cl\xe9ment\\Fac.wav"));
    }

    void realPlayerReturnsAtOnceAndSilentlyForAnyFile()
    {
        // There is no sound device under Wine: what is left to see is that every call comes
        // back, for a missing file and for one that is no wave.
        QTemporaryDir dir;
        QFile junk(dir.filePath(QStringLiteral("Fac.wav")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a wave file");
        junk.close();
        WinSoundPlayer player;
        for (int i = 0; i < 20; ++i) {
            player.playSound(QDir::toNativeSeparators(dir.filePath(QStringLiteral("Start.wav"))));
            player.playSound(QDir::toNativeSeparators(junk.fileName()));
        }
        QVERIFY(g_plays.isEmpty());
    }

    void shellTexts()
    {
        ShellExecuteService shell(recordShell);
        QVERIFY(shell.shellOpen(QStringLiteral("https://www.olvarin.example/"),
                                QStringLiteral("Open"), std::nullopt, std::nullopt, 0));
        QVERIFY(shell.shellOpen(QStringLiteral("C:\\QOR\\notes.txt"), QStringLiteral("print"),
                                QStringLiteral("/x"), QStringLiteral("C:\\QOR"), 1));
        QCOMPARE(g_shells.size(), 2);
        QCOMPARE(g_shells[0].operation, QByteArray("Open"));
        QCOMPARE(g_shells[0].file, QByteArray("https://www.olvarin.example/"));
        QCOMPARE(g_shells[0].parameters, std::nullopt);
        QCOMPARE(g_shells[0].directory, std::nullopt);
        QCOMPARE(g_shells[0].showCommand, 0);
        QCOMPARE(g_shells[1].parameters, QByteArray("/x"));
        QCOMPARE(g_shells[1].directory, QByteArray("C:\\QOR"));
        QCOMPARE(g_shells[1].showCommand, 1);
    }

    void shellResult_data()
    {
        QTest::addColumn<qint64>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0: out of memory") << qint64(0) << false;
        QTest::newRow("2: file not found") << qint64(2) << false;
        QTest::newRow("31: no association") << qint64(31) << false;
        QTest::newRow("32 is still an error") << qint64(32) << false;
        QTest::newRow("33 is accepted") << qint64(33) << true;
        QTest::newRow("a handle value") << qint64(0x7ff00000) << true;
    }
    void shellResult()
    {
        QFETCH(qint64, answer);
        QFETCH(bool, accepted);
        g_shellAnswer = static_cast<std::intptr_t>(answer);
        ShellExecuteService shell(recordShell);
        QCOMPARE(shell.shellOpen(QStringLiteral("https://www.olvarin.example/"),
                                 QStringLiteral("Open"), std::nullopt, std::nullopt, 0),
                 accepted);
    }

    void realShellAcceptsAWebAddress()
    {
        // Wine's shell accepts a web address even with no browser to hand it to (33).
        SystemShellService shell;
        QVERIFY(shell.shellOpen(QStringLiteral("https://www.olvarin.example/"),
                                QStringLiteral("Open"), std::nullopt, std::nullopt, 0));
        QVERIFY(g_shells.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWinPlatform)
#include "tst_winplatform.moc"
