#include "carddecks.h"
#include "cards/roundclock.h"

#include <QtTest>

class TestRoundClock : public QObject
{
    Q_OBJECT

  private slots:
    void texts_data();
    void texts();
    void wholeTable();
};

void TestRoundClock::texts_data()
{
    QTest::addColumn<int>("facCount");
    QTest::addColumn<QString>("clock");
    QTest::newRow("first card") << 1 << "2:57";
    QTest::newRow("first card of the second round") << 51 << "2:57";
    QTest::newRow("fourth card: a five-second step") << 4 << "2:46";
    QTest::newRow("seventh card: a seven-second step") << 7 << "2:33";
    QTest::newRow("34th card") << 34 << "1:00";
    QTest::newRow("end of the first round") << 50 << "0:00";
    QTest::newRow("end of the deck") << 100 << "0:00";
    QTest::newRow("fresh deck: no text") << 0 << QString();
    QTest::newRow("past the deck: no text") << 101 << QString();
    QTest::newRow("negative: no text") << -1 << QString();
}

void TestRoundClock::texts()
{
    QFETCH(int, facCount);
    QFETCH(QString, clock);
    QCOMPARE(clockText(facCount), clock);
    QCOMPARE(clockText(facCount).isNull(), clock.isNull());
}

void TestRoundClock::wholeTable()
{
    const QStringList& expected = kClockTexts;
    QCOMPARE(expected.size(), 50);
    for (int k = 1; k <= 50; ++k) {
        QCOMPARE(clockText(k), expected[k - 1]);
        QCOMPARE(clockText(k + 50), expected[k - 1]);
    }
}

QTEST_GUILESS_MAIN(TestRoundClock)
#include "tst_roundclock.moc"
