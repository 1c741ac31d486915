#include "qtaudiooutput.h"

#include "platform/sound/cuefeed.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QDeadlineTimer>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

// Asked of the server, which may grant more. Qt asks for it as the whole latency, the server's
// own included, so the stream itself holds less: at 100 ms the opening cue was heard with a
// gap on a busy machine while the game window opened; 200 ms rides out such a stall.
constexpr int kBufferMs = 200;
// Silence after each cue, more than the buffer holds: a stream starts playing only once its
// buffer has filled, so lead, cue and tail together always fill it, however short the cue.
constexpr int kTailMs = 300;
// Silence before each cue: a fresh stream loses its first 2-4 ms as it joins the running
// server (measured with bench/cue_probe.sh), which would blunt a cue's attack.
constexpr int kLeadMs = 6;
constexpr int kFeedTickMs = 10; // how often the stream's buffer is topped up
constexpr int kReleaseMarginMs = 100;

} // namespace

// Lives on the audio thread; every method runs there.
class AudioEngine : public QObject
{
  public:
    explicit AudioEngine(const QAudioDevice& device) : m_device(device)
    {
        m_feedTimer.setTimerType(Qt::PreciseTimer);
        m_feedTimer.setInterval(kFeedTickMs);
        QObject::connect(&m_feedTimer, &QTimer::timeout, this, [this] { feed(); });
        m_releaseTimer.setSingleShot(true);
        QObject::connect(&m_releaseTimer, &QTimer::timeout, this, [this] { release(); });
    }

    ~AudioEngine() override
    {
        // A cue can still be on its way here when the program closes. The sink's destructor
        // runs this thread's pending events, that cue among them, so the sink goes while
        // this engine is still whole, and a cue that arrives now is let fall.
        m_closing = true;
        release();
        delete m_sink;
        m_sink = nullptr;
    }

    void play(const PcmCue& cue)
    {
        if (m_closing)
            return;
        release(); // drops the old stream and its buffer: the sounding cue ends here
        // The stream takes the cue's own rate and channels; the sound server converts them
        // for the device, with a far better resampler and channel map than a program's own.
        QAudioFormat format;
        format.setSampleRate(cue.format.sampleRate);
        format.setChannelCount(cue.format.channels);
        format.setSampleFormat(QAudioFormat::Int16);
        if (m_sink && m_format != format) {
            // Later, not here: deleting a sink runs this thread's pending events.
            std::exchange(m_sink, nullptr)->deleteLater();
        }
        if (!m_sink) {
            m_format = format;
            m_sink = new QAudioSink(m_device, m_format, this);
        }
        // Asked anew for every stream: the sink keeps what the server granted last time,
        // which is less than asked, and would shrink the buffer stream by stream.
        m_sink->setBufferSize(m_format.bytesForDuration(kBufferMs * 1000));
        m_feed = CueFeed(m_format.bytesForDuration(kTailMs * 1000), m_format.bytesPerFrame(),
                         m_format.bytesForDuration(kLeadMs * 1000));
        m_feed.start(cue.pcm);
        m_io = m_sink->start();
        if (!m_io || m_sink->error() != QAudio::NoError) {
            // No server, or it refused the stream: this cue stays silent.
            release();
            return;
        }
        feed();
        m_feedTimer.start();
    }

    void release()
    {
        m_feedTimer.stop();
        m_releaseTimer.stop();
        m_feed.clear();
        m_unwritten.clear();
        m_io = nullptr;
        if (m_sink && m_sink->state() != QAudio::StoppedState)
            m_sink->stop();
    }

  private:
    void feed()
    {
        if (!m_io || !m_sink)
            return;
        qint64 room = m_sink->bytesFree();
        // Bytes the stream did not take last time go first.
        if (!m_unwritten.isEmpty() && room > 0) {
            const qint64 w = m_io->write(m_unwritten.left(room));
            m_unwritten.remove(0, std::max<qint64>(0, w));
            room -= std::max<qint64>(0, w);
        }
        room = std::min(room, m_feed.remaining());
        if (room > 0 && m_unwritten.isEmpty()) {
            QByteArray chunk(room, Qt::Uninitialized);
            const qint64 n = m_feed.read(chunk.data(), room);
            const qint64 w = n > 0 ? m_io->write(chunk.constData(), n) : 0;
            if (w < n)
                m_unwritten = chunk.mid(std::max<qint64>(0, w), n - std::max<qint64>(0, w));
        }
        if (m_feed.atEnd() && m_unwritten.isEmpty()) {
            // All written; let the stream go once what it still buffers has been played.
            m_feedTimer.stop();
            const qint64 bufferedUs = m_format.durationForBytes(m_sink->bufferSize());
            m_releaseTimer.start(int(bufferedUs / 1000) + kReleaseMarginMs);
        }
    }

    QAudioDevice m_device;
    QAudioFormat m_format;
    CueFeed m_feed{0, 1};
    QAudioSink* m_sink = nullptr;
    QIODevice* m_io = nullptr;
    QTimer m_feedTimer{this};
    QTimer m_releaseTimer{this};
    QByteArray m_unwritten;
    bool m_closing = false;
};

QtAudioOutput::QtAudioOutput()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("sound"));
    m_engine = new AudioEngine(device);
    m_engine->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_engine, &QObject::deleteLater);
    m_thread->start();
}

QtAudioOutput::~QtAudioOutput()
{
    if (!m_thread)
        return;
    m_thread->quit();
    // A sound server that hangs must not hold the program at exit: leave the thread to the
    // process's end then.
    if (m_thread->wait(QDeadlineTimer(2000)))
        delete m_thread;
}

void QtAudioOutput::play(const PcmCue& cue)
{
    if (!m_engine)
        return;
    QMetaObject::invokeMethod(
        m_engine, [e = m_engine, cue] { e->play(cue); }, Qt::QueuedConnection);
}

void QtAudioOutput::stop()
{
    if (!m_engine)
        return;
    QMetaObject::invokeMethod(
        m_engine, [e = m_engine] { e->release(); }, Qt::QueuedConnection);
}
