// The cue player's logic against a recording audio output: which cue plays, that every
// call plays (none dropped), that a new cue or an unplayable file cuts the one sounding,
// that a missing or broken file is silent without a message, that only regular files are
// opened, that a click never reads a file and a file that gave no cue is not read again
// until it changes, and the bound on a cue's size; and the feed that lets the device go
// only after a cue has sounded whole.

#include "platform/sound/cuefeed.h"
#include "platform/sound/cueplayer.h"
#include "platform/sound/wavfile.h"
#include "wavbuilder.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class FakeOutput : public AudioOutput
{
  public:
    // "play:<bytes>" or "stop", in call order.
    QStringList calls;
    QList<QByteArray> played;
    QList<AudioFormat> formats;
    void play(const PcmCue& cue) override
    {
        calls.append(QStringLiteral("play:%1").arg(cue.pcm.size()));
        played.append(cue.pcm);
        formats.append(cue.format);
    }
    void stop() override { calls.append(QStringLiteral("stop")); }
};

QByteArray expectedPcm(const QByteArray& wav)
{
    QBuffer in;
    in.setData(wav);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot open a buffer");
    return decodeWav(in, CuePlayer::kMaxCueBytes)->pcm;
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
    void neverPreloadedFileIsSilent();
    void fileAddedLaterPlaysFromTheNextPreload();
    void failedCueStaysFailedUntilItsFileChanges();
    void namedPipeIsNeverOpened();
    void cueSizeIsBounded_data();
    void cueSizeIsBounded();
    void keepsTheCuesOwnFormat();

    void feedGivesCueThenSilenceThenNothing();
    void feedNewCueStartsAtItsBeginning();
    void feedClearedGivesNothing();
    void feedReadsWholeFrames();
    void feedLeadsWithSilence();

  private:
    QString write(const QString& name, const QByteArray& bytes);
    // Writes bytes over the file at path and gives it back its modification time.
    static void rewriteKeepingTime(const QString& path, const QByteArray& bytes);
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

void TestCuePlayer::rewriteKeepingTime(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        qFatal("cannot open the fixture");
    const QDateTime modified = f.fileTime(QFileDevice::FileModificationTime);
    if (!f.seek(0) || f.write(bytes) != bytes.size() || !f.resize(bytes.size()))
        qFatal("cannot rewrite the fixture");
    f.close();
    if (!f.open(QIODevice::ReadWrite) ||
        !f.setFileTime(modified, QFileDevice::FileModificationTime))
        qFatal("cannot set the fixture's time");
}

void TestCuePlayer::playsTheDecodedCue()
{
    FakeOutput out;
    CuePlayer player(out);
    const QByteArray fac = smallCue(300);
    const QByteArray bell = smallCue(900, 0.9);
    const QString facPath = write(QStringLiteral("Fac.wav"), fac);
    const QString bellPath = write(QStringLiteral("BoxingBell2.wav"), bell);

    player.preload({facPath, bellPath});
    player.playSound(facPath);
    player.playSound(bellPath);

    QCOMPARE(out.played.size(), 2);
    QCOMPARE(out.played[0], expectedPcm(fac));
    QCOMPARE(out.played[1], expectedPcm(bell));
    // Each cue goes to the output as a play of its own, which cuts the one before.
    QCOMPARE(out.calls, (QStringList{QStringLiteral("play:600"), QStringLiteral("play:1800")}));
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
    QTest::newRow("MS ADPCM tag without its coefficients") << QStringLiteral("Fac.wav") << adpcm;
    QTest::newRow("a folder, not a file") << QStringLiteral("dir") << QByteArray();
#ifdef Q_OS_UNIX
    // Read as a file it never ends: 64 MiB of zeros at every click, once.
    QTest::newRow("a link to /dev/zero") << QStringLiteral("zero") << QByteArray();
#endif
}

void TestCuePlayer::unplayableFileIsSilent()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);

    QString path = m_dir->filePath(QStringLiteral("absent.wav"));
    if (name == QLatin1String("dir")) {
        QVERIFY(QDir(m_dir->path()).mkdir(name));
        path = m_dir->filePath(name);
    } else if (name == QLatin1String("zero")) {
        path = m_dir->filePath(QStringLiteral("Fac.wav"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
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
    QCOMPARE(out.calls, (QStringList{QStringLiteral("play:882"), QStringLiteral("stop"),
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
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(wav)}));
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
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(replaced)}));

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
    QByteArray other = first;
    other[other.size() - 1] = char(other.back() ^ 0x55);
    rewriteKeepingTime(path, other);
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.played, (QList<QByteArray>{expectedPcm(first)}));
}

void TestCuePlayer::neverPreloadedFileIsSilent()
{
    // A click never reads a file: what was not preloaded has nothing to play.
    FakeOutput out;
    CuePlayer player(out);
    const QString path = write(QStringLiteral("Fac.wav"), smallCue());
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("stop")}));
}

void TestCuePlayer::fileAddedLaterPlaysFromTheNextPreload()
{
    FakeOutput out;
    CuePlayer player(out);
    const QString path = m_dir->filePath(QStringLiteral("BoxingBell.wav"));
    player.preload({path});
    player.playSound(path);
    write(QStringLiteral("BoxingBell.wav"), smallCue());
    player.playSound(path); // still the file the preload found: none
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("stop"),
                                     QStringLiteral("play:882")}));
}

void TestCuePlayer::failedCueStaysFailedUntilItsFileChanges()
{
    FakeOutput out;
    CuePlayer player(out);
    const QByteArray good = smallCue();
    QByteArray broken = good;
    broken.replace(8, 4, "AVI "); // the same size, but no wave
    const QString path = write(QStringLiteral("Fac.wav"), broken);
    player.preload({path});
    // A playable wave now hides behind the same size and time: a player that read the file
    // again at a click, or at a preload that finds it unchanged, would play it.
    rewriteKeepingTime(path, good);
    player.playSound(path);
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("stop"), QStringLiteral("stop")}));

    // A new time is a changed file: the next preload reads it.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(f.fileTime(QFileDevice::FileModificationTime).addSecs(2),
                          QFileDevice::FileModificationTime));
    f.close();
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.calls.last(), QStringLiteral("play:882"));
}

void TestCuePlayer::namedPipeIsNeverOpened()
{
#ifdef Q_OS_LINUX
    const QString path = m_dir->filePath(QStringLiteral("Fac.wav"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    FakeOutput out;
    CuePlayer player(out);
    // Opening a pipe to read waits for a writer. Linux counts a reader that waits in open()
    // as the pipe's reader, so a writer's non-blocking open succeeds exactly while the player
    // holds the pipe; that writer also frees a player stuck there. Either the preload ends,
    // or the loop catches the player in the pipe: no clock decides.
    std::atomic<bool> done = false;
    std::thread preload([&] {
        player.preload({path});
        done = true;
    });
    bool opened = false;
    while (!done && !opened) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            opened = true;
            ::close(fd);
        } else {
            std::this_thread::yield();
        }
    }
    preload.join();
    QVERIFY2(!opened, "the player opened the pipe");
    player.playSound(path);
    QCOMPARE(out.calls, (QStringList{QStringLiteral("stop")}));
#else
    QSKIP("relies on how Linux counts a pipe's readers");
#endif
}

void TestCuePlayer::cueSizeIsBounded_data()
{
    QTest::addColumn<QByteArray>("wav");
    QTest::addColumn<bool>("plays");

    // Kept as 16-bit PCM in the file's own rate and channels: judged from the header.
    WavFormat lowRate;
    lowRate.rate = 8000;
    lowRate.bits = 8;
    QTest::newRow("17 minutes of 8-bit 8 kHz mono: 16 MiB as 16-bit, within the bound")
        << silentWav(lowRate, CuePlayer::kMaxCueBytes / 2) << true;
    QTest::newRow("one frame more: over the bound once decoded")
        << silentWav(lowRate, CuePlayer::kMaxCueBytes / 2 + 1) << false;

    WavFormat manyChannels;
    manyChannels.channels = 8;
    manyChannels.bits = 8;
    QTest::newRow("8 channels, 23.7 s: decoded within the bound")
        << silentWav(manyChannels, 1040000) << true;
    QTest::newRow("8 channels, 23.8 s: over the bound while decoded")
        << silentWav(manyChannels, 1050000) << false;

    // A short cue padded out with a chunk the decoder skips.
    WavFormat shortCue;
    shortCue.samples.assign(441, 0.25);
    const qint64 plainBytes = makeWav(shortCue).size();
    shortCue.chunksBeforeData =
        chunk("JUNK", QByteArray(CuePlayer::kMaxFileBytes - plainBytes - 8, '\0'));
    const QByteArray largest = makeWav(shortCue);
    QCOMPARE(largest.size(), CuePlayer::kMaxFileBytes);
    QTest::newRow("a file of the largest size read") << largest << true;
    // Bytes past the last chunk, too few for a chunk header, are ignored by the decoder.
    QTest::newRow("a file one byte larger") << largest + QByteArray(1, '\0') << false;
}

void TestCuePlayer::cueSizeIsBounded()
{
    QFETCH(QByteArray, wav);
    QFETCH(bool, plays);
    FakeOutput out;
    CuePlayer player(out);
    const QString path = write(QStringLiteral("Start.wav"), wav);
    player.preload({path});
    player.playSound(path);
    QCOMPARE(out.calls.size(), 1);
    QCOMPARE(out.calls[0].startsWith(QLatin1String("play:")), plays);
}

void TestCuePlayer::keepsTheCuesOwnFormat()
{
    FakeOutput out;
    CuePlayer player(out);
    WavFormat s;
    s.rate = 24000;
    s.channels = 2;
    s.bits = 24;
    s.samples.assign(2 * 2400, 0.25); // 0.1 s
    WavFormat mono;
    mono.rate = 8000;
    mono.samples.assign(800, 0.25);
    const QString start = write(QStringLiteral("Start.wav"), makeWav(s));
    const QString fac = write(QStringLiteral("Fac.wav"), makeWav(mono));
    player.preload({start, fac});
    player.playSound(start);
    player.playSound(fac);
    // The sound server converts rates and channels; the cue goes out as the file holds it.
    QCOMPARE(out.formats, (QList<AudioFormat>{{24000, 2}, {8000, 1}}));
    QCOMPARE(out.played[0].size(), 2400 * 2 * 2); // 0.1 s at 24 kHz, stereo, 16-bit
    QCOMPARE(out.played[1].size(), 800 * 2);
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
