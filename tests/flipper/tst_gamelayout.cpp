// The game window as built: every control by its name, where it lies, how it looks, what
// lies above what, the tab order, what a screen reader hears, and hostile card texts.

#include "gamefixture.h"

#include <QAccessible>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>

namespace {

struct Place
{
    const char* name;
    const char* container;
    int left, top, width, height;
};

// The layout tables in twips, written out again so that a slip in either copy shows.
const Place kPlaces[] = {
    {"Image1", "client", 120, 120, 4725, 6540},    {"imgFAC", "client", 130, 130, 3960, 5900},
    {"lblCF", "client", 1380, 990, 495, 250},      {"lblRN", "client", 3120, 990, 960, 250},
    {"lblRes", "client", 2400, 1290, 1635, 255},   {"lblPos", "client", 2400, 1600, 1680, 255},
    {"lblKD", "client", 1400, 1930, 495, 255},     {"lblKD2", "client", 3330, 1930, 495, 250},
    {"lblKOR", "client", 1400, 2230, 495, 255},    {"lblKDC", "client", 3330, 2230, 495, 250},
    {"lblJ1", "client", 830, 2560, 495, 255},      {"lblJ2", "client", 2160, 2560, 495, 250},
    {"lblJ3", "client", 3550, 2560, 495, 250},     {"lblCond", "client", 150, 2880, 3930, 960},
    {"lblInj", "client", 150, 3900, 3930, 1050},   {"lblSA", "client", 150, 5000, 3930, 1020},
    {"lblCFb", "fraFAC", 1350, 980, 495, 255},     {"lblRNb", "fraFAC", 3120, 980, 960, 255},
    {"lblResb", "fraFAC", 2400, 1290, 1635, 255},  {"lblPosb", "fraFAC", 2390, 1600, 1680, 255},
    {"lblKDb", "fraFAC", 1400, 1940, 495, 255},    {"lblKD2b", "fraFAC", 3340, 1940, 495, 255},
    {"lblKORb", "fraFAC", 1400, 2230, 495, 255},   {"lblKDCb", "fraFAC", 3340, 2230, 495, 255},
    {"lblJ1b", "fraFAC", 840, 2560, 495, 255},     {"lblJ2b", "fraFAC", 2175, 2560, 495, 255},
    {"lblJ3b", "fraFAC", 3555, 2560, 495, 255},    {"lblCondb", "fraFAC", 150, 2880, 3930, 960},
    {"lblInjb", "fraFAC", 150, 3900, 3930, 1050},  {"lblSAb", "fraFAC", 150, 4995, 3930, 1020},
    {"Label1_0", "client", 380, 990, 495, 255},    {"Label1_1", "client", 2380, 990, 495, 255},
    {"Label1_2", "client", 400, 1290, 1935, 255},  {"Label1_3", "client", 400, 1600, 1935, 255},
    {"Label1_4", "client", 550, 1930, 495, 255},   {"Label1_5", "client", 550, 2230, 495, 255},
    {"Label1_6", "client", 2540, 1930, 495, 255},  {"Label1_7", "client", 2540, 2230, 495, 255},
    {"Label1_8", "client", 300, 2560, 495, 255},   {"Label1_9", "client", 1630, 2560, 495, 255},
    {"Label1_10", "client", 3020, 2560, 495, 255}, {"Label1_21", "fraFAC", 450, 980, 495, 255},
    {"Label1_20", "fraFAC", 2440, 980, 495, 255},  {"Label1_11", "fraFAC", 400, 1290, 1935, 255},
    {"Label1_12", "fraFAC", 400, 1620, 1935, 240}, {"Label1_19", "fraFAC", 580, 1940, 495, 255},
    {"Label1_18", "fraFAC", 580, 2240, 495, 255},  {"Label1_17", "fraFAC", 2570, 1940, 495, 255},
    {"Label1_16", "fraFAC", 2570, 2240, 495, 255}, {"Label1_15", "fraFAC", 340, 2560, 495, 255},
    {"Label1_14", "fraFAC", 1680, 2560, 495, 255}, {"Label1_13", "fraFAC", 3060, 2560, 495, 255},
    {"Image2", "client", 5040, 120, 2715, 2085},   {"lblClock", "client", 5790, 2400, 1215, 495},
    {"cmdFlip", "client", 5790, 3120, 1215, 495},  {"Label4", "client", 6030, 3840, 735, 255},
    {"lblRound", "client", 6030, 4080, 735, 495},  {"cmdRound", "client", 5790, 4800, 1215, 495},
    {"Label2", "client", 5910, 5685, 975, 450},    {"lblKI", "client", 5910, 6120, 975, 450},
    {"cboKI", "client", 5910, 6120, 1250, 480},    {"fraFAC", "client", 8040, 0, 4215, 6255},
    {"Image3", "fraFAC", 120, 120, 3990, 5925},    {"imgFAC2", "fraFAC", 140, 150, 3960, 5895},
    {"cmdPick", "client", 9180, 6360, 1935, 495},  {"lstFAC", "client", 4800, 2400, 855, 4125},
    {"lblNo", "client", 5520, 0, 495, 300},        {"cmdFlip2", "client", 2400, 6960, 1575, 495},
};

int pixels(int twips)
{
    return (twips + 7) / 15;
}

bool hasColour(const QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
                return true;
    return false;
}

} // namespace

class GameLayoutTest : public QObject
{
    Q_OBJECT

  private slots:
    void window();
    void controlPlaces_data();
    void controlPlaces();
    void texts();
    void fonts_data();
    void fonts();
    void colours();
    void cursors();
    void stackingTable();
    void coversLieAboveTheirCards();
    void tabOrder();
    void screenReader();
    void hostileCard();
};

void GameLayoutTest::window()
{
    Game g;
    frmFac& w = *g.w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Korvane II - QOR Flipper"));
    QCOMPARE(w.centralWidget()->size(), QSize(830, 470));
    QCOMPARE(w.size(), QSize(830, 470 + w.menuBar()->height()));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    // The 64 x 64 icon with the sizes drawn for small places: the window opens after the
    // title window has painted, so it takes them all at once.
    QList<QSize> iconSizes = w.windowIcon().availableSizes();
    std::sort(iconSizes.begin(), iconSizes.end(),
              [](QSize a, QSize b) { return a.width() < b.width(); });
    QCOMPARE(iconSizes, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}}));
    // One top-level command on the menu bar, no submenu.
    const QList<QAction*> items = w.menuBar()->actions();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0], w.mnuNewGame);
    QCOMPARE(items[0]->text(), QStringLiteral("New Game"));
    QVERIFY(items[0]->menu() == nullptr);
    QVERIFY(items[0]->shortcut().isEmpty());
    // Centred on the screen when first shown.
    const QPoint centre = w.screen()->availableGeometry().center();
    QVERIFY2((w.frameGeometry().center() - centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2")
                            .arg(w.frameGeometry().center().x())
                            .arg(w.frameGeometry().center().y())));
    // White client area and review frame.
    for (QWidget* white : {w.centralWidget(), w.fraFAC}) {
        QVERIFY(white->autoFillBackground());
        QCOMPARE(white->palette().color(QPalette::Window), QColor(Qt::white));
    }
}

void GameLayoutTest::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    for (const Place& p : kPlaces)
        QTest::newRow(p.name) << QString::fromLatin1(p.name) << QString::fromLatin1(p.container)
                              << QRect(pixels(p.left), pixels(p.top), pixels(p.width),
                                       pixels(p.height));
}

void GameLayoutTest::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    Game g(fixtureDeck(), false);
    auto* control = g.w->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), rect);
}

void GameLayoutTest::texts()
{
    Game g(fixtureDeck(), false);
    frmFac& w = *g.w;
    const char* captions[] = {
        "CF:", "RN:", "RESULT:", "RING POSITION:", "KD:", "KOR:", "KD2:", "KDC:",
        "J1:", "J2:", "J3:"};
    const int review[] = {21, 20, 11, 12, 19, 18, 17, 16, 15, 14, 13};
    for (int i = 0; i < 11; ++i) {
        QCOMPARE(w.Label1[i]->text(), QString::fromLatin1(captions[i]));
        QCOMPARE(w.Label1[review[i]]->text(), QString::fromLatin1(captions[i]));
        QCOMPARE(w.Label1[i]->objectName(), QStringLiteral("Label1_%1").arg(i));
    }
    QCOMPARE(w.lblClock->text(), QStringLiteral("3:00"));
    QCOMPARE(w.lblRound->text(), QStringLiteral("1"));
    QCOMPARE(w.Label4->text(), QStringLiteral("ROUND"));
    QCOMPARE(w.Label2->text(), QStringLiteral(" KILLER INSTINCT"));
    QCOMPARE(w.cmdFlip->text(), QStringLiteral("Flip QOR"));
    QCOMPARE(w.cmdRound->text(), QStringLiteral("Next Round"));
    QCOMPARE(w.cmdPick->text(), QStringLiteral("Pick Random FAC"));
    QCOMPARE(w.cmdFlip2->text(), QStringLiteral("Flip Non-Timed FAC"));
    QStringList items;
    for (int i = 0; i < w.cboKI->count(); ++i)
        items << w.cboKI->itemText(i);
    QCOMPARE(items, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    QVERIFY(w.cboKI->isEditable());
    QCOMPARE(w.cboKI->currentText(), QString());
    QCOMPARE(w.cboKI->insertPolicy(), QComboBox::NoInsert);
    QVERIFY(!w.lstFAC->isSortingEnabled());
    // Created state, before the opening runs.
    QVERIFY(!w.cmdRound->isEnabled());
    QVERIFY(!w.cmdFlip2->isEnabled() && w.cmdFlip2->isHidden());
    QVERIFY(w.cboKI->isHidden() && w.lstFAC->isHidden() && w.lblNo->isHidden());
    // Headings and labels that the layout aligns right or centre.
    QCOMPARE(w.Label1[2]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(w.Label1[0]->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(w.lblCF->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(w.lblRes->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(w.lblClock->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    // Only the six long-text labels show ampersands as they stand.
    for (QorLabel* l : {w.lblCond, w.lblInj, w.lblSA, w.lblCondb, w.lblInjb, w.lblSAb})
        QVERIFY(!l->accessKeys());
    for (QorLabel* l : {w.lblRes, w.lblPos, w.lblJ1, w.lblResb, w.lblKI, w.Label1[3]})
        QVERIFY(l->accessKeys());
}

void GameLayoutTest::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("face");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    QTest::newRow("lblCF") << "lblCF"
                           << "Arial" << 9.75 << true;
    QTest::newRow("lblRNb") << "lblRNb"
                            << "Arial" << 9.75 << true;
    QTest::newRow("lblRes") << "lblRes"
                            << "MS Sans Serif" << 9.75 << true;
    QTest::newRow("lblKDCb") << "lblKDCb"
                             << "MS Sans Serif" << 9.75 << true;
    QTest::newRow("lblCond") << "lblCond"
                             << "Arial Narrow" << 8.25 << true;
    QTest::newRow("lblSAb") << "lblSAb"
                            << "Arial Narrow" << 8.25 << true;
    QTest::newRow("Label1_3") << "Label1_3"
                              << "Arial" << 9.75 << true;
    QTest::newRow("Label1_17") << "Label1_17"
                               << "Arial" << 9.75 << true;
    QTest::newRow("lblClock") << "lblClock"
                              << "MS Sans Serif" << 18.0 << true;
    QTest::newRow("cmdFlip") << "cmdFlip"
                             << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("Label4") << "Label4"
                            << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("lblRound") << "lblRound"
                              << "MS Sans Serif" << 18.0 << true;
    QTest::newRow("cmdRound") << "cmdRound"
                              << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("Label2") << "Label2"
                            << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("lblKI") << "lblKI"
                           << "MS Sans Serif" << 13.5 << true;
    QTest::newRow("cboKI") << "cboKI"
                           << "MS Sans Serif" << 13.5 << false;
    QTest::newRow("cmdPick") << "cmdPick"
                             << "MS Sans Serif" << 8.25 << true;
    QTest::newRow("lblNo") << "lblNo"
                           << "MS Sans Serif" << 12.0 << true;
    QTest::newRow("cmdFlip2") << "cmdFlip2"
                              << "MS Sans Serif" << 8.25 << true;
}

void GameLayoutTest::fonts()
{
    QFETCH(QString, name);
    QFETCH(QString, face);
    QFETCH(double, points);
    QFETCH(bool, bold);
    Game g(fixtureDeck(), false);
    auto* control = g.w->findChild<QWidget*>(name);
    QVERIFY(control);
    const QFont font = control->font();
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.bold(), bold);
#ifdef Q_OS_WIN
    // Windows has the faces themselves; under Wine, whatever Wine provides stands in.
    QCOMPARE(font.family(), face);
    if (QFontInfo(font).family() != face)
        QSKIP(qPrintable("the face " + face + " is not installed here; it resolves to " +
                         QFontInfo(font).family()));
#endif
    // The named face, or its stand-in from the packages the play command installs.
    const QString used = QFontInfo(font).family();
    if (face == QLatin1String("Arial"))
        QVERIFY2(used == "Arial" || used == "Liberation Sans", qPrintable(used));
    else if (face == QLatin1String("Arial Narrow"))
        QVERIFY2(used == "Arial Narrow" || used == "Liberation Sans Narrow", qPrintable(used));
    else
        QVERIFY2(used == "MS Sans Serif" || used == "Liberation Sans", qPrintable(used));
}

void GameLayoutTest::colours()
{
    Game g(fixtureDeck(), false);
    frmFac& w = *g.w;
    const QColor white(255, 255, 255), red(255, 0, 0), yellow(255, 255, 0), blue(0, 0, 255),
        grey(224, 224, 224);
    QCOMPARE(w.lblClock->textColour(), yellow);
    QCOMPARE(w.lblRound->textColour(), blue);
    QCOMPARE(w.lblRound->fillColour(), grey);
    QCOMPARE(w.lblKI->textColour(), white);
    QCOMPARE(w.lblKI->fillColour(), red);
    QCOMPARE(w.Label2->textColour(), red);
    QCOMPARE(w.lblCF->fillColour(), white);
    QCOMPARE(w.lblSAb->fillColour(), white);
    QCOMPARE(w.Label1[7]->fillColour(), white);
    for (QorLabel* l : {w.Label4, w.lblRound, w.Label2, w.lblKI})
        QVERIFY(l->hasBorder());
    for (QorLabel* l : {w.lblClock, w.lblCF, w.lblSA, w.Label1[0], w.Label1[21], w.lblNo})
        QVERIFY(!l->hasBorder());
    // What the clock label actually draws: yellow on its fill, in a box with no frame.
    const QImage clock = w.lblClock->grab().toImage();
    QCOMPARE(clock.pixelColor(0, 0), w.lblClock->fillColour());
    QVERIFY(hasColour(clock, yellow.rgb()));
    const QImage ki = w.lblKI->grab().toImage();
    QCOMPARE(ki.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(ki.pixelColor(ki.width() / 2, ki.height() / 2), red);
}

void GameLayoutTest::cursors()
{
    Game g(fixtureDeck(), false);
    frmFac& w = *g.w;
    for (QWidget* hand :
         std::initializer_list<QWidget*>{w.cmdFlip, w.cmdRound, w.cmdPick, w.cmdFlip2, w.lblKI}) {
        QCOMPARE(hand->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(hand->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(hand->cursor().pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
    }
    for (QWidget* arrow : std::initializer_list<QWidget*>{w.Image1, w.imgFAC, w.lblCF, w.Label2,
                                                          w.lblClock, w.fraFAC, w.centralWidget()})
        QCOMPARE(arrow->cursor().shape(), Qt::ArrowCursor);
}

void GameLayoutTest::stackingTable()
{
    Game g(fixtureDeck(), false);
    frmFac& w = *g.w;
    // Top to bottom, as the layout lists them; the windowed controls lie above them all.
    const QList<QWidget*> window{
        w.imgFAC,    w.Image2,    w.Label4,    w.lblKI,     w.Label2,    w.Label1[10], w.Label1[9],
        w.Label1[8], w.Label1[7], w.Label1[6], w.Label1[5], w.Label1[4], w.Label1[3],  w.Label1[2],
        w.Label1[1], w.Label1[0], w.lblSA,     w.lblInj,    w.lblCond,   w.lblRound,   w.lblClock,
        w.lblNo,     w.lblJ3,     w.lblJ2,     w.lblJ1,     w.lblKDC,    w.lblKOR,     w.lblKD2,
        w.lblKD,     w.lblRes,    w.lblRN,     w.lblCF,     w.lblPos,    w.Image1};
    const QList<QWidget*> frame{
        w.imgFAC2,    w.Label1[21], w.Label1[20], w.Label1[19], w.Label1[18], w.Label1[17],
        w.Label1[16], w.Label1[15], w.Label1[14], w.Label1[13], w.lblCondb,   w.lblInjb,
        w.lblSAb,     w.lblJ1b,     w.lblJ2b,     w.lblJ3b,     w.lblKDb,     w.lblKD2b,
        w.lblKORb,    w.lblKDCb,    w.lblPosb,    w.lblResb,    w.Label1[12], w.Label1[11],
        w.lblCFb,     w.lblRNb,     w.Image3};
    for (const QList<QWidget*>* order : {&window, &frame}) {
        const QObjectList children = order->first()->parentWidget()->children();
        for (int i = 1; i < order->size(); ++i)
            QVERIFY2(children.indexOf(order->at(i - 1)) > children.indexOf(order->at(i)),
                     qPrintable(order->at(i - 1)->objectName() + " below " +
                                order->at(i)->objectName()));
    }
    const QObjectList children = w.centralWidget()->children();
    for (QWidget* windowed : std::initializer_list<QWidget*>{
             w.fraFAC, w.lstFAC, w.cmdFlip, w.cmdRound, w.cmdFlip2, w.cboKI, w.cmdPick})
        QVERIFY(children.indexOf(windowed) > children.indexOf(w.imgFAC));
}

void GameLayoutTest::coversLieAboveTheirCards()
{
    Game g;
    frmFac& w = *g.w;
    const QList<QorLabel*> main{w.lblPos,    w.lblCF,     w.lblRN,  w.lblRes, w.lblKD,
                                w.lblKD2,    w.lblKOR,    w.lblKDC, w.lblJ1,  w.lblJ2,
                                w.lblJ3,     w.lblCond,   w.lblInj, w.lblSA,  w.Label1[0],
                                w.Label1[3], w.Label1[10]};
    const QList<QorLabel*> review{w.lblPosb, w.lblCFb,  w.lblRNb,     w.lblResb,
                                  w.lblKDb,  w.lblKD2b, w.lblKORb,    w.lblKDCb,
                                  w.lblJ1b,  w.lblJ2b,  w.lblJ3b,     w.lblCondb,
                                  w.lblInjb, w.lblSAb,  w.Label1[11], w.Label1[21]};
    auto top = [](QWidget* control) {
        return control->parentWidget()->childAt(control->geometry().center());
    };
    for (QorLabel* l : main)
        QCOMPARE(top(l), static_cast<QWidget*>(w.imgFAC));
    for (QorLabel* l : review)
        QCOMPARE(top(l), static_cast<QWidget*>(w.imgFAC2));
    g.flips(2);
    g.click(w.cmdPick);
    // Uncovered, each label lies above its card picture.
    for (QList<QorLabel*> labels : {main, review})
        for (QorLabel* l : labels)
            QCOMPARE(top(l), static_cast<QWidget*>(l));
    // Clicking where the hidden non-timed button lies does nothing.
    const int flips = g.data.facCount;
    QTest::mouseClick(w.centralWidget(), Qt::LeftButton, {},
                      w.cmdFlip2->geometry().topLeft() + QPoint(10, 3));
    QCOMPARE(g.data.facCount, flips);
}

void GameLayoutTest::tabOrder()
{
    Game g;
    frmFac& w = *g.w;
    auto tab = [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    QCOMPARE(QApplication::focusWidget(), w.cmdFlip);
    // Next Round disabled, the list hidden, the non-timed button hidden: straight to Pick.
    QCOMPARE(tab(), w.cmdPick);
    QCOMPARE(tab(), w.cmdFlip);

    g.toEndOfRound();
    g.click(w.lblKI);
    w.cmdFlip->setFocus();
    QCOMPARE(tab(), w.cmdRound);
    QCOMPARE(tab(), w.cboKI);
    QCOMPARE(tab(), w.cmdPick);
    QCOMPARE(tab(), w.cmdFlip);
}

void GameLayoutTest::screenReader()
{
    Game g;
    frmFac& w = *g.w;
    g.flip();
    const int card = g.data.deck[1];
    const QList<QorLabel*> labels = w.findChildren<QorLabel*>();
    QCOMPARE(labels.size(), 22 + 14 + 14 + 6);
    for (QorLabel* l : labels)
        QVERIFY2(l->accessibleName().isEmpty(), qPrintable(l->objectName()));

    struct Expect
    {
        QWidget* control;
        QString name;
        QString description;
    };
    const QList<Expect> expected{
        {w.lblPos, "Pos " + QString::number(card), "Ring position"},
        {w.lblRes, "Res " + QString::number(card), "Result"},
        {w.lblCF, QString::number(card), "CF"},
        {w.lblCond, "Cond " + QString::number(card), "Condition"},
        {w.lblClock, "2:57", "Round clock"},
        {w.lblRound, "1", "Round"},
        {w.lblKI, "", "Killer Instinct"},
        {w.Label1[3], "RING POSITION:", ""},
        {w.cmdFlip, "Flip QOR", ""},
        {w.cmdPick, "Pick Random FAC", ""},
        {w.cmdRound, "Next Round", ""},
    };
    for (const Expect& e : expected) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(e.control);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), e.name);
        if (!e.description.isEmpty())
            QCOMPARE(face->text(QAccessible::Description), e.description);
    }
    QVERIFY(QAccessible::queryAccessibleInterface(w.lblSAb)
                ->text(QAccessible::Description)
                .contains(QStringLiteral("Special action")));
    QCOMPARE(QAccessible::queryAccessibleInterface(w.imgFAC2)->text(QAccessible::Name),
             QStringLiteral("Recalled card face down"));
}

void GameLayoutTest::hostileCard()
{
    QTemporaryDir pictures;
    const QString red = pictures.filePath(QStringLiteral("red.png"));
    QImage solid(60, 20, QImage::Format_RGB32);
    solid.fill(QColor(255, 0, 0));
    QVERIFY(solid.save(red));

    const QString html = "<img src=" + red + " width=60 height=20><b>Bold</b> & more";
    const QString cond = "Cond & more && <i>x</i>";
    const QString huge = QString(QStringLiteral("Words ")).repeated(1666) + "WXYZ"; // 10,000
    QCOMPARE(huge.size(), 10000);
    Game g(fixtureDeck(100, [&](int k, QStringList& f) {
        if (k > 2)
            return;
        f[4] = '"' + html + '"';  // Res
        f[9] = "\"&&\"";          // J1
        f[12] = '"' + cond + '"'; // Cond
        f[14] = '"' + huge + '"'; // SA
    }));
    frmFac& w = *g.w;
    g.data.curFAC = 1;
    w.pickFAC2();
    w.lstFAC->addItems({"1", "2"});
    g.world.random.push({0.0});
    g.click(w.cmdPick);
    g.click(w.cmdFlip); // uncovers the main panel (a timed card replaces card 1)
    g.data.curFAC = 1;
    w.pickFAC2();

    // Stored and named as they stand; drawn as plain text.
    QCOMPARE(w.lblRes->text(), html);
    QCOMPARE(w.lblSA->text(), huge);
    QCOMPARE(w.lblSAb->text(), huge);
    for (QorLabel* l : w.findChildren<QorLabel*>())
        QCOMPARE(l->textFormat(), Qt::PlainText);
    QCOMPARE(w.lblRes->shownText(), "<img src=" + red + " width=60 height=20><b>Bold</b>  more");
    QCOMPARE(w.lblJ1->shownText(), QStringLiteral("&"));
    QCOMPARE(w.lblCond->shownText(), cond);
    QCOMPARE(w.lblCondb->shownText(), cond);

    // The picture named in the text never appears, though a label left to guess the format
    // would load and show it.
    w.lblRes->setFixedWidth(300); // room for the picture, were it drawn
    QVERIFY(!hasColour(w.lblRes->grab().toImage(), qRgb(255, 0, 0)));
    QLabel guessing(html);
    guessing.resize(300, 40);
    QVERIFY(hasColour(guessing.grab().toImage(), qRgb(255, 0, 0)));

    // The long text fills the label down to its bottom edge, where it is cut off.
    const QImage sa = w.lblSA->grab().toImage();
    QCOMPARE(sa.size(), w.lblSA->size());
    bool inkAtTheBottom = false;
    for (int y = sa.height() - 8; y < sa.height(); ++y)
        for (int x = 0; x < sa.width(); ++x)
            inkAtTheBottom = inkAtTheBottom || qGray(sa.pixel(x, y)) < 128;
    QVERIFY(inkAtTheBottom);
    QCOMPARE(QAccessible::queryAccessibleInterface(w.lblSA)->text(QAccessible::Name), huge);
}

QTEST_MAIN(GameLayoutTest)
#include "tst_gamelayout.moc"
