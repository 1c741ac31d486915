// The wave decoder: every encoding a player may drop in decodes to the right samples, and
// no broken file can crash it or make it read out of bounds; broken files give no sound.

#include "platform/wavfile.h"
#include "wavbuilder.h"

#include <QRandomGenerator>
#include <QtTest>

class TestWavFile : public QObject
{
    Q_OBJECT

  private slots:
    void decodesEncoding_data();
    void decodesEncoding();
    void rejectsBrokenFile_data();
    void rejectsBrokenFile();
    void everyPrefixIsSafe();
    void garbageIsSafe();
    void truncatedDataPlaysWholeFrames();
    void convertsToOutput_data();
    void convertsToOutput();
    void sixteenBitComesBackUnchanged();
};

static const std::vector<double> kStereoValues = {0.0, -0.5, 0.25, 0.75, -1.0, 0.5, 0.125, -0.25};

void TestWavFile::decodesEncoding_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("extensible");
    QTest::addColumn<double>("tolerance");

    QTest::newRow("8-bit unsigned mono 8 kHz") << 1 << 8 << 1 << 8000 << false << 1.0 / 64;
    QTest::newRow("16-bit stereo 44.1 kHz") << 1 << 16 << 2 << 44100 << false << 1e-4;
    QTest::newRow("24-bit stereo 48 kHz") << 1 << 24 << 2 << 48000 << false << 1e-6;
    QTest::newRow("32-bit integer stereo 96 kHz") << 1 << 32 << 2 << 96000 << false << 1e-6;
    QTest::newRow("32-bit float mono 22.05 kHz") << 3 << 32 << 1 << 22050 << false << 1e-7;
    QTest::newRow("64-bit float stereo") << 3 << 64 << 2 << 44100 << false << 1e-9;
    QTest::newRow("extensible 24-bit stereo") << 1 << 24 << 2 << 48000 << true << 1e-6;
    QTest::newRow("extensible 32-bit float") << 3 << 32 << 2 << 44100 << true << 1e-7;
    QTest::newRow("extensible 16-bit six channels") << 1 << 16 << 6 << 44100 << true << 1e-4;
    QTest::newRow("20-bit in a 24-bit container") << 1 << 20 << 2 << 44100 << true << 1e-5;
}

void TestWavFile::decodesEncoding()
{
    QFETCH(int, tag);
    QFETCH(int, bits);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(bool, extensible);
    QFETCH(double, tolerance);

    WavFormat s;
    s.tag = quint16(tag);
    s.bits = bits;
    s.channels = channels;
    s.rate = rate;
    s.extensible = extensible;
    for (int i = 0; i < 6 * channels; ++i)
        s.samples.push_back(kStereoValues[std::size_t(i) % kStereoValues.size()]);

    const QByteArray bytes = makeWav(s);
    const std::optional<PcmSound> sound = decodeWav(bytes);
    QVERIFY(sound);
    QCOMPARE(sound->sampleRate, rate);
    QCOMPARE(sound->channels, channels);
    QCOMPARE(sound->samples.size(), s.samples.size());
    // The header alone tells the same.
    const std::optional<WavShape> shape = wavShape(bytes);
    QVERIFY(shape);
    QCOMPARE(shape->sampleRate, rate);
    QCOMPARE(shape->channels, channels);
    QCOMPARE(shape->frames, sound->frames());
    for (std::size_t i = 0; i < s.samples.size(); ++i)
        QVERIFY2(std::abs(sound->samples[i] - s.samples[i]) <= tolerance,
                 qPrintable(QStringLiteral("sample %1: %2, wanted %3")
                                .arg(i)
                                .arg(sound->samples[i])
                                .arg(s.samples[i])));
}

static QByteArray withFmt(const QByteArray& fmt, const QByteArray& data)
{
    QByteArray body = QByteArray("WAVE") + chunk("fmt ", fmt) + chunk("data", data);
    QByteArray riff("RIFF");
    putLe(riff, quint64(body.size()), 4);
    return riff + body;
}

static WavFormat plain()
{
    WavFormat s;
    s.samples = {0.1, 0.2, 0.3, 0.4};
    return s;
}

void TestWavFile::rejectsBrokenFile_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const WavFormat s = plain();
    const QByteArray good = makeWav(s);
    const QByteArray fmt = fmtBody(s);
    const QByteArray data = dataBody(s);

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("RIFF header only") << good.left(12);
    QTest::newRow("not RIFF") << QByteArray(good).replace(0, 4, "RIFX");
    QTest::newRow("not WAVE") << QByteArray(good).replace(8, 4, "AVI ");
    QTest::newRow("text file") << QByteArray("3,5,\"Left\",\"KO\"\r\n").repeated(20);
    QTest::newRow("no fmt chunk") << QByteArray("RIFF\x10\0\0\0WAVE", 12) + chunk("data", data);
    QTest::newRow("no data chunk") << QByteArray("RIFF\x10\0\0\0WAVE", 12) + chunk("fmt ", fmt);
    QTest::newRow("empty data chunk") << withFmt(fmt, {});
    QTest::newRow("data shorter than one frame") << withFmt(fmt, data.left(1));
    QTest::newRow("fmt chunk too short") << withFmt(fmt.left(14), data);
    QTest::newRow("zero channels")
        << withFmt(QByteArray(fmt).replace(2, 2, QByteArray(2, 0)), data);
    QTest::newRow("zero sample rate")
        << withFmt(QByteArray(fmt).replace(4, 4, QByteArray(4, 0)), data);
    QTest::newRow("zero bits") << withFmt(QByteArray(fmt).replace(14, 2, QByteArray(2, 0)), data);
    QTest::newRow("48-bit PCM") << withFmt(QByteArray(fmt).replace(14, 2, "\x30\0"), data);
    QTest::newRow("16-bit float") << withFmt(QByteArray(fmt).replace(0, 2, "\x03\0"), data);
    QTest::newRow("ADPCM") << withFmt(QByteArray(fmt).replace(0, 2, "\x02\0"), data);
    WavFormat ext = s;
    ext.extensible = true;
    QByteArray badGuid = fmtBody(ext);
    badGuid[30] = 'X';
    QTest::newRow("extensible with a foreign sub-format") << withFmt(badGuid, data);
    QTest::newRow("extensible cut short") << withFmt(fmtBody(ext).left(24), data);

    // Chunk sizes near 4 GiB must not wrap or send the reader past the end.
    QByteArray hugeList("LIST\xF0\xFF\xFF\xFF", 8);
    QTest::newRow("huge chunk before fmt") << QByteArray("RIFF\xFF\xFF\xFF\xFFWAVE", 12) +
                                                  hugeList + chunk("fmt ", fmt) +
                                                  chunk("data", data);
    QByteArray hugeFmt("fmt \xFF\xFF\xFF\xFF", 8);
    QTest::newRow("fmt chunk claiming 4 GiB")
        << QByteArray("RIFF\xFF\xFF\xFF\xFFWAVE", 12) + hugeFmt + fmt + chunk("data", data);

    WavFormat tooLong;
    tooLong.rate = 1000;
    tooLong.bits = 8;
    tooLong.samples.assign(std::size_t(kMaxWavSeconds) * 1000 + 1, 0.0);
    QTest::newRow("longer than the limit") << makeWav(tooLong);
}

void TestWavFile::rejectsBrokenFile()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decodeWav(bytes));
    QVERIFY(!wavShape(bytes));
}

void TestWavFile::everyPrefixIsSafe()
{
    // A file cut anywhere: inside the header it gives no sound, inside the data it gives
    // the frames before the cut; never a crash.
    WavFormat s;
    s.channels = 2;
    s.bits = 24;
    s.extensible = true;
    s.chunksBeforeData = chunk("LIST", QByteArray("odd", 3));
    s.samples = kStereoValues;
    const QByteArray whole = makeWav(s);
    const qsizetype dataStart = whole.size() - qsizetype(s.samples.size()) * 3;
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        const std::optional<PcmSound> sound = decodeWav(whole.left(n));
        const qsizetype frames = n <= dataStart ? 0 : (n - dataStart) / 6;
        if (frames == 0)
            QVERIFY2(!sound, qPrintable(QString::number(n)));
        else
            QVERIFY2(sound && sound->frames() == frames, qPrintable(QString::number(n)));
    }
}

void TestWavFile::garbageIsSafe()
{
    // Fixed seed: the same bytes every run. A valid header in front of garbage chunks.
    QRandomGenerator gen(20240611);
    const QByteArray good = makeWav(plain());
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + int(gen.bounded(8));
        for (int k = 0; k < flips; ++k)
            bytes[gen.bounded(int(bytes.size()))] = char(gen.bounded(256));
        bytes += QByteArray(int(gen.bounded(64)), char(gen.bounded(256)));
        const std::optional<PcmSound> sound = decodeWav(bytes);
        if (sound)
            QVERIFY(sound->frames() >= 1 && sound->channels >= 1);
    }
}

void TestWavFile::truncatedDataPlaysWholeFrames()
{
    WavFormat s = plain();
    s.samples.assign(1000, 0.5);
    QByteArray bytes = makeWav(s);
    bytes.chop(501); // half a frame dangles
    const std::optional<PcmSound> sound = decodeWav(bytes);
    QVERIFY(sound);
    QCOMPARE(sound->frames(), 1000 - 251);
}

void TestWavFile::convertsToOutput_data()
{
    QTest::addColumn<int>("inChannels");
    QTest::addColumn<int>("inRate");
    QTest::addColumn<QList<double>>("in");
    QTest::addColumn<int>("outChannels");
    QTest::addColumn<int>("outRate");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("mono spread to stereo") << 1 << 44100 << QList<double>{0.5, -0.5} << 2 << 44100
                                           << QList<int>{16384, 16384, -16384, -16384};
    QTest::newRow("stereo mixed to mono") << 2 << 44100 << QList<double>{0.5, 0.0, -0.5, -0.25} << 1
                                          << 44100 << QList<int>{8192, -12288};
    QTest::newRow("six channels: the first two")
        << 6 << 44100 << QList<double>{0.5, -0.5, 0.9, 0.9, 0.9, 0.9} << 2 << 44100
        << QList<int>{16384, -16384};
    QTest::newRow("22.05 kHz doubled, in-between samples interpolated")
        << 1 << 22050 << QList<double>{0.0, 0.5, 0.25} << 1 << 44100
        << QList<int>{0, 8192, 16384, 12288, 8192, 8192};
    QTest::newRow("88.2 kHz halved")
        << 1 << 88200 << QList<double>{0.0, 0.1, 0.5, 0.1} << 1 << 44100 << QList<int>{0, 16384};
    QTest::newRow("full scale clamps")
        << 1 << 44100 << QList<double>{1.0, -1.0} << 1 << 44100 << QList<int>{32767, -32768};
}

void TestWavFile::convertsToOutput()
{
    QFETCH(int, inChannels);
    QFETCH(int, inRate);
    QFETCH(QList<double>, in);
    QFETCH(int, outChannels);
    QFETCH(int, outRate);
    QFETCH(QList<int>, expected);

    PcmSound sound;
    sound.channels = inChannels;
    sound.sampleRate = inRate;
    for (double v : in)
        sound.samples.push_back(float(v));
    const QByteArray out = toInt16(sound, outRate, outChannels);
    QList<int> got;
    for (qsizetype i = 0; i + 1 < out.size(); i += 2)
        got.append(qFromLittleEndian<qint16>(out.constData() + i));
    QCOMPARE(got, expected);
}

void TestWavFile::sixteenBitComesBackUnchanged()
{
    QByteArray data;
    for (int v : {0, 1, -1, 32767, -32768, 12345, -4321})
        putLe(data, quint64(quint16(qint16(v))), 2);
    WavFormat s;
    const std::optional<PcmSound> sound = decodeWav(withFmt(fmtBody(s), data));
    QVERIFY(sound);
    QCOMPARE(toInt16(*sound, 44100, 1), data);
}

QTEST_GUILESS_MAIN(TestWavFile)
#include "tst_wavfile.moc"
