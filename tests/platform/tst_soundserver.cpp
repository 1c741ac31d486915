// The real audio output against a real sound server (with_sound_server.sh starts one),
// watched where it hands its streams to the client library (pulsetap.h): a cue reaches the
// server whole, after and before nothing but silence, and its stream is let go; closing the
// output while cues are still on their way to its thread leaves no stream open.

#include "platform/sound/qtaudiooutput.h"
#include "platform/sound/wavfile.h"
#include "pulsetap.h"

#include <QMutex>
#include <QtTest>

namespace {

// Every byte handed to the server, stream by stream.
class StreamLog : public pulsetap::Listener
{
  public:
    void connected(pa_stream* s) override
    {
        QMutexLocker lock(&m_mutex);
        m_streams.append({s, QByteArray()});
    }
    void written(pa_stream* s, const void* data, std::size_t bytes) override
    {
        QMutexLocker lock(&m_mutex);
        for (auto& [stream, written] : m_streams)
            if (stream == s)
                written.append(static_cast<const char*>(data), qsizetype(bytes));
    }
    // The bytes the n-th stream was handed so far.
    QByteArray writtenTo(int n)
    {
        QMutexLocker lock(&m_mutex);
        return n < m_streams.size() ? m_streams[n].second : QByteArray();
    }
    int streams()
    {
        QMutexLocker lock(&m_mutex);
        return int(m_streams.size());
    }

  private:
    QMutex m_mutex;
    QList<std::pair<pa_stream*, QByteArray>> m_streams;
};

// A 20 ms cue whose every sample is loud, so silence around it tells from its edges.
PcmCue click(const AudioFormat& format)
{
    PcmCue cue{format, {}};
    QByteArray& pcm = cue.pcm;
    const int samples = format.sampleRate / 50 * format.channels;
    for (int i = 0; i < samples; ++i) {
        const qint16 v = qint16(100 * (i % 200 + 1));
        pcm.append(char(v & 0xFF));
        pcm.append(char((v >> 8) & 0xFF));
    }
    return cue;
}

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { pulsetap::listener = &m_log; }
    void cleanupTestCase() { pulsetap::listener = nullptr; }

    void cueReachesTheServerWhole_data()
    {
        QTest::addColumn<QList<AudioFormat>>("formats");
        QTest::newRow("44.1 kHz stereo") << QList<AudioFormat>{{44100, 2}};
        QTest::newRow("8 kHz mono") << QList<AudioFormat>{{8000, 1}};
        QTest::newRow("96 kHz, six channels") << QList<AudioFormat>{{96000, 6}};
        // The edges of what the decoder lets through.
        QTest::newRow("the most channels a cue may have")
            << QList<AudioFormat>{{48000, kMaxChannels}};
        QTest::newRow("the highest rate") << QList<AudioFormat>{{kMaxRate, 2}};
        QTest::newRow("the lowest rate") << QList<AudioFormat>{{kMinRate, 1}};
        QTest::newRow("three cues, each in a format of its own")
            << QList<AudioFormat>{{8000, 1}, {22050, 2}, {8000, 1}};
    }

    // Each cue goes out on a stream in its own format.
    void cueReachesTheServerWhole()
    {
        QFETCH(QList<AudioFormat>, formats);
        QtAudioOutput out;
        QVERIFY2(out.hasDevice(), "no sound device, though a sound server runs");
        for (const AudioFormat& format : formats) {
            playsWhole(out, click(format));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void closingWithCuesInFlight()
    {
        const PcmCue cue = click({44100, 2});
        int opened = 0;
        for (int round = 0; round < 60; ++round) {
            {
                QtAudioOutput out;
                QVERIFY2(out.hasDevice(), "no sound device, though a sound server runs");
                // The player is closed the moment the last cue is handed over, as when the
                // program ends right after a click; some rounds let a cue start first.
                for (int i = 0; i < 4; ++i)
                    out.play(cue);
                if (round % 3 == 0)
                    QTest::qWait(5);
                out.stop();
                out.play(cue);
            }
            // Closed: every stream it opened is closed again, none is left to a thread
            // that outlives it.
            QCOMPARE(pulsetap::disconnects.load(), pulsetap::connects.load());
            opened = pulsetap::connects;
        }
        QVERIFY2(opened > 0, "no round opened a stream: the close was never tried with one");
    }

  private:
    // Plays cue and waits until its stream is let go: it reached the server whole, after and
    // before nothing but silence.
    void playsWhole(QtAudioOutput& out, const PcmCue& cue)
    {
        const int first = m_log.streams();
        const int disconnectsBefore = pulsetap::disconnects;
        out.play(cue);
        // The stream is let go once the cue and its silent tail have left its buffer.
        QTRY_COMPARE_WITH_TIMEOUT(pulsetap::disconnects.load(), disconnectsBefore + 1, 20000);
        QCOMPARE(m_log.streams(), first + 1);
        const QByteArray sent = m_log.writtenTo(first);
        const qsizetype lead = sent.indexOf(cue.pcm.left(2));
        QVERIFY2(lead >= 0, "the cue never reached the server");
        QCOMPARE(sent.left(lead), QByteArray(lead, '\0'));
        QCOMPARE(sent.mid(lead, cue.pcm.size()), cue.pcm);
        const QByteArray tail = sent.mid(lead + cue.pcm.size());
        QVERIFY2(!tail.isEmpty(), "nothing followed the cue to push it out of the buffer");
        QCOMPARE(tail, QByteArray(tail.size(), '\0'));
    }

    StreamLog m_log;
};

QTEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
