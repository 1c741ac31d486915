// Soak: a long run of random player actions on the real game window (flips, picks, Next
// Round, Killer Instinct, New Game), with every invariant of the game checked after each
// action. Deterministic: the actions come from a fixed-seed engine and the game's own random
// source is the real Mersenne Twister with a frozen clock. QOR_SOAK_ACTIONS sets the count
// (20000 unless set); the run prints its time and memory figures.

#include "carddecks.h"
#include "cards/roundclock.h"
#include "fakes.h"
#include "flipper/frmfac.h"
#include "platform/systemrandomsource.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <random>

namespace {

// Counts cues without keeping them: a million actions must not grow a list.
class CountingSound : public SoundPlayer
{
  public:
    int plays = 0;
    QString last;
    void preload(const QStringList&) override {}
    void playSound(const QString& path) override
    {
        ++plays;
        last = QFileInfo(path).fileName();
    }
};

struct Memory
{
    long rssKb = 0;
    long peakKb = 0;
};

Memory memoryNow()
{
    Memory m;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            m.rssKb = line.mid(6).trimmed().split(' ').first().toLong();
        else if (line.startsWith("VmHWM:"))
            m.peakKb = line.mid(6).trimmed().split(' ').first().toLong();
    }
    return m;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// 100 cards whose Res entries differ, so a panel's card can be told from that label alone.
QByteArray soakDeck()
{
    return deckFile(1, 100, [](int k) {
        const QString n = QString::number(k);
        return writtenValues({.No = n,
                              .Pos = "Pos " + n,
                              .CF = std::int16_t(k),
                              .RN = QStringLiteral("RN%1").arg(k % 9),
                              .Res = "Res " + n,
                              .KD = std::int16_t(k % 3),
                              .KD2 = std::int16_t(k % 2),
                              .KOR = std::int16_t(k % 5),
                              .KDC = std::int16_t(k % 7),
                              .J1 = QStringLiteral("A"),
                              .J2 = QStringLiteral("B"),
                              .J3 = QStringLiteral("C"),
                              .Cond = "Cond " + n,
                              .Inj = "Inj " + n,
                              .SA = "SA " + n});
    });
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT
  private slots:
    void soak();
};

void TestSoak::soak()
{
    const long actions = qEnvironmentVariableIsSet("QOR_SOAK_ACTIONS")
                             ? qEnvironmentVariable("QOR_SOAK_ACTIONS").toLong()
                             : 20000;
    QVERIFY(actions > 0);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString dataPath = dir.filePath(QStringLiteral("fac_data.txt"));
    {
        QFile f(dataPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(soakDeck());
    }

    GameData data;
    SystemRandomSource random([] { return std::uint64_t{20260101}; });
    RecordingMessages messages;
    CountingSound sound;
    RecordingShell shell;
    RecordingExit exit;
    const Services services{random,  messages, sound, shell, exit, QStringLiteral("/prog"),
                            dataPath};
    frmFac w(data, services);
    w.Form_Load();
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(sound.last, QStringLiteral("Start.wav"));
    QCOMPARE(w.lstFAC->count(), 0);

    QStringList numberText{QString()};
    for (int k = 1; k <= 100; ++k)
        numberText.append(QString::number(k));
    QSet<QString> clockTexts{QStringLiteral("3:00")};
    for (int k = 1; k <= 50; ++k)
        clockTexts.insert(clockText(k));
    QHash<QString, int> cardByRes;
    for (int k = 1; k <= 100; ++k)
        cardByRes.insert(data.FACs[k].Res, k);

    // What the player expects to see: the clock text and the round, kept beside the game.
    QString expectClock = QStringLiteral("3:00");
    int expectRound = 1;
    long counts[6] = {};
    long reshuffles = 0;

    std::mt19937_64 pickAction(42);
    std::uniform_int_distribution<int> percent(0, 999);
    std::uniform_int_distribution<int> kiEntry(0, 9);

    QElapsedTimer timer;
    timer.start();
    Memory early{};
    const long earlyAt = std::max(1L, actions / 10);

    for (long step = 1; step <= actions; ++step) {
        const int roll = percent(pickAction);
        const int playsBefore = sound.plays;
        const int countBefore = w.lstFAC->count();
        const QString reviewBefore = w.lblResb->text();
        const bool reviewCoveredBefore = !w.imgFAC2->isHidden();
        const short curBefore = data.curFAC;
        int action;
        if (roll < 2) {
            action = 0; // New Game: rare, so decks run out and reshuffle
            w.mnuNewGame_Click();
            expectClock = QStringLiteral("3:00");
            expectRound = 1;
            QVERIFY(w.lstFAC->count() == 0 && data.facCount == 0);
            QCOMPARE(sound.plays, playsBefore);
        } else if (roll < 650) {
            action = 1; // Flip
            const bool extra = w.lblClock->text() == QLatin1String("0:00");
            const QString kiBefore = w.lblKI->text();
            w.cmdFlip_Click();
            QCOMPARE(sound.plays, playsBefore + 1);
            QVERIFY(!w.imgFAC2->isHidden());
            QVERIFY(w.imgFAC->isHidden());
            if (!kiBefore.isEmpty()) {
                const int left = kiBefore.toInt() - 1;
                QCOMPARE(w.lblKI->text(), left == 0 ? QString() : QString::number(left));
            }
            if (extra) {
                QCOMPARE(w.lstFAC->count(), countBefore);
                QVERIFY2(data.curFAC != curBefore, "an extra card repeats the one shown");
                QCOMPARE(sound.last, QStringLiteral("Fac.wav"));
            } else {
                expectClock = clockText(data.facCount);
                if (countBefore == 100)
                    ++reshuffles; // the deck ran out: reshuffled, dealt from position 1
                const bool bell = data.facCount == 50 || data.facCount == 100;
                QCOMPARE(sound.last,
                         bell ? QStringLiteral("BoxingBell2.wav") : QStringLiteral("Fac.wav"));
                if (bell)
                    QVERIFY(w.cmdRound->isEnabled() && w.cmdFlip2->isEnabled());
            }
            QCOMPARE(w.lblRes->text(), data.FACs[data.curFAC].Res);
            QCOMPARE(w.lblNo->text(), numberText[data.curFAC]);
        } else if (roll < 800) {
            action = 2; // Pick Random FAC
            w.cmdPick_Click();
            if (countBefore < 2) {
                QCOMPARE(sound.plays, playsBefore);
                QCOMPARE(w.lblResb->text(), reviewBefore);
                QCOMPARE(!w.imgFAC2->isHidden(), reviewCoveredBefore);
            } else {
                QCOMPARE(sound.plays, playsBefore + 1);
                QVERIFY(w.imgFAC2->isHidden());
                const int shown = cardByRes.value(w.lblResb->text());
                QVERIFY2(shown >= 1, qPrintable(w.lblResb->text()));
                QVERIFY2(shown != data.deck[data.facCount],
                         "the review pick showed the newest card");
                bool earlier = false;
                for (int i = 1; i < data.facCount; ++i)
                    earlier = earlier || data.deck[i] == shown;
                QVERIFY2(earlier, "the review pick showed a card not turned from this deck");
            }
        } else if (roll < 900) {
            action = 3; // Next Round, when the player can press it
            if (w.cmdRound->isEnabled()) {
                w.cmdRound_Click();
                expectClock = QStringLiteral("3:00");
                ++expectRound;
                QCOMPARE(w.lblKI->text(), QString());
                QVERIFY(!w.cmdRound->isEnabled() && !w.cmdFlip2->isEnabled());
                QCOMPARE(sound.last, QStringLiteral("BoxingBell.wav"));
            }
        } else {
            action = 4; // Killer Instinct: open the list, choose an entry
            w.lblKI_Click();
            QVERIFY(!w.cboKI->isHidden());
            const int entry = kiEntry(pickAction);
            w.cboKI->setCurrentIndex(entry);
            w.cboKI_Click();
            QCOMPARE(w.lblKI->text(), QString::number(entry + 1));
            QVERIFY(w.cboKI->isHidden());
        }
        ++counts[action];

        // The invariants, after every action.
        bool present[101] = {};
        for (int i = 1; i <= 100; ++i) {
            const int c = data.deck[i];
            QVERIFY2(c >= 1 && c <= 100 && !present[c], "the deck is not a permutation of 1..100");
            present[c] = true;
        }
        QVERIFY(data.facCount >= 0 && data.facCount <= 100);
        const int listed = w.lstFAC->count();
        QVERIFY(listed <= 100);
        QCOMPARE(listed, int(data.facCount));
        for (int i = 0; i < listed; ++i) {
            if (w.lstFAC->item(i)->text() != numberText[data.deck[i + 1]])
                QFAIL(qPrintable(QStringLiteral("flipped list entry %1 is not deck position %2")
                                     .arg(i)
                                     .arg(i + 1)));
        }
        const QString clock = w.lblClock->text();
        QVERIFY2(clockTexts.contains(clock), qPrintable(clock));
        QCOMPARE(clock, expectClock);
        QCOMPARE(w.lblRound->text(), QString::number(expectRound));
        const QString ki = w.lblKI->text();
        QVERIFY2(ki.isEmpty() ||
                     (ki.toInt() >= 1 && ki.toInt() <= 10 && ki == QString::number(ki.toInt())),
                 qPrintable(ki));
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(exit.ends, 0);

        if (step == earlyAt)
            early = memoryNow();
    }

    const qint64 ms = timer.elapsed();
    const Memory end = memoryNow();
    qInfo("soak: %ld actions in %.1f s (%.1f us each): %ld flips, %ld picks, %ld Next Round "
          "tries, %ld Killer Instinct choices, %ld New Games; %ld reshuffles; %d cues",
          actions, ms / 1000.0, ms * 1000.0 / actions, counts[1], counts[2], counts[3], counts[4],
          counts[0], reshuffles, sound.plays);
    qInfo("soak: memory after %ld actions: RSS %ld kB (peak %ld kB); at the end: RSS %ld kB "
          "(peak %ld kB)",
          earlyAt, early.rssKb, early.peakKb, end.rssKb, end.peakKb);
    // Memory must stay flat once the window is built and every path has run. The
    // AddressSanitizer's quarantine grows on its own, so there only LeakSanitizer judges.
    if (!kSanitized && actions >= 10000)
        QVERIFY2(
            end.peakKb - early.peakKb < 4096,
            qPrintable(QStringLiteral("peak memory grew by %1 kB").arg(end.peakKb - early.peakKb)));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
