// The four cues: each slot plays its own file from the program's folder, written with the
// platform's separators, and preloading hands over all four in slot order.

#include "fakes.h"
#include "platform/sound/cues.h"

#include <QtTest>

namespace {

// Paths as the platform writes them: "\\opt\\qor\\Fac.wav" on Windows.
QStringList native(const QStringList& paths)
{
    QStringList out;
    for (const QString& p : paths)
        out << QDir::toNativeSeparators(p);
    return out;
}

} // namespace

class TestCues : public QObject
{
    Q_OBJECT

  private slots:
    void eachSlotPlaysItsFile()
    {
        RecordingSound sound;
        const Cues cues(sound, QStringLiteral("/opt/qor"));
        cues.opening();
        cues.card();
        cues.endOfRound();
        cues.nextRound();
        QCOMPARE(sound.played, native({"/opt/qor/Start.wav", "/opt/qor/Fac.wav",
                                       "/opt/qor/BoxingBell2.wav", "/opt/qor/BoxingBell.wav"}));
    }

    void preloadHandsOverAllFourInSlotOrder()
    {
        RecordingSound sound;
        const Cues cues(sound, QStringLiteral("/opt/qor/"));
        cues.preload();
        QCOMPARE(sound.preloaded, cues.files());
        QCOMPARE(sound.preloaded, native({"/opt/qor/Start.wav", "/opt/qor/Fac.wav",
                                          "/opt/qor/BoxingBell2.wav", "/opt/qor/BoxingBell.wav"}));
        QVERIFY(sound.played.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCues)
#include "tst_cues.moc"
