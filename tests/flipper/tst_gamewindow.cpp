// The game played through the real window: clicks on its buttons, scripted randomness,
// recorded cues and messages.

#include "gamefixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>

class GameWindowTest : public QObject
{
    Q_OBJECT

  private slots:
    void openingState();
    void openingReadsTheFileTwice_data();
    void openingReadsTheFileTwice();
    void spaceFlipsFromTheOpeningFocus();
    void wholeRound();
    void nonTimedFlipsAfterTheBell();
    void nextRound_data();
    void nextRound();
    void nextRoundThenTimedCardContinuesTheDeck();
    void reshuffleAtTheHundredAndFirstCard();
    void killerInstinctCountsDown_data();
    void killerInstinctCountsDown();
    void killerInstinctChosenWithTheMouse();
    void killerInstinctChosenWithTheKeyboard_data();
    void killerInstinctChosenWithTheKeyboard();
    void killerInstinctTypingDoesNothing();
    void killerInstinctFromTheKeyboard_data();
    void killerInstinctFromTheKeyboard();
    void killerInstinctKeyIsALetterInTheTextField();
    void reviewPickNeedsTwoEntries_data();
    void reviewPickNeedsTwoEntries();
    void reviewPickNeverTheNewest_data();
    void reviewPickNeverTheNewest();
    void flipCoversTheReviewPanel_data();
    void flipCoversTheReviewPanel();
    void newGameMidRound();
    void newGameLeavesKillerInstinct_data();
    void newGameLeavesKillerInstinct();
    void newGameRightAfterTheBell();
    void missingDataFile();
    void nonTimedFlipWithoutCardNumber_data();
    void nonTimedFlipWithoutCardNumber();
    void nonTimedFlipReadsTheWholeCardNumber_data();
    void nonTimedFlipReadsTheWholeCardNumber();
    void nonTimedRedrawReseedsEachTime();
    void modeTime_data();
    void modeTime();
    void pickFAC2OutsideTheCardsChangesNothing_data();
    void pickFAC2OutsideTheCardsChangesNothing();
    void pickFACRepairsTheCount_data();
    void pickFACRepairsTheCount();
    void closingEndsTheProgram();
};

void GameWindowTest::openingState()
{
    Game g;
    frmFac& w = *g.w;
    QVERIFY(!w.imgFAC->isHidden());
    QVERIFY(!w.imgFAC2->isHidden());
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QCOMPARE(w.lblRound->text(), QStringLiteral("1"));
    QCOMPARE(w.lblKI->text(), QString());
    QVERIFY(!w.cmdRound->isEnabled());
    QVERIFY(w.cmdFlip->isEnabled());
    QVERIFY(w.cmdPick->isEnabled());
    QVERIFY(w.cmdFlip2->isHidden());
    QVERIFY(!w.cmdFlip2->isEnabled());
    QVERIFY(w.cboKI->isHidden());
    QVERIFY(w.lstFAC->isHidden());
    QVERIFY(w.lblNo->isHidden());
    QCOMPARE(w.lstFAC->count(), 0);
    QCOMPARE(g.data.facCount, std::int16_t(0));
    QCOMPARE(g.data.facsRead, std::int16_t(100));
    for (const QString& text : g.mainTexts())
        QCOMPARE(text, QString());
    QCOMPARE(QApplication::focusWidget(), w.cmdFlip);
    QVERIFY(g.world.messages.shown.isEmpty());
    // Reseed, read, New Game (shuffle, reseed, read): the shuffle sits between two reseeds.
    QCOMPARE(g.world.random.reseedsAtDraw, (std::vector<int>{0, 100}));
    QCOMPARE(g.world.sound.preloaded,
             (QStringList{Game::cue("Start.wav"), Game::cue("Fac.wav"),
                          Game::cue("BoxingBell2.wav"), Game::cue("BoxingBell.wav")}));
    QCOMPARE(g.world.sound.played, QStringList{Game::cue("Start.wav")});
    for (int i = 1; i <= 100; ++i)
        QCOMPARE(std::count(g.data.deck.begin() + 1, g.data.deck.end(), i), 1);
}

void GameWindowTest::openingReadsTheFileTwice_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("message");
    QTest::newRow("good file: no message") << fixtureDeck() << QString();
    QTest::newRow("missing file: error 53 per read") << QByteArray() << QStringLiteral("Error 53 ");
    QTest::newRow("101 records: error 9 per read")
        << fixtureDeck(101) << QStringLiteral("Error 9 ");
}

void GameWindowTest::openingReadsTheFileTwice()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);
    Game g(contents);
    if (message.isEmpty()) {
        QVERIFY(g.world.messages.shown.isEmpty());
        return;
    }
    QCOMPARE(g.world.messages.shown.size(), 2);
    for (const auto& shown : g.world.messages.shown) {
        QVERIFY2(shown.text.startsWith(message + "trying to read FACs.\r\n"),
                 qPrintable(shown.text));
        QCOMPARE(shown.caption, QStringLiteral("KRVN_QOR"));
    }
}

void GameWindowTest::spaceFlipsFromTheOpeningFocus()
{
    Game g;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(g.data.facCount, std::int16_t(1));
    QCOMPARE(g.w->lblClock->text(), QStringLiteral("2:57"));
    QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[1]));
}

void GameWindowTest::wholeRound()
{
    Game g;
    frmFac& w = *g.w;
    for (int k = 1; k <= 50; ++k) {
        g.flip();
        QCOMPARE(g.data.facCount, std::int16_t(k));
        QCOMPARE(w.lblClock->text(), kClockTexts[k - 1]);
        QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[k]));
        QCOMPARE(g.flipped().size(), k);
        QCOMPARE(g.flipped().last(), QString::number(g.data.deck[k]));
        QVERIFY(w.imgFAC->isHidden());
        QCOMPARE(g.lastCue(), Game::cue(k == 50 ? "BoxingBell2.wav" : "Fac.wav"));
        QCOMPARE(w.cmdRound->isEnabled(), k == 50);
        QCOMPARE(w.cmdFlip2->isEnabled(), k == 50);
        QVERIFY(w.cmdFlip2->isHidden());
    }
    // One cue per card after the opening cue.
    QCOMPARE(g.world.sound.played.size(), 51);
}

void GameWindowTest::nonTimedFlipsAfterTheBell()
{
    Game g;
    g.toEndOfRound();
    const QStringList list = g.flipped();
    for (int i = 0; i < 30; ++i) {
        const QString before = g.w->lblNo->text();
        const int cues = g.world.sound.played.size();
        g.flip();
        QVERIFY2(g.w->lblNo->text() != before, qPrintable(before));
        QCOMPARE(g.mainTexts(), fixtureMain(g.data.curFAC));
        QCOMPARE(g.data.facCount, std::int16_t(50));
        QCOMPARE(g.flipped(), list);
        QCOMPARE(g.w->lblClock->text(), QStringLiteral("0:00"));
        QCOMPARE(g.world.sound.played.size(), cues + 1);
        QCOMPARE(g.lastCue(), Game::cue("Fac.wav"));
        QVERIFY(g.w->cmdRound->isEnabled());
    }
}

void GameWindowTest::nextRound_data()
{
    QTest::addColumn<QString>("round");
    QTest::addColumn<QString>("next");
    QTest::newRow("1 -> 2") << "1"
                            << "2";
    QTest::newRow("9 -> 10") << "9"
                             << "10";
}

void GameWindowTest::nextRound()
{
    QFETCH(QString, round);
    QFETCH(QString, next);
    Game g;
    frmFac& w = *g.w;
    g.toEndOfRound();
    w.lblRound->setText(round);
    w.lblKI->setText(QStringLiteral("4"));
    g.click(w.cmdRound);
    QCOMPARE(w.lblKI->text(), QString());
    QVERIFY(!w.imgFAC->isHidden());
    QVERIFY(!w.cmdFlip2->isEnabled());
    QVERIFY(!w.cmdRound->isEnabled());
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QCOMPARE(w.lblRound->text(), next);
    QCOMPARE(g.lastCue(), Game::cue("BoxingBell.wav"));
    QCOMPARE(g.data.facCount, std::int16_t(50));
}

void GameWindowTest::nextRoundThenTimedCardContinuesTheDeck()
{
    Game g;
    g.toEndOfRound();
    g.flips(3); // non-timed
    g.click(g.w->cmdRound);
    g.flip();
    QCOMPARE(g.data.facCount, std::int16_t(51));
    QCOMPARE(g.w->lblClock->text(), QStringLiteral("2:57"));
    QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[51]));
    QCOMPARE(g.flipped().size(), 51);
    QVERIFY(g.w->imgFAC->isHidden());
}

void GameWindowTest::reshuffleAtTheHundredAndFirstCard()
{
    Game g;
    g.toEndOfRound();
    g.click(g.w->cmdRound);
    g.toEndOfRound();
    QCOMPARE(g.data.facCount, std::int16_t(100));
    QCOMPARE(g.lastCue(), Game::cue("BoxingBell2.wav"));
    g.click(g.w->cmdRound);
    QCOMPARE(g.w->lblRound->text(), QStringLiteral("3"));

    const auto oldDeck = g.data.deck;
    // Another run of fractions, so the new deck differs from the old one.
    g.world.random.fallback = [](int n) { return ((n * 71 + 13) % 100 + 0.5) / 100.0; };
    const int reseeds = g.world.random.reseeds;
    const int draws = g.world.random.draws;
    g.flip();
    QCOMPARE(g.data.facCount, std::int16_t(1));
    QVERIFY(g.data.deck != oldDeck);
    for (int i = 1; i <= 100; ++i)
        QCOMPARE(std::count(g.data.deck.begin() + 1, g.data.deck.end(), i), 1);
    QCOMPARE(g.flipped(), QStringList{QString::number(g.data.deck[1])});
    QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[1]));
    QCOMPARE(g.w->lblClock->text(), QStringLiteral("2:57"));
    // The click reseeded once, before the shuffle; the shuffle itself does not reseed.
    QCOMPARE(g.world.random.reseeds, reseeds + 1);
    QCOMPARE(g.world.random.reseedsAtDraw.back(), draws);
    // A review pick now has a single entry to draw from and does nothing.
    const int cues = g.world.sound.played.size();
    g.click(g.w->cmdPick);
    QCOMPARE(g.world.sound.played.size(), cues);
    QVERIFY(!g.w->imgFAC2->isHidden());
}

void GameWindowTest::killerInstinctCountsDown_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("3 counts down to empty") << "3" << QStringList{"2", "1", "", ""};
    QTest::newRow("1 empties at once") << "1" << QStringList{"", ""};
    QTest::newRow("10 gives 9") << "10" << QStringList{"9", "8"};
    QTest::newRow("empty stays empty") << "" << QStringList{"", ""};
}

void GameWindowTest::killerInstinctCountsDown()
{
    QFETCH(QString, start);
    QFETCH(QStringList, after);
    Game g;
    g.w->lblKI->setText(start);
    for (const QString& expected : after) {
        g.flip();
        QCOMPARE(g.w->lblKI->text(), expected);
    }
    // The countdown also runs after the bell, and Next Round ends it.
    g.toEndOfRound();
    g.w->lblKI->setText(QStringLiteral("2"));
    g.flip();
    QCOMPARE(g.w->lblKI->text(), QStringLiteral("1"));
    g.click(g.w->cmdRound);
    QCOMPARE(g.w->lblKI->text(), QString());
}

void GameWindowTest::killerInstinctChosenWithTheMouse()
{
    Game g;
    frmFac& w = *g.w;
    g.click(w.lblKI);
    QVERIFY(w.cboKI->isVisible());
    // While shown the list lies over the Killer Instinct label.
    QWidget* top = w.lblKI->parentWidget()->childAt(w.lblKI->geometry().center());
    QVERIFY(top == w.cboKI || w.cboKI->isAncestorOf(top));

    w.cboKI->showPopup();
    QAbstractItemView* view = w.cboKI->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect item = view->visualRect(w.cboKI->model()->index(2, 0));
    QTest::mouseMove(view->viewport(), item.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    QCOMPARE(w.lblKI->text(), QStringLiteral("3"));
    QVERIFY(w.cboKI->isHidden());
    QCOMPARE(w.cboKI->count(), 10);

    g.flip();
    QCOMPARE(w.lblKI->text(), QStringLiteral("2"));
    g.flip();
    QCOMPARE(w.lblKI->text(), QStringLiteral("1"));
    g.flip();
    QCOMPARE(w.lblKI->text(), QString());
}

void GameWindowTest::killerInstinctChosenWithTheKeyboard_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("Down from an empty box") << -1 << int(Qt::Key_Down) << "1";
    QTest::newRow("Down from 5") << 4 << int(Qt::Key_Down) << "6";
    QTest::newRow("Up from 5") << 4 << int(Qt::Key_Up) << "4";
    QTest::newRow("Down from 9") << 8 << int(Qt::Key_Down) << "10";
}

void GameWindowTest::killerInstinctChosenWithTheKeyboard()
{
    QFETCH(int, current);
    QFETCH(int, key);
    QFETCH(QString, chosen);
    Game g;
    frmFac& w = *g.w;
    w.cboKI->setCurrentIndex(current);
    g.click(w.lblKI);
    w.cboKI->setFocus();
    QTest::keyClick(w.cboKI, Qt::Key(key));
    QCOMPARE(w.lblKI->text(), chosen);
    QVERIFY(w.cboKI->isHidden());
}

void GameWindowTest::killerInstinctFromTheKeyboard_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("openList");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("Alt+K, then Down") << int(Qt::AltModifier) << false << "1";
    QTest::newRow("K, then Down") << int(Qt::NoModifier) << false << "1";
    QTest::newRow("Alt+K, Alt+Down opens the list on 1, Down Down Enter")
        << int(Qt::AltModifier) << true << "3";
}

void GameWindowTest::killerInstinctFromTheKeyboard()
{
    QFETCH(int, modifiers);
    QFETCH(bool, openList);
    QFETCH(QString, chosen);
    Game g;
    frmFac& w = *g.w;
    QVERIFY(w.cmdFlip->hasFocus());
    const QList<QWidget*> tabOrder{w.cmdFlip, w.cmdFlip->nextInFocusChain()};

    QTest::keyClick(w.cmdFlip, Qt::Key_K, Qt::KeyboardModifiers(modifiers));
    QVERIFY(w.cboKI->isVisible());
    QVERIFY(w.cboKI->hasFocus());
    QCOMPARE(w.lblKI->text(), QString());
    if (openList) {
        QTest::keyClick(w.cboKI, Qt::Key_Down, Qt::AltModifier);
        QAbstractItemView* view = w.cboKI->view();
        QTRY_VERIFY(view->isVisible());
        // The list opens on its first entry.
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
    } else {
        QTest::keyClick(w.cboKI, Qt::Key_Down);
    }
    QCOMPARE(w.lblKI->text(), chosen);
    QVERIFY(w.cboKI->isHidden());
    // The countdown runs from the chosen value, and the tab order is as it was.
    QTest::keyClick(w.cmdFlip, Qt::Key_Space);
    QCOMPARE(w.lblKI->text(), chosen == "1" ? QString() : QString::number(chosen.toInt() - 1));
    QCOMPARE(w.cmdFlip->nextInFocusChain(), tabOrder[1]);
}

void GameWindowTest::killerInstinctKeyIsALetterInTheTextField()
{
    // In the box's text field K is a letter like any other: it neither chooses nor closes.
    Game g;
    frmFac& w = *g.w;
    QTest::keyClick(w.cmdFlip, Qt::Key_K, Qt::AltModifier);
    QVERIFY(w.cboKI->hasFocus());
    QTest::keyClicks(w.cboKI, QStringLiteral("k"));
    QCOMPARE(w.cboKI->currentText(), QStringLiteral("k"));
    QVERIFY(w.cboKI->isVisible());
    QCOMPARE(w.lblKI->text(), QString());
}

void GameWindowTest::killerInstinctTypingDoesNothing()
{
    Game g;
    frmFac& w = *g.w;
    g.click(w.lblKI);
    w.cboKI->setFocus();
    QTest::keyClicks(w.cboKI, QStringLiteral("7"));
    QTest::keyClick(w.cboKI, Qt::Key_Return);
    QTest::keyClicks(w.cboKI, QStringLiteral("42"));
    QTest::keyClick(w.cboKI, Qt::Key_Enter);
    QCOMPARE(w.lblKI->text(), QString());
    QVERIFY(w.cboKI->isVisible());
    QCOMPARE(w.cboKI->count(), 10);
    QCOMPARE(w.cboKI->itemText(9), QStringLiteral("10"));
}

void GameWindowTest::reviewPickNeedsTwoEntries_data()
{
    QTest::addColumn<int>("cards");
    QTest::newRow("after New Game") << 0;
    QTest::newRow("one card turned") << 1;
}

void GameWindowTest::reviewPickNeedsTwoEntries()
{
    QFETCH(int, cards);
    Game g;
    g.flips(cards);
    const QStringList review = g.reviewTexts();
    const QStringList cues = g.world.sound.played;
    const int reseeds = g.world.random.reseeds;
    g.click(g.w->cmdPick);
    QCOMPARE(g.world.sound.played, cues);
    QCOMPARE(g.reviewTexts(), review);
    QVERIFY(!g.w->imgFAC2->isHidden());
    QCOMPARE(g.world.random.reseeds, reseeds);
}

void GameWindowTest::reviewPickNeverTheNewest_data()
{
    QTest::addColumn<int>("cards");
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("entry");
    QTest::newRow("two entries, r just below 1: the older") << 2 << kJustBelowOne << 0;
    QTest::newRow("three entries, r = 0: the first") << 3 << 0.0 << 0;
    QTest::newRow("three entries, r just below 1: before the newest") << 3 << kJustBelowOne << 1;
    QTest::newRow("three entries, r = 0.5: the second") << 3 << 0.5 << 1;
    QTest::newRow("fifty entries, r just below 1") << 50 << kJustBelowOne << 48;
}

void GameWindowTest::reviewPickNeverTheNewest()
{
    QFETCH(int, cards);
    QFETCH(double, r);
    QFETCH(int, entry);
    Game g;
    g.flips(cards);
    const QStringList main = g.mainTexts();
    const int reseeds = g.world.random.reseeds;
    g.world.random.push({r});
    g.click(g.w->cmdPick);
    const int f = g.flipped().at(entry).toInt();
    QCOMPARE(g.reviewTexts(), fixtureReview(f));
    QVERIFY(g.w->imgFAC2->isHidden());
    QCOMPARE(g.lastCue(), Game::cue("Fac.wav"));
    QCOMPARE(g.world.random.reseeds, reseeds + 1);
    // The main panel, the list and the count stay as they were.
    QCOMPARE(g.mainTexts(), main);
    QCOMPARE(g.flipped().size(), cards);
    QCOMPARE(g.data.facCount, std::int16_t(cards));
}

void GameWindowTest::flipCoversTheReviewPanel_data()
{
    QTest::addColumn<bool>("afterTheBell");
    QTest::newRow("timed flip") << false;
    QTest::newRow("non-timed flip after the bell") << true;
}

void GameWindowTest::flipCoversTheReviewPanel()
{
    QFETCH(bool, afterTheBell);
    Game g;
    if (afterTheBell)
        g.toEndOfRound();
    else
        g.flips(4);
    g.click(g.w->cmdPick);
    QVERIFY(g.w->imgFAC2->isHidden());
    const QStringList review = g.reviewTexts();
    const std::int16_t count = g.data.facCount;
    g.flip();
    QVERIFY(!g.w->imgFAC2->isHidden());
    // The recalled card stays underneath until the next pick.
    QCOMPARE(g.reviewTexts(), review);
    // After the bell that flip was a non-timed one: the count stayed.
    QCOMPARE(g.data.facCount, afterTheBell ? count : std::int16_t(count + 1));
}

void GameWindowTest::newGameMidRound()
{
    Game g;
    frmFac& w = *g.w;
    g.flips(10);
    g.click(w.cmdPick);
    w.lblKI->setText(QStringLiteral("5"));
    const QString number = w.lblNo->text();
    const std::int16_t cur = g.data.curFAC;
    const QStringList review = g.reviewTexts();
    const QStringList cues = g.world.sound.played;

    w.mnuNewGame->trigger();
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QCOMPARE(w.lblRound->text(), QStringLiteral("1"));
    QCOMPARE(w.lstFAC->count(), 0);
    QCOMPARE(g.data.facCount, std::int16_t(0));
    QVERIFY(!w.imgFAC->isHidden());
    QVERIFY(!w.imgFAC2->isHidden());
    QStringList main = g.mainTexts();
    QCOMPARE(main.takeFirst(), number); // lblNo keeps the last card
    for (const QString& text : main)
        QCOMPARE(text, QString());
    QCOMPARE(g.data.curFAC, cur);
    QCOMPARE(w.lblKI->text(), QStringLiteral("5"));
    QCOMPARE(g.reviewTexts(), review);
    QCOMPARE(g.world.sound.played, cues); // New Game is silent
    QVERIFY(g.world.messages.shown.isEmpty());

    g.flip();
    QCOMPARE(g.data.facCount, std::int16_t(1));
    QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[1]));
    QCOMPARE(w.lblClock->text(), QStringLiteral("2:57"));
}

void GameWindowTest::newGameLeavesKillerInstinct_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("listOpen");
    QTest::newRow("value counting down, list closed") << "5" << false;
    QTest::newRow("no value, list open") << "" << true;
    QTest::newRow("value counting down, list open over it") << "3" << true;
}

// New Game touches neither the Killer Instinct value nor its list.
void GameWindowTest::newGameLeavesKillerInstinct()
{
    QFETCH(QString, value);
    QFETCH(bool, listOpen);
    Game g;
    frmFac& w = *g.w;
    g.flips(3);
    w.lblKI->setText(value);
    if (listOpen)
        g.click(w.lblKI);
    QCOMPARE(w.cboKI->isVisible(), listOpen);
    const QString boxText = w.cboKI->currentText();

    w.mnuNewGame->trigger();
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QCOMPARE(w.lblKI->text(), value);
    QCOMPARE(w.cboKI->isVisible(), listOpen);
    QCOMPARE(w.cboKI->currentText(), boxText);
}

void GameWindowTest::newGameRightAfterTheBell()
{
    Game g;
    frmFac& w = *g.w;
    g.toEndOfRound();
    w.mnuNewGame->trigger();
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QVERIFY(w.cmdRound->isEnabled());
    QVERIFY(w.cmdFlip2->isEnabled());
    g.click(w.cmdRound);
    QCOMPARE(w.lblRound->text(), QStringLiteral("2"));
    QVERIFY(!w.cmdRound->isEnabled());
}

void GameWindowTest::missingDataFile()
{
    Game g{QByteArray()};
    QCOMPARE(g.world.messages.shown.size(), 2);
    QVERIFY(g.world.messages.shown[0].text.startsWith("Error 53 trying to read FACs.\r\n"));
    g.w->mnuNewGame->trigger();
    QCOMPARE(g.world.messages.shown.size(), 3);
    g.w->mnuNewGame->trigger();
    QCOMPARE(g.world.messages.shown.size(), 4);
    // The game runs on an empty table: numbers show 0, texts nothing.
    g.flip();
    QCOMPARE(g.mainTexts(),
             (QStringList{"", "", "0", "", "", "0", "0", "0", "0", "", "", "", "", "", ""}));
    QCOMPARE(g.world.messages.shown.size(), 4);
}

void GameWindowTest::nonTimedFlipWithoutCardNumber_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("number");
    QTest::newRow("no data file: empty number") << QByteArray() << "";
    QTest::newRow("card number that is no number")
        << fixtureDeck(100, [](int, QStringList& f) { f[0] = "\"x7\""; }) << "x7";
}

// A card without a number on the main panel: no card counts as shown, the first draw stands.
void GameWindowTest::nonTimedFlipWithoutCardNumber()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, number);
    Game g(contents);
    g.toEndOfRound();
    QCOMPARE(g.w->lblNo->text(), number);
    const int reseeds = g.world.random.reseeds;
    g.world.random.push({0.5});
    g.flip();
    QCOMPARE(g.data.curFAC, std::int16_t(51));
    QCOMPARE(g.world.random.reseeds, reseeds + 1);
    QCOMPARE(g.w->lblClock->text(), QStringLiteral("0:00"));
}

void GameWindowTest::nonTimedFlipReadsTheWholeCardNumber_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<int>("card");
    QTest::addColumn<int>("reseeds");
    // 0.065 draws card 7, 0.5 card 51.
    QTest::newRow("\"7x\" is no number: drawing 7 stands")
        << "7x" << QList<double>{0.065} << 7 << 1;
    QTest::newRow("\"7\" is 7: drawing 7 redraws") << "7" << QList<double>{0.065, 0.5} << 51 << 2;
    QTest::newRow("\" 7 \" is 7, blanks allowed: drawing 7 redraws")
        << " 7 " << QList<double>{0.065, 0.5} << 51 << 2;
}

// The card number on show is read from the whole of its text, not from a leading part.
void GameWindowTest::nonTimedFlipReadsTheWholeCardNumber()
{
    QFETCH(QString, number);
    QFETCH(QList<double>, draws);
    QFETCH(int, card);
    QFETCH(int, reseeds);
    Game g;
    g.toEndOfRound();
    g.w->lblNo->setText(number);
    const int before = g.world.random.reseeds;
    for (double r : draws)
        g.world.random.push({r});
    g.flip();
    QCOMPARE(g.data.curFAC, std::int16_t(card));
    QCOMPARE(g.world.random.reseeds, before + reseeds);
    QCOMPARE(g.mainTexts(), fixtureMain(card));
}

// Drawing the card on show again redraws, with a reseed before every draw; the loop ends
// because a reseed never returns the generator to a state it had.
void GameWindowTest::nonTimedRedrawReseedsEachTime()
{
    Game g;
    g.toEndOfRound();
    const int shown = g.w->lblNo->text().toInt();
    QVERIFY(shown >= 1 && shown < 100);
    const double same = (shown - 0.5) / 100.0;
    const int reseeds = g.world.random.reseeds;
    const int draws = g.world.random.draws;
    g.world.random.push({same, same, kJustBelowOne});
    g.flip();
    QCOMPARE(g.data.curFAC, std::int16_t(100));
    QCOMPARE(g.world.random.reseeds, reseeds + 3);
    QCOMPARE(g.mainTexts(), fixtureMain(100));
    // Each of the three draws came right after its own reseed.
    const auto& at = g.world.random.reseedsAtDraw;
    QCOMPARE((std::vector<int>(at.end() - 3, at.end())),
             (std::vector<int>{draws, draws + 1, draws + 2}));
    // r = 0 gives card 1.
    g.world.random.push({0.0});
    g.flip();
    QCOMPARE(g.data.curFAC, std::int16_t(1));
}

void GameWindowTest::modeTime_data()
{
    QTest::addColumn<int>("facCount");
    QTest::addColumn<QString>("clock");
    const QString unchanged = QStringLiteral("1:23");
    QTest::newRow("1: first card") << 1 << "2:57";
    QTest::newRow("51: first card of the second round") << 51 << "2:57";
    QTest::newRow("50: end of the first round") << 50 << "0:00";
    QTest::newRow("100: end of the deck") << 100 << "0:00";
    QTest::newRow("0: a fresh deck leaves the clock") << 0 << unchanged;
    QTest::newRow("101: past the deck leaves the clock") << 101 << unchanged;
    QTest::newRow("-1 leaves the clock") << -1 << unchanged;
}

void GameWindowTest::modeTime()
{
    QFETCH(int, facCount);
    QFETCH(QString, clock);
    Game g;
    // A text the table never shows, so any change to it is seen.
    g.w->lblClock->setText(QStringLiteral("1:23"));
    g.data.facCount = std::int16_t(facCount);
    g.w->modeTime();
    QCOMPARE(g.w->lblClock->text(), clock);
    QCOMPARE(g.data.facCount, std::int16_t(facCount));
}

void GameWindowTest::pickFAC2OutsideTheCardsChangesNothing_data()
{
    QTest::addColumn<int>("curFAC");
    QTest::newRow("0") << 0;
    QTest::newRow("101") << 101;
    QTest::newRow("-5") << -5;
}

void GameWindowTest::pickFAC2OutsideTheCardsChangesNothing()
{
    QFETCH(int, curFAC);
    Game g;
    g.flips(2);
    const QStringList main = g.mainTexts();
    g.data.curFAC = std::int16_t(curFAC);
    g.w->pickFAC2();
    QCOMPARE(g.mainTexts(), main);
    QCOMPARE(g.flipped().size(), 2);
    // A card number shows that card and leaves the count and the list alone.
    g.data.curFAC = 12;
    g.w->pickFAC2();
    QCOMPARE(g.mainTexts(), fixtureMain(12));
    QCOMPARE(g.data.facCount, std::int16_t(2));
    QCOMPARE(g.flipped().size(), 2);
}

void GameWindowTest::pickFACRepairsTheCount_data()
{
    QTest::addColumn<int>("facCount");
    QTest::addColumn<int>("position");
    QTest::newRow("37 shows position 37") << 37 << 37;
    QTest::newRow("0 repaired to 1") << 0 << 1;
    QTest::newRow("150 repaired to 1") << 150 << 1;
}

void GameWindowTest::pickFACRepairsTheCount()
{
    QFETCH(int, facCount);
    QFETCH(int, position);
    Game g;
    g.data.facCount = std::int16_t(facCount);
    g.w->pickFAC();
    QCOMPARE(g.data.facCount, std::int16_t(position));
    QCOMPARE(g.data.curFAC, g.data.deck[position]);
    QCOMPARE(g.flipped(), QStringList{QString::number(g.data.deck[position])});
    QCOMPARE(g.mainTexts(), fixtureMain(g.data.deck[position]));
}

void GameWindowTest::closingEndsTheProgram()
{
    Game g;
    QVERIFY(g.w->close());
    QCOMPARE(g.world.exit.ends, 1);
    QVERIFY(!g.w->isVisible());
}

QTEST_MAIN(GameWindowTest)
#include "tst_gamewindow.moc"
