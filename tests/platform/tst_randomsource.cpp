#include "fakes.h"
#include "platform/systemrandomsource.h"

#include <QtTest>
#include <set>

class TestRandomSource : public QObject
{
    Q_OBJECT

  private slots:
    void drawWholeBounds_data();
    void drawWholeBounds();
    void fractionsStayBelowOne();
    void sameClockSameSequence();
    void reseedAtAnUnchangedClockNeverRepeatsAState();
    void redrawLoopWithFrozenClockEnds();
    void reseedFollowsTheClock();
};

void TestRandomSource::drawWholeBounds_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("whole");
    QTest::newRow("r = 0 of 100") << 0.0 << 100 << 1;
    QTest::newRow("r just below 1 of 100") << kJustBelowOne << 100 << 100;
    QTest::newRow("r just below 1 of 3") << kJustBelowOne << 3 << 3;
    QTest::newRow("r just below 1 of 99") << kJustBelowOne << 99 << 99;
    QTest::newRow("r just below 1 of 1") << kJustBelowOne << 1 << 1;
    QTest::newRow("r just below 1 of 1000003") << kJustBelowOne << 1000003 << 1000003;
    QTest::newRow("r = 0.5 of 100") << 0.5 << 100 << 51;
    QTest::newRow("r just below 0.5 of 100") << std::nextafter(0.5, 0.0) << 100 << 50;
    QTest::newRow("r = 0.29 of 100 (product below 29)") << 0.29 << 100 << 29;
    QTest::newRow("r = 0.5 of 2") << 0.5 << 2 << 2;
}

void TestRandomSource::drawWholeBounds()
{
    QFETCH(double, r);
    QFETCH(int, m);
    QFETCH(int, whole);
    QCOMPARE(::drawWhole(r, m), whole);
}

void TestRandomSource::fractionsStayBelowOne()
{
    SystemRandomSource random([] { return quint64(7); });
    double low = 1, high = 0;
    for (int i = 0; i < 100000; ++i) {
        const double r = random.next();
        QVERIFY(r >= 0.0 && r < 1.0);
        low = std::min(low, r);
        high = std::max(high, r);
    }
    QVERIFY(low < 0.001);
    QVERIFY(high > 0.999);
}

void TestRandomSource::sameClockSameSequence()
{
    SystemRandomSource a([] { return quint64(42); });
    SystemRandomSource b([] { return quint64(42); });
    for (int i = 0; i < 10; ++i)
        QCOMPARE(a.next(), b.next());
    a.reseed();
    b.reseed();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(a.next(), b.next());
}

void TestRandomSource::reseedAtAnUnchangedClockNeverRepeatsAState()
{
    // A clock that never moves: every reseed sees the same reading. Each reseed must still
    // start a sequence not seen before; the first two fractions after a reseed stand for
    // its state.
    SystemRandomSource random([] { return quint64(1'700'000'000'000'000'000ull); });
    std::set<std::pair<double, double>> starts;
    for (int i = 0; i < 20000; ++i) {
        random.reseed();
        const double first = random.next();
        const double second = random.next();
        QVERIFY2(starts.insert({first, second}).second, qPrintable(QString::number(i)));
    }
}

void TestRandomSource::redrawLoopWithFrozenClockEnds()
{
    // The non-timed flip reseeds before every redraw until the number differs from the card
    // on show; with the clock frozen this must still end, and soon.
    SystemRandomSource random([] { return quint64(5); });
    for (int shown = 1; shown <= 100; ++shown) {
        int draws = 0;
        int n;
        do {
            random.reseed();
            n = drawWhole(random.next(), 100);
            ++draws;
            QVERIFY(draws < 1000);
        } while (n == shown);
    }
}

void TestRandomSource::reseedFollowsTheClock()
{
    quint64 now = 1;
    SystemRandomSource a([&now] { return now; });
    SystemRandomSource b([&now] { return now; });
    now = 2;
    a.reseed();
    now = 3;
    b.reseed();
    QVERIFY(a.next() != b.next());
}

QTEST_GUILESS_MAIN(TestRandomSource)
#include "tst_randomsource.moc"
