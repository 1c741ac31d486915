// Plays the sound cues through the real player in a fixed pattern, for a recording of the
// sound server to be checked against (bench/cue_probe.sh does both). Prints one line per
// cue: name, when playSound was called, how long it took to return, and when the cue's first
// bytes reached the server, all in ms from the first call. The player is timed from
// outside: a SoundPlayer around it notes each call, and pulsetap.h sees the first bytes of
// each new stream handed to the sound server's client library.
//   cue_probe [folder with the wave files, default: this program's folder]

#include "platform/sound/systemsoundplayer.h"
#include "pulsetap.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QDir>
#include <QMediaDevices>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When the first stream opened after the latest call got its first bytes, and the buffer
// the server granted it. Runs on the sound thread.
class FirstBytes : public pulsetap::Listener
{
  public:
    // A call is coming: the next stream opened is its cue's.
    void arm()
    {
        m_handoffNs = 0;
        m_watched = nullptr;
        m_armed = true;
    }
    void connected(pa_stream* s) override
    {
        if (m_armed.exchange(false))
            m_watched = s;
    }
    void written(pa_stream* s, const void*, std::size_t bytes) override
    {
        if (s != m_watched || bytes == 0 || m_handoffNs != 0)
            return;
        if (const pa_buffer_attr* attr = pulsetap::bufferAttr(s))
            m_bufferBytes = attr->tlength;
        m_handoffNs = nowNs();
    }
    qint64 handoffNs() const { return m_handoffNs; }
    qint64 bufferBytes() const { return m_bufferBytes; }

  private:
    std::atomic<bool> m_armed = false;
    std::atomic<pa_stream*> m_watched = nullptr;
    std::atomic<qint64> m_handoffNs = 0;
    std::atomic<qint64> m_bufferBytes = 0;
};

// The real player with a stopwatch around it: notes when each playSound came and returned.
class TimedSoundPlayer : public SoundPlayer
{
  public:
    TimedSoundPlayer(SoundPlayer& player, FirstBytes& firstBytes)
        : m_player(player), m_firstBytes(firstBytes)
    {
    }
    void preload(const QStringList& paths) override { m_player.preload(paths); }
    void playSound(const QString& path) override
    {
        m_firstBytes.arm();
        calledNs = nowNs();
        m_player.playSound(path);
        returnedNs = nowNs();
    }
    qint64 calledNs = 0;
    qint64 returnedNs = 0;

  private:
    SoundPlayer& m_player;
    FirstBytes& m_firstBytes;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath();
    auto cue = [&](const char* name) { return QDir(folder).filePath(QString::fromLatin1(name)); };

    if (QMediaDevices::defaultAudioOutput().isNull()) {
        std::printf("no sound device: every cue is silent\n");
        return 0;
    }
    FirstBytes firstBytes;
    pulsetap::listener = &firstBytes;
    SystemSoundPlayer real;
    TimedSoundPlayer player(real, firstBytes);
    player.preload(
        {cue("Start.wav"), cue("Fac.wav"), cue("BoxingBell2.wav"), cue("BoxingBell.wav")});
    QThread::msleep(300);

    qint64 epoch = 0;
    auto play = [&](const char* name, int gapMs) {
        player.playSound(cue(name));
        const qint64 before = player.calledNs;
        const qint64 after = player.returnedNs;
        if (epoch == 0)
            epoch = before;
        QThread::msleep(gapMs);
        const qint64 handoff = firstBytes.handoffNs();
        std::printf("%-16s call %9.3f ms  returned in %7.1f us  first bytes to server +%6.2f ms\n",
                    name, (before - epoch) / 1e6, (after - before) / 1e3,
                    handoff >= before ? (handoff - before) / 1e6 : -1.0);
        std::fflush(stdout);
    };

    for (int i = 0; i < 20; ++i) // clicks with room to sound whole
        play("Fac.wav", 400);
    for (int i = 0; i < 10; ++i) // clicks faster than the cue: each cuts the one before
        play("Fac.wav", 60);
    QThread::msleep(500);
    play("BoxingBell2.wav", 700); // end-of-round bell cut short by the next-round bell
    play("BoxingBell.wav", 2000);
    play("Start.wav", 2800);
    std::printf("buffer %lld bytes\n", static_cast<long long>(firstBytes.bufferBytes()));
    pulsetap::listener = nullptr;
    return 0;
}
