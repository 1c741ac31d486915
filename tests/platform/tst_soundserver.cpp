// The real audio output against a real sound server (with_sound_server.sh starts one): it
// finds the device, and closing it down while cues are still on their way to its thread
// neither crashes nor hangs.

#include "platform/qtaudiooutput.h"

#include <QtTest>

class TestSoundServer : public QObject
{
    Q_OBJECT

  private slots:
    void closingWithCuesInFlight()
    {
        const AudioFormat format = QtAudioOutput().format();
        const QByteArray click(format.channels * 2 * format.sampleRate / 50, '\x10');
        for (int round = 0; round < 60; ++round) {
            QtAudioOutput out;
            QVERIFY2(out.hasDevice(), "no sound device, though a sound server runs");
            // The player is closed the moment the last cue is handed over, as when the
            // program ends right after a click; some rounds let a cue start first.
            for (int i = 0; i < 4; ++i)
                out.play(click);
            if (round % 3 == 0)
                QTest::qWait(5);
            out.stop();
            out.play(click);
        }
    }
};

QTEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"
