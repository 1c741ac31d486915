// The real sound player where there is no sound server (as on a build machine): it finds no
// device, so every cue is silent, and neither a playable nor a missing file brings a message
// of its own; Qt's one line about the missing server is all that is said.

#include "platform/sound/qtaudiooutput.h"
#include "platform/sound/systemsoundplayer.h"
#include "wavbuilder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSystemSound : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        // No server, whatever the machine runs: the client library is sent to a socket
        // that is not there (and does not start a server of its own when given one).
        QVERIFY(m_dir.isValid());
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(m_dir.filePath("no-server")));
    }

    void noServerMeansNoDevice() { QVERIFY(!QtAudioOutput().hasDevice()); }

    void noMessageForPlayableOrMissingFiles()
    {
        QTest::failOnWarning(
            QRegularExpression(QStringLiteral("^(?!PulseAudioService: pa_context_connect)")));
        const QString start = m_dir.filePath(QStringLiteral("Start.wav"));
        QFile file(start);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(smallCue()) > 0);
        file.close();
        const QString missing = m_dir.filePath(QStringLiteral("Fac.wav"));
        {
            SystemSoundPlayer player;
            player.preload({start, missing});
            for (int i = 0; i < 100; ++i) {
                player.playSound(start);
                player.playSound(missing);
            }
        }
    }

  private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestSystemSound)
#include "tst_systemsound.moc"
