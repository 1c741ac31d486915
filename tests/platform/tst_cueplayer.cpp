// The cue player's logic against a recording audio output: which cue plays, that every
// call plays (none dropped), that a new cue or an unplayable file cuts the one sounding,
// that a missing or broken file is silent without a message; and the feed that lets the
// device go only after a cue has sounded whole.

#include "platform/cuefeed.h"
#include "platform/cueplayer.h"
#include "platform/wavfile.h"
#include "wavbuilder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class FakeOutput : public AudioOutput
{
  public:
    AudioFormat fmt{44100, 2};
    // "play:<bytes>" or "stop", in call order.
    QStringList calls;
    QList<QByteArray> played;
    AudioFormat format() const override { return fmt; }
    void play(const QByteArray& pcm) override
    {
        calls.append(QStringLiteral("play:%1").arg(pcm.size()));
        played.append(pcm);
    }
    void stop() override { calls.append(QStringLiteral("stop")); }
};

QByteArray expectedPcm(const QByteArray& wav, AudioFormat f)
{
    return toInt16(*decodeWav(wav), f.sampleRate, f.channels);
}

} // namespace

class TestCuePlayer : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void playsTheDecodedCue();
    void everyCallPlays();
    void unplayableFileIsSilent_data();
    void unplayableFileIsSilent();
    void preloadKeepsCuesReady();
    void preloadAgainSeesFreshFiles();
    void preloadAgainSkipsUnchangedFiles();
    void fileAddedLaterPlays();
    void convertsToTheOutputFormat();

    void feedGivesCueThenSilenceThenNothing();
    void feedNewCueStartsAtItsBeginning();
    void feedClearedGivesNothing();
    void feedReadsWholeFrames();
    void feedLeadsWithSilence();

  private:
    QString write(const QString& name, const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCuePlayer::init()
{
    // No message of any kind may come from the player.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestCuePlayer::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the fixture");
    return path;
}

void TestCuePlayer::playsTheDecodedCue()
{
    FakeOutput out;
    CuePlayer player(out);
    const QByteArray fac = smallCue(300);
    const QByteArray bell = smallCue(900, 0.9);
    const QString facPath = write(QStringLiteral("Fac.wav"), fac);
    const QString bellPath = write(QStringLiteral("BoxingBell2.wav"), bell);

    player.playSound(facPath);
    player.playSound(bellPath);

    QCOMPARE(out.played.size(), 2);
    QCOMPARE(out.played[0], expectedPcm(fac, out.fmt));
    QCOMPARE(out.played[1], expectedPcm(bell, out.fmt));
    // Each cue goes to the output as a play of its own, which cuts the one before.
    QCOMPARE(out.calls, (QStringList{QStringLiteral("play:1200"), QStringLiteral("play:3600")}));
}

void TestCuePlayer::everyCallPlays()
{
    FakeOutput out;
    CuePlayer player(out);
    const QString path = write(QStringLiteral("Fac.wav"), smallCue());
    player.preload({path});
    for (int i = 0; i < 50; ++i)
        player.playSound(path);
    QCOMPARE(out.played.size(), 50);
    QCOMPARE(out.calls.count(QStringLiteral("stop")), 0);
}

void TestCuePlayer::unplayableFileIsSilent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty name: no file at all

    QTest::newRow("missing file") << QString() << QByteArray();
    QTest::newRow("empty file") << QStringLiteral("Fac.wav") << QByteArray();
    QTest::newRow("text, not a wave") << QStringLiteral("Fac.wav") << QByteArray("not a wave\n");
    QTest::newRow("header cut short") << QStringLiteral("Fac.wav") << smallCue().left(30);
    QByteArray adpcm = smallCue();
    adpcm[20] = 2;
    QTest::newRow("compressed wave") << QStringLiteral("Fac.wav") << adpcm;
    QTest::newRow("a folder, not a file") << QStringLiteral("dir") << QByteArray();
}

void TestCuePlayer::unplayableFileIsSilent()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    QString path = m_dir->filePath(QStringLiteral("absent.wav"));
    if (name == QLatin1String("dir")) {
        QVERIFY(QDir(m_dir->path()).mkdir(name));
        path = m_dir->filePath(name);
    } else if (!name.isEmpty()) {
        path = write(name, bytes);
    }
    FakeOutput out;
    CuePlayer player(out);
    const QString good = write(QStringLiteral("Start.wav"), smallCue());
    player.preload({path, good});
    player.playSound(good);
    player.playSound(path); // cuts the sounding cue, plays nothing
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("play:1764"), QStringLiteral("stop"),
                                     QStringLiteral("stop")}));
}

void TestCuePlayer::preloadKeepsCuesReady()
{
    FakeOutput out;
    CuePlayer player(out);
    const QByteArray wav = smallCue();
    const QString path = write(QStringLiteral("Fac.wav"), wav);
    player.preload({path});
    QVERIFY(QFile::remove(path));
    // Decoded at preload: the cue plays without reading the file again.
    player.playSound(path);
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(wav, out.fmt)}));
}

void TestCuePlayer::preloadAgainSeesFreshFiles()
{
    FakeOutput out;
    CuePlayer player(out);
    const QString path = write(QStringLiteral("Fac.wav"), smallCue(100));
    player.preload({path});
    const QByteArray replaced = smallCue(200);
    write(QStringLiteral("Fac.wav"), replaced);
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(replaced, out.fmt)}));

    // A file gone by the next preload is silent from then on.
    QVERIFY(QFile::remove(path));
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.calls.last(), QStringLiteral("stop"));
}

void TestCuePlayer::preloadAgainSkipsUnchangedFiles()
{
    FakeOutput out;
    CuePlayer player(out);
    const QByteArray first = smallCue(100);
    const QString path = write(QStringLiteral("Fac.wav"), first);
    player.preload({path});
    // Other samples, but the same size and time: to the player it is the file it knows, and
    // a second preload (the title window readies the cues, New Game asks again) is free.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QDateTime modified = f.fileTime(QFileDevice::FileModificationTime);
    QByteArray other = first;
    other[other.size() - 1] = char(other.back() ^ 0x55);
    QVERIFY(f.seek(0) && f.write(other) == other.size());
    f.close();
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
    f.close();
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(first, out.fmt)}));
}

void TestCuePlayer::fileAddedLaterPlays()
{
    FakeOutput out;
    CuePlayer player(out);
    const QString path = m_dir->filePath(QStringLiteral("BoxingBell.wav"));
    player.preload({path});
    player.playSound(path);
    write(QStringLiteral("BoxingBell.wav"), smallCue());
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("play:1764")}));
}

void TestCuePlayer::convertsToTheOutputFormat()
{
    FakeOutput out;
    out.fmt = {48000, 1};
    CuePlayer player(out);
    WavSpec s;
    s.rate = 24000;
    s.channels = 2;
    s.bits = 24;
    s.samples.assign(2 * 2400, 0.25); // 0.1 s
    const QString path = write(QStringLiteral("Start.wav"), makeWav(s));
    player.playSound(path);
    QCOMPARE(out.played.size(), 1);
    QCOMPARE(out.played[0].size(), 4800 * 2); // 0.1 s at 48 kHz, mono, 16-bit
}

// --- The feed the real device reads.

static QByteArray readAll(CueFeed& feed, qint64 chunk)
{
    QByteArray all;
    QByteArray buf(chunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = feed.read(buf.data(), chunk);
        if (n == 0)
            return all;
        all += buf.left(n);
    }
}

void TestCuePlayer::feedGivesCueThenSilenceThenNothing()
{
    CueFeed feed(/*tailBytes=*/400, /*frameBytes=*/4);
    const QByteArray cue(1000, 'x');
    feed.start(cue);
    QCOMPARE(feed.remaining(), 1400);
    const QByteArray got = readAll(feed, 96);
    QCOMPARE(got.left(1000), cue); // the cue whole
    QCOMPARE(got.mid(1000), QByteArray(400, '\0'));
    QVERIFY(feed.atEnd());
    char c;
    QCOMPARE(feed.read(&c, 1), 0);
}

void TestCuePlayer::feedNewCueStartsAtItsBeginning()
{
    CueFeed feed(40, 4);
    feed.start(QByteArray(800, 'a'));
    QByteArray buf(200, Qt::Uninitialized);
    QCOMPARE(feed.read(buf.data(), 200), 200);
    feed.start(QByteArray(100, 'b'));
    const QByteArray got = readAll(feed, 64);
    QCOMPARE(got, QByteArray(100, 'b') + QByteArray(40, '\0'));
}

void TestCuePlayer::feedClearedGivesNothing()
{
    CueFeed feed(40, 4);
    feed.start(QByteArray(800, 'a'));
    feed.clear();
    QVERIFY(feed.atEnd());
    char buf[16];
    QCOMPARE(feed.read(buf, 16), 0);
}

void TestCuePlayer::feedReadsWholeFrames()
{
    CueFeed feed(6, 4); // a tail that is no whole number of frames is cut to whole frames
    feed.start(QByteArray(8, 'a'));
    char buf[16];
    QCOMPARE(feed.read(buf, 7), 4);
    QCOMPARE(feed.read(buf, 3), 0);
    QCOMPARE(feed.read(buf, 16), 8);
    QCOMPARE(feed.read(buf, 16), 0);
}

void TestCuePlayer::feedLeadsWithSilence()
{
    CueFeed feed(/*tailBytes=*/8, /*frameBytes=*/4, /*leadBytes=*/12);
    feed.start(QByteArray(20, 'c'));
    QCOMPARE(feed.remaining(), 40);
    QCOMPARE(readAll(feed, 8), QByteArray(12, '\0') + QByteArray(20, 'c') + QByteArray(8, '\0'));
}

QTEST_GUILESS_MAIN(TestCuePlayer)
#include "tst_cueplayer.moc"
