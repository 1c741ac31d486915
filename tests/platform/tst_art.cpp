// The embedded pictures: each one is there at its exact size, with its @2x twin, the maker's
// logo in greys, the window icon's small sizes, and the cursor's hot spot is the fingertip.

#include "flipper/faclayout.h"

#include <QImage>
#include <QtTest>

class tst_Art : public QObject
{
    Q_OBJECT

  private slots:
    void picture_data();
    void picture();
    void hicolorIcon_data();
    void hicolorIcon();
    void embeddedIconSize_data();
    void embeddedIconSize();
    void makerLogoIsStoredAsGreys_data();
    void makerLogoIsStoredAsGreys();
    void cursorHotSpotIsTheFingertip_data();
    void cursorHotSpotIsTheFingertip();
    void cardCellsAreWhiteUnderTheLabels_data();
    void cardCellsAreWhiteUnderTheLabels();
};

void tst_Art::picture_data()
{
    using namespace faclayout;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("blank card on a stack") << "card_stack" << QSize(kStackCardW, kStackCardH);
    QTest::newRow("blank card") << "card_blank" << QSize(kBlankCardW, kBlankCardH);
    QTest::newRow("card back") << "card_back" << QSize(kCardBackW, kCardBackH);
    QTest::newRow("title logo") << "title_logo" << QSize(kTitleLogoW, kTitleLogoH);
    QTest::newRow("window icon") << "icon" << QSize(kIconSize, kIconSize);
    QTest::newRow("hand cursor") << "hand_cursor" << QSize(32, 32);
    QTest::newRow("maker's logo") << "maker_logo" << QSize(731, 669);
    QTest::newRow("product logo") << "product_logo" << QSize(69, 69);
}

void tst_Art::picture()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage normal(":/art/" + name + ".png");
    QVERIFY2(!normal.isNull(), qPrintable(name));
    QCOMPARE(normal.size(), size);
    const QImage twice(":/art/" + name + "@2x.png");
    QVERIFY2(!twice.isNull(), qPrintable(name + "@2x"));
    QCOMPARE(twice.size(), size * 2);
}

void tst_Art::hicolorIcon_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48, 128, 256})
        QTest::addRow("%d px", size) << size;
}

void tst_Art::hicolorIcon()
{
    // Not embedded: installed into the icon theme from the source folder.
    QFETCH(int, size);
    const QImage icon(QStringLiteral(QOR_ART_DIR "/icon_%1.png").arg(size));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(size, size));
}

void tst_Art::embeddedIconSize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48})
        QTest::addRow("%d px", size) << size;
}

void tst_Art::embeddedIconSize()
{
    // The small sizes the window icon gains once the title window has painted.
    QFETCH(int, size);
    const QImage icon(QStringLiteral(":/art/icon_%1.png").arg(size));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
}

void tst_Art::makerLogoIsStoredAsGreys_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("1x") << "maker_logo";
    QTest::newRow("2x") << "maker_logo@2x";
}

void tst_Art::makerLogoIsStoredAsGreys()
{
    // Black on white with grey edges: 8-bit greys decode several times faster than RGB, and
    // the title window waits for this picture. Both inks are there, and the edges between.
    QFETCH(QString, name);
    const QImage logo(":/art/" + name + ".png");
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.format(), QImage::Format_Grayscale8);
    QCOMPARE(logo.pixel(0, 0), qRgb(255, 255, 255));
    bool black = false, grey = false;
    for (int y = 0; y < logo.height(); ++y) {
        const uchar* line = logo.constScanLine(y);
        for (int x = 0; x < logo.width(); ++x) {
            black |= line[x] == 0;
            grey |= line[x] > 0 && line[x] < 255;
        }
    }
    QVERIFY(black);
    QVERIFY(grey);
}

void tst_Art::cursorHotSpotIsTheFingertip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << "hand_cursor" << 1;
    QTest::newRow("2x") << "hand_cursor@2x" << 2;
}

void tst_Art::cursorHotSpotIsTheFingertip()
{
    QFETCH(QString, name);
    QFETCH(int, scale);
    const QImage hand = QImage(":/art/" + name + ".png").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!hand.isNull());
    const QPoint tip(12 * scale, 1 * scale);
    // The fingertip's outline is dark and opaque at the hot spot, nothing lies above it.
    QVERIFY(qAlpha(hand.pixel(tip)) > 200);
    QVERIFY(qGray(hand.pixel(tip)) < 100);
    for (int y = 0; y < tip.y(); ++y)
        QCOMPARE(qAlpha(hand.pixel(tip.x(), y)), 0);
    // Inside the finger, just below the tip, the hand is white.
    const QRgb inside = hand.pixel(tip.x() + scale / 2, tip.y() + 3 * scale);
    QVERIFY(qAlpha(inside) == 255 && qGray(inside) > 200);
    const int last = 32 * scale - 1;
    for (QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
        QCOMPARE(qAlpha(hand.pixel(corner)), 0);
}

void tst_Art::cardCellsAreWhiteUnderTheLabels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("review");
    QTest::newRow("blank card, review panel labels") << "card_blank" << true;
    QTest::newRow("card on the stack, main panel labels") << "card_stack" << false;
}

void tst_Art::cardCellsAreWhiteUnderTheLabels()
{
    // Every entry cell is white inside and framed just outside, where the label's edge lies.
    using namespace faclayout;
    QFETCH(QString, name);
    QFETCH(bool, review);
    const QImage card(":/art/" + name + ".png");
    QVERIFY(!card.isNull());
    const Twips& image = review ? kImage3 : kImage1;
    for (const EntryLabel& e : kEntryLabels) {
        const Twips& t = review ? e.review : e.main;
        const QRect r(px(t.left - image.left), px(t.top - image.top), px(t.width), px(t.height));
        QVERIFY2(card.rect().contains(r), e.mainName);
        const QPoint centre = r.center();
        QCOMPARE(card.pixel(centre), qRgb(255, 255, 255));
        QCOMPARE(card.pixel(r.left() + 1, r.top() + 1), qRgb(255, 255, 255));
        QVERIFY2(qGray(card.pixel(centre.x(), r.top() - 1)) < 160, e.mainName);
        QVERIFY2(qGray(card.pixel(r.left() - 1, centre.y())) < 160, e.mainName);
    }
}

QTEST_MAIN(tst_Art)
#include "tst_art.moc"
