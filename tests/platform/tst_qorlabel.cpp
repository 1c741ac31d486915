// The label layer: access keys, plain text only, fill, border, top alignment, word wrap,
// the cut at the bottom edge, clicks, and what a screen reader hears.

#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"

#include <QAccessible>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

QorLabel* makeLabel(QWidget* parent, const QString& text, QSize size = QSize(120, 40))
{
    auto* label = new QorLabel(parent);
    label->resize(size);
    label->setFillColour(Qt::white);
    label->setTextColour(Qt::black);
    label->setText(text);
    return label;
}

// Rows (from the top) that hold any dark pixel.
QList<int> inkedRows(const QImage& image)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                rows.append(y);
                break;
            }
    return rows;
}

} // namespace

class QorLabelTest : public QObject
{
    Q_OBJECT

  private slots:
    void accessKeys_data();
    void accessKeys();
    void longTextsKeepTheirAmpersands();
    void accessKeyIsDrawnUnderlined();
    void neverRichText();
    void opaqueFillAndBorder();
    void textStartsAtTheTop();
    void wrapsAtBlanksAndCutsAtTheBottom();
    void clicks();
    void screenReaderHearsTheText();
    void missingPictureDrawsNothing();
};

void QorLabelTest::accessKeys_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("underlined");
    QTest::newRow("plain") << "Jab"
                           << "Jab" << QList<int>{};
    QTest::newRow("key first") << "&Hook"
                               << "Hook" << QList<int>{0};
    QTest::newRow("key inside") << "Up&per"
                                << "Upper" << QList<int>{2};
    QTest::newRow("double ampersand shows one") << "R&&B"
                                                << "R&B" << QList<int>{};
    QTest::newRow("triple: one shown, next char keyed") << "&&&x"
                                                        << "&x" << QList<int>{1};
    QTest::newRow("two keys") << "a&b&c"
                              << "abc" << QList<int>{1, 2};
    QTest::newRow("lone ampersand at the end") << "end&"
                                               << "end" << QList<int>{};
    QTest::newRow("ampersand before a blank") << "A & B"
                                              << "A  B" << QList<int>{2};
    QTest::newRow("empty") << ""
                           << "" << QList<int>{};
}

void QorLabelTest::accessKeys()
{
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QFETCH(QList<int>, underlined);
    const AccessKeyText parsed = parseAccessKeys(raw);
    QCOMPARE(parsed.text, shown);
    QCOMPARE(parsed.underlined, underlined);

    QWidget host;
    QorLabel* label = makeLabel(&host, raw);
    QCOMPARE(label->text(), raw);
    QCOMPARE(label->shownText(), shown);
}

void QorLabelTest::longTextsKeepTheirAmpersands()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QStringLiteral("Cut & swelling && more &"));
    label->setAccessKeys(false);
    QCOMPARE(label->shownText(), QStringLiteral("Cut & swelling && more &"));
}

void QorLabelTest::accessKeyIsDrawnUnderlined()
{
    QWidget host;
    QorLabel* keyed = makeLabel(&host, QStringLiteral("&Wx"));
    QorLabel* plain = makeLabel(&host, QStringLiteral("Wx"));
    QorLabel* doubled = makeLabel(&host, QStringLiteral("W&&"));
    QorLabel* single = makeLabel(&host, QStringLiteral("W&"));
    single->setAccessKeys(false);
    const QImage a = keyed->grab().toImage();
    const QImage b = plain->grab().toImage();
    QVERIFY(a != b);
    // The underline adds ink below the letters, nothing else moves.
    QVERIFY(inkedRows(a).last() > inkedRows(b).last());
    QCOMPARE(doubled->grab().toImage(), single->grab().toImage());
}

void QorLabelTest::neverRichText()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QStringLiteral("<b>x</b>"));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QorLabel* literal = makeLabel(&host, QStringLiteral("<b>x</b>"));
    literal->setAccessKeys(false);
    QorLabel* bold = makeLabel(&host, QStringLiteral("x"));
    QFont font = bold->font();
    font.setBold(true);
    bold->setFont(font);
    QVERIFY(label->grab().toImage() != bold->grab().toImage());
    QCOMPARE(label->grab().toImage(), literal->grab().toImage());
}

void QorLabelTest::opaqueFillAndBorder()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QString(), QSize(40, 20));
    label->setFillColour(QColor(255, 0, 0));
    QImage image = label->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(39, 19), QColor(255, 0, 0));

    label->setBorder(true);
    image = label->grab().toImage();
    for (QPoint edge :
         {QPoint(0, 0), QPoint(39, 0), QPoint(0, 19), QPoint(39, 19), QPoint(20, 0), QPoint(0, 10)})
        QCOMPARE(image.pixelColor(edge), QColor(Qt::black));
    // One pixel wide and flat: the next pixel in is the fill again.
    QCOMPARE(image.pixelColor(1, 1), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(38, 18), QColor(255, 0, 0));
}

void QorLabelTest::textStartsAtTheTop()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QStringLiteral("X"), QSize(60, 100));
    const QList<int> rows = inkedRows(label->grab().toImage());
    QVERIFY(!rows.isEmpty());
    QVERIFY2(rows.last() < 25, qPrintable(QString::number(rows.last())));
}

void QorLabelTest::wrapsAtBlanksAndCutsAtTheBottom()
{
    QWidget host;
    const QString words = QStringLiteral("one two three four five six seven eight nine ten");
    QorLabel* narrow = makeLabel(&host, words, QSize(60, 200));
    QorLabel* wide = makeLabel(&host, words, QSize(1000, 200));
    const int lineHeight = narrow->fontMetrics().height();
    // Several lines when narrow, one when wide.
    QVERIFY(inkedRows(narrow->grab().toImage()).last() > 3 * lineHeight);
    QVERIFY(inkedRows(wide->grab().toImage()).last() < lineHeight + 2);

    // What does not fit is cut off: nothing is drawn outside, the label keeps its size.
    QorLabel* cut = makeLabel(&host, words.repeated(200), QSize(60, lineHeight + 4));
    const QImage image = cut->grab().toImage();
    QCOMPARE(image.size(), QSize(60, lineHeight + 4));
    QVERIFY(inkedRows(image).last() >= lineHeight);

    // A word wider than the label stays whole on its line rather than breaking.
    QorLabel* word = makeLabel(&host, QStringLiteral("WWWWWWWWWWWW"), QSize(30, 200));
    QVERIFY(inkedRows(word->grab().toImage()).last() < lineHeight + 2);
}

void QorLabelTest::clicks()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QStringLiteral("7"));
    QSignalSpy clicked(label, &QorLabel::clicked);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QTest::mouseClick(label, Qt::RightButton);
    QCOMPARE(clicked.size(), 1);
    // Pressed inside, released outside: no click.
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(500, 5));
    QCOMPARE(clicked.size(), 1);
}

void QorLabelTest::screenReaderHearsTheText()
{
    QWidget host;
    QorLabel* label = makeLabel(&host, QStringLiteral("Uppercut"));
    label->setAccessibleDescription(QStringLiteral("Result"));
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(label);
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::StaticText);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Uppercut"));
    QCOMPARE(face->text(QAccessible::Description), QStringLiteral("Result"));
    label->setText(QStringLiteral("Hook"));
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Hook"));
}

void QorLabelTest::missingPictureDrawsNothing()
{
    QWidget host;
    host.resize(50, 50);
    auto* picture = new QorPicture(&host);
    picture->resize(50, 50);
    picture->setPicture(QStringLiteral(":/no/such/picture.png"));
    QVERIFY(picture->picture().isNull());
    picture->setStretch(true);
    (void)picture->grab(); // draws nothing, and does not fail
    picture->setPicture(QStringLiteral(":/art/card_back.png"));
    QVERIFY(!picture->picture().isNull());
    QCOMPARE(picture->picture().deviceIndependentSize().toSize(), QSize(229, 353));
}

QTEST_MAIN(QorLabelTest)
#include "tst_qorlabel.moc"
