// The wave decoder: every encoding a player may drop in decodes to the sound of its PCM
// source within the codec's error, and no broken or hostile file can crash it, make it read
// out of bounds or take memory its header does not allow; broken files give no sound, or the
// part of them that decodes.

#include "platform/sound/wavfile.h"
#include "wavbuilder.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

class TestWavFile : public QObject
{
    Q_OBJECT

  private slots:
    // No message of any kind may come from the decoder or libsndfile.
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void decodesEncoding_data();
    void decodesEncoding();
    void rejectsBrokenFile_data();
    void rejectsBrokenFile();
    void everyPrefixIsSafe();
    void garbageIsSafe();
    void truncatedDataPlaysWholeFrames();
    void sixteenBitComesBackUnchanged();
    void decodedSizeIsBoundedBeforeDecoding();
    void readsFromTheDevicePosition();

    void decodesToItsSource_data();
    void decodesToItsSource();
    void hostileFileIsSafe_data();
    void hostileFileIsSafe();
    void writtenByLibsndfile_data();
    void writtenByLibsndfile();

  private:
    QTemporaryDir m_dir;
};

namespace {

constexpr qint64 kNoBound = qint64(1) << 40;

std::optional<PcmCue> decode(const QByteArray& bytes, qint64 maxPcmBytes = kNoBound)
{
    QBuffer in;
    in.setData(bytes);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot open a buffer");
    return decodeWav(in, maxPcmBytes);
}

std::optional<WavShape> shapeOf(const QByteArray& bytes)
{
    QBuffer in;
    in.setData(bytes);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("cannot open a buffer");
    return wavShape(in);
}

double sampleOf(const PcmCue& cue, qsizetype i)
{
    return qFromLittleEndian<qint16>(cue.pcm.constData() + 2 * i) / 32768.0;
}

} // namespace

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
    const std::optional<PcmCue> sound = decode(bytes);
    QVERIFY(sound);
    QCOMPARE(sound->format.sampleRate, rate);
    QCOMPARE(sound->format.channels, channels);
    QCOMPARE(sound->frames() * channels, qsizetype(s.samples.size()));
    // The header alone tells the same.
    const std::optional<WavShape> shape = shapeOf(bytes);
    QVERIFY(shape);
    QCOMPARE(shape->format, sound->format);
    QCOMPARE(shape->frames, sound->frames());
    // Kept as 16-bit samples: within half a step of 16 bits, or the source's own step.
    const double step = std::max(tolerance, 1.0 / 32768);
    for (std::size_t i = 0; i < s.samples.size(); ++i)
        QVERIFY2(std::abs(sampleOf(*sound, qsizetype(i)) - s.samples[i]) <= step,
                 qPrintable(QStringLiteral("sample %1: %2, wanted %3")
                                .arg(i)
                                .arg(sampleOf(*sound, qsizetype(i)))
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
    QTest::newRow("not RIFF, RIFX or RF64") << QByteArray(good).replace(0, 4, "RIFQ");
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
    QTest::newRow("MS ADPCM without its coefficients")
        << withFmt(QByteArray(fmt).replace(0, 2, "\x02\0"), data);
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

    QTest::newRow("1000 channels")
        << withFmt(QByteArray(fmt).replace(2, 2, QByteArray("\xE8\x03", 2)), data);
    WavFormat slow = s;
    slow.rate = kMinRate - 1;
    QTest::newRow("a rate below the least the server takes") << makeWav(slow);
    WavFormat fast = s;
    fast.rate = kMaxRate + 1;
    QTest::newRow("a rate above the most the server takes") << makeWav(fast);
    WavFormat wide = s;
    wide.channels = kMaxChannels + 1;
    wide.samples.assign(std::size_t(wide.channels) * 4, 0.25);
    QTest::newRow("more channels than the server takes") << makeWav(wide);
    // Another sound format libsndfile reads, renamed: a cue is a wave file.
    QByteArray aiff("FORM\0\0\0\x2E"
                    "AIFFCOMM\0\0\0\x12\0\x01\0\0\0\x02\0\x10"
                    "\x40\x0E\xAC\x44\0\0\0\0\0\0SSND\0\0\0\x0C\0\0\0\0\0\0\0\0"
                    "\x10\0\x20\0",
                    54);
    QTest::newRow("an AIFF file") << aiff;
}

void TestWavFile::rejectsBrokenFile()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!decode(bytes));
    QVERIFY(!shapeOf(bytes));
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
        const std::optional<PcmCue> sound = decode(whole.left(n));
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
        const std::optional<PcmCue> sound = decode(bytes);
        if (sound)
            QVERIFY(sound->frames() >= 1 && sound->format.channels >= 1);
    }
}

void TestWavFile::truncatedDataPlaysWholeFrames()
{
    WavFormat s = plain();
    s.samples.assign(1000, 0.5);
    QByteArray bytes = makeWav(s);
    bytes.chop(501); // half a frame dangles
    const std::optional<PcmCue> sound = decode(bytes);
    QVERIFY(sound);
    QCOMPARE(sound->frames(), 1000 - 251);
}

void TestWavFile::sixteenBitComesBackUnchanged()
{
    QByteArray data;
    for (int v : {0, 1, -1, 32767, -32768, 12345, -4321})
        putLe(data, quint64(quint16(qint16(v))), 2);
    WavFormat s;
    const std::optional<PcmCue> sound = decode(withFmt(fmtBody(s), data));
    QVERIFY(sound);
    QCOMPARE(sound->pcm, data);
}

void TestWavFile::decodedSizeIsBoundedBeforeDecoding()
{
    WavFormat s;
    s.channels = 2;
    s.samples.assign(2 * 1000, 0.25);
    const QByteArray bytes = makeWav(s);
    QCOMPARE(decode(bytes, 4000)->frames(), 1000);
    QVERIFY(!decode(bytes, 3999));
    // What is judged is the 16-bit PCM kept, not the file: 8-bit samples take twice their size.
    s.bits = 8;
    QCOMPARE(decode(makeWav(s), 4000)->frames(), 1000);
    QVERIFY(!decode(makeWav(s), 3999));
}

void TestWavFile::readsFromTheDevicePosition()
{
    const QByteArray cue = makeWav(plain());
    QBuffer in;
    in.setData(QByteArray("ahead of the file") + cue);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QVERIFY(in.seek(17));
    const std::optional<PcmCue> sound = decodeWav(in, kNoBound);
    QVERIFY(sound);
    QCOMPARE(sound->frames(), 4);
}

// --- Every encoding, made by sox from one PCM source.

namespace {

// Runs sox with args in dir; fails the test when it cannot.
bool sox(const QString& dir, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(exe, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Half a second of a chord at 8 kHz, the rate GSM needs, well inside full scale: 4000 frames.
bool makeSource(const QString& dir)
{
    return sox(dir, {"-n", "-r", "8000", "-c", "1", "-b", "16", "source.wav", "synth", "0.5",
                     "sine", "440", "sine", "1250", "remix", "-", "vol", "0.4"});
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Signal-to-error ratio in dB of got against want over want's frames.
double snrDb(const PcmCue& want, const PcmCue& got)
{
    double signal = 0, error = 0;
    const qsizetype n = want.frames() * want.format.channels;
    for (qsizetype i = 0; i < n; ++i) {
        const double d = sampleOf(got, i) - sampleOf(want, i);
        signal += sampleOf(want, i) * sampleOf(want, i);
        error += d * d;
    }
    return error == 0 ? 200.0 : 10 * std::log10(signal / error);
}

} // namespace

void TestWavFile::decodesToItsSource_data()
{
    QTest::addColumn<QStringList>("encode"); // sox's output options
    QTest::addColumn<double>("minSnrDb");    // the codec's error on this signal, with margin
    QTest::addColumn<int>("extraFrames");    // frames beyond the source's

    const QStringList none;
    QTest::newRow("PCM 8-bit") << QStringList{"-b", "8"} << 30.0 << 0;
    QTest::newRow("PCM 16-bit") << QStringList{"-b", "16"} << 200.0 << 0;
    QTest::newRow("PCM 24-bit (extensible)") << QStringList{"-b", "24"} << 200.0 << 0;
    QTest::newRow("PCM 32-bit (extensible)") << QStringList{"-b", "32"} << 200.0 << 0;
    QTest::newRow("float 32-bit") << QStringList{"-e", "floating-point", "-b", "32"} << 200.0 << 0;
    QTest::newRow("float 64-bit") << QStringList{"-e", "floating-point", "-b", "64"} << 200.0 << 0;
    QTest::newRow("u-law") << QStringList{"-e", "u-law"} << 30.0 << 0;
    QTest::newRow("A-law") << QStringList{"-e", "a-law"} << 30.0 << 0;
    QTest::newRow("IMA ADPCM") << QStringList{"-e", "ima-adpcm"} << 20.0 << 0;
    QTest::newRow("MS ADPCM") << QStringList{"-e", "ms-adpcm"} << 20.0 << 0;
    QTest::newRow("GSM 6.10") << QStringList{"-e", "gsm-full-rate"} << 10.0 << 0;
    QTest::newRow("RIFX, 16-bit big-endian") << QStringList{"-B", "-b", "16"} << 200.0 << 0;
}

void TestWavFile::decodesToItsSource()
{
    QFETCH(QStringList, encode);
    QFETCH(double, minSnrDb);
    QFETCH(int, extraFrames);
    QVERIFY(m_dir.isValid());
    const QString dir = m_dir.path();
    QVERIFY2(makeSource(dir), "sox is needed to make the files");
    QVERIFY(sox(dir, QStringList{"source.wav"} + encode + QStringList{"encoded.wav"}));

    const std::optional<PcmCue> source = decode(readFile(dir + QStringLiteral("/source.wav")));
    const std::optional<PcmCue> got = decode(readFile(dir + QStringLiteral("/encoded.wav")));
    QVERIFY(source);
    QVERIFY(got);
    QCOMPARE(got->format, source->format);
    // A block codec's last block is decoded only as far as the fact chunk says the sound
    // goes: the padding after it would decode to a click.
    QVERIFY2(got->frames() >= source->frames() && got->frames() <= source->frames() + extraFrames,
             qPrintable(QString::number(got->frames())));
    const double snr = snrDb(*source, *got);
    QVERIFY2(snr >= minSnrDb, qPrintable(QStringLiteral("%1 dB").arg(snr)));
}

namespace {

// Where the body of the first chunk with id starts (after its 8-byte header), or -1.
qsizetype chunkBody(const QByteArray& wav, const char id[4])
{
    qsizetype pos = 12;
    while (pos + 8 <= wav.size()) {
        if (wav.mid(pos, 4) == QByteArray(id, 4))
            return pos + 8;
        pos += 8 + qFromLittleEndian<quint32>(wav.constData() + pos + 4);
        pos += pos & 1;
    }
    return -1;
}

void putLeAt(QByteArray& wav, qsizetype at, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        wav[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

void TestWavFile::hostileFileIsSafe_data()
{
    QTest::addColumn<QStringList>("encode");
    QTest::addColumn<QString>("harm");
    QTest::addColumn<qint64>("minFrames"); // 0: silence is right too
    QTest::addColumn<qint64>("maxFrames"); // 0: only silence is right

    // The source has 4000 frames. IMA and MS ADPCM blocks of 256 bytes hold 505 and 500
    // frames, a GSM 6.10 block of 65 bytes 320.
    const QStringList ima{"-e", "ima-adpcm"}, ms{"-e", "ms-adpcm"};
    const QStringList gsm{"-e", "gsm-full-rate"}, pcm8{"-b", "8"}, pcm16{"-b", "16"};
    QTest::newRow("IMA ADPCM cut inside its third block") << ima << "cut:600" << 1010LL << 4000LL;
    QTest::newRow("MS ADPCM cut inside its third block") << ms << "cut:600" << 1000LL << 4000LL;
    QTest::newRow("IMA ADPCM cut inside its first block header") << ima << "cut:2" << 0LL << 505LL;
    QTest::newRow("IMA ADPCM blocks overwritten with 0xFF") << ima << "fill:255" << 0LL << 4545LL;
    QTest::newRow("MS ADPCM blocks overwritten with 0xFF") << ms << "fill:255" << 0LL << 4500LL;
    QTest::newRow("GSM 6.10 cut mid-frame") << gsm << "cut:230" << 960LL << 4480LL;
    QTest::newRow("a header that claims 2^31 frames")
        << pcm8 << "datasize:2147483648" << 4000LL << 4000LL;
    QTest::newRow("a fact chunk that claims 2^31 frames")
        << ima << "fact:2147483648" << 4000LL << 4545LL;
    QTest::newRow("a data chunk that runs past the end")
        << pcm16 << "datasize:1000000" << 4000LL << 4000LL;
    QTest::newRow("zero channels, IMA ADPCM") << ima << "fmt:2:2:0" << 0LL << 0LL;
    QTest::newRow("0 Hz, IMA ADPCM") << ima << "fmt:4:4:0" << 0LL << 0LL;
    QTest::newRow("1000 channels, IMA ADPCM") << ima << "fmt:2:2:1000" << 0LL << 0LL;
    QTest::newRow("1000 channels, PCM") << pcm16 << "fmt:2:2:1000" << 0LL << 0LL;
    QTest::newRow("zero block align, GSM 6.10") << gsm << "fmt:12:2:0" << 0LL << 0LL;
    QTest::newRow("garbage after the header") << pcm16 << "garbage" << 0LL << 4000LL;
}

void TestWavFile::hostileFileIsSafe()
{
    QFETCH(QStringList, encode);
    QFETCH(QString, harm);
    QFETCH(qint64, minFrames);
    QFETCH(qint64, maxFrames);
    QVERIFY(m_dir.isValid());
    const QString dir = m_dir.path();
    QVERIFY2(makeSource(dir), "sox is needed to make the files");
    QVERIFY(sox(dir, QStringList{"source.wav"} + encode + QStringList{"encoded.wav"}));
    QByteArray wav = readFile(dir + QStringLiteral("/encoded.wav"));
    const qsizetype data = chunkBody(wav, "data");
    const qsizetype fmt = chunkBody(wav, "fmt ");
    QVERIFY(data > 0 && fmt > 0);

    const QStringList how = harm.split(QLatin1Char(':'));
    if (how[0] == QLatin1String("cut")) {
        wav.truncate(data + how[1].toInt());
    } else if (how[0] == QLatin1String("fill")) {
        wav.replace(data, wav.size() - data, QByteArray(wav.size() - data, char(how[1].toInt())));
    } else if (how[0] == QLatin1String("datasize")) {
        putLeAt(wav, data - 4, how[1].toUInt(), 4);
    } else if (how[0] == QLatin1String("fact")) {
        const qsizetype fact = chunkBody(wav, "fact");
        QVERIFY(fact > 0);
        putLeAt(wav, fact, how[1].toUInt(), 4);
    } else if (how[0] == QLatin1String("fmt")) {
        putLeAt(wav, fmt + how[1].toInt(), how[3].toUInt(), how[2].toInt());
    } else if (how[0] == QLatin1String("garbage")) {
        QRandomGenerator gen(7);
        for (qsizetype i = data - 8; i < wav.size(); ++i)
            wav[i] = char(gen.bounded(256));
    }

    const std::optional<PcmCue> sound = decode(wav);
    const qint64 frames = sound ? sound->frames() : 0;
    if (maxFrames == 0)
        QVERIFY2(!sound, qPrintable(QString::number(frames)));
    else
        QVERIFY2(frames == 0 || (frames >= minFrames && frames <= maxFrames),
                 qPrintable(QString::number(frames)));
    if (minFrames > 0)
        QVERIFY2(frames >= minFrames, qPrintable(QString::number(frames)));
    if (sound)
        QCOMPARE(sound->format.sampleRate, 8000);
}

// --- The containers sox does not write: RF64, and extensible as libsndfile writes it.

void TestWavFile::writtenByLibsndfile_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("RF64, 16-bit") << int(SF_FORMAT_RF64 | SF_FORMAT_PCM_16);
    QTest::newRow("RF64, float") << int(SF_FORMAT_RF64 | SF_FORMAT_FLOAT);
    QTest::newRow("extensible, 16-bit") << int(SF_FORMAT_WAVEX | SF_FORMAT_PCM_16);
    QTest::newRow("RIFX, 24-bit") << int(SF_FORMAT_WAV | SF_FORMAT_PCM_24 | SF_ENDIAN_BIG);
}

void TestWavFile::writtenByLibsndfile()
{
    QFETCH(int, format);
    QVERIFY(m_dir.isValid());
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("written.wav")));
    std::vector<short> samples;
    for (int i = 0; i < 2 * 1000; ++i)
        samples.push_back(short((i * 37) % 20000 - 10000));
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 2;
    info.format = format;
    SNDFILE* out = sf_open(path.constData(), SFM_WRITE, &info);
    QVERIFY2(out, sf_strerror(nullptr));
    // Shorts written to a float file as full scale -1..1, not as their values.
    sf_command(out, SFC_SET_SCALE_INT_FLOAT_WRITE, nullptr, SF_TRUE);
    QCOMPARE(sf_writef_short(out, samples.data(), 1000), 1000);
    sf_close(out);

    const std::optional<PcmCue> sound = decode(readFile(QFile::decodeName(path)));
    QVERIFY(sound);
    QCOMPARE(sound->format, (AudioFormat{22050, 2}));
    QCOMPARE(sound->frames(), 1000);
    for (qsizetype i = 0; i < qsizetype(samples.size()); ++i)
        QCOMPARE(qFromLittleEndian<qint16>(sound->pcm.constData() + 2 * i), samples[i]);
}

QTEST_GUILESS_MAIN(TestWavFile)
#include "tst_wavfile.moc"
