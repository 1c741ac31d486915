// The sound player that is made on first use.

#include "fakes.h"
#include "platform/sound/lazysoundplayer.h"

#include <QTest>

class TestLazySoundPlayer : public QObject
{
    Q_OBJECT
  private slots:
    void madeOnFirstUseOnlyAndForwards()
    {
        int made = 0;
        RecordingSound* real = nullptr;
        LazySoundPlayer lazy([&] {
            ++made;
            auto player = std::make_unique<RecordingSound>();
            real = player.get();
            return player;
        });
        QCOMPARE(made, 0);
        QVERIFY(!lazy.started());

        lazy.preload({"/prog/Start.wav", "/prog/Fac.wav"});
        lazy.playSound("/prog/Start.wav");
        lazy.playSound("/prog/Fac.wav");
        QCOMPARE(made, 1);
        QVERIFY(lazy.started());
        QCOMPARE(real->preloaded, (QStringList{"/prog/Start.wav", "/prog/Fac.wav"}));
        QCOMPARE(real->played, (QStringList{"/prog/Start.wav", "/prog/Fac.wav"}));
    }
};

QTEST_MAIN(TestLazySoundPlayer)
#include "tst_lazysoundplayer.moc"
