#include "cards/textrules.h"

#include <QtTest>
#include <cmath>

class TestTextRules : public QObject
{
    Q_OBJECT

  private slots:
    void value_data();
    void value();
    void text_data();
    void text();
    void wholeText_data();
    void wholeText();
};

void TestTextRules::value_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("whole number") << "7" << 7.0;
    QTest::newRow("empty text") << "" << 0.0;
    QTest::newRow("leading blanks skipped") << "   10" << 10.0;
    QTest::newRow("leading tab skipped") << "\t3" << 3.0;
    QTest::newRow("negative") << "-2" << -2.0;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("fraction") << "2.5" << 2.5;
    QTest::newRow("fraction without whole part") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("text after the number ignored") << "12 rounds" << 12.0;
    QTest::newRow("no number") << "Ropes" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("blanks alone") << "   " << 0.0;
    QTest::newRow("letter first") << "x1" << 0.0;
    QTest::newRow("second point ends the number") << "1.2.3" << 1.2;
    QTest::newRow("very long number") << QString(400, u'9') << HUGE_VAL;
}

void TestTextRules::value()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingNumber(text), value);
}

void TestTextRules::text_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("nine") << 9.0 << "9";
    QTest::newRow("minus one") << -1.0 << "-1";
    QTest::newRow("fifty-one") << 51.0 << "51";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("two and a half") << 2.5 << "2.5";
    QTest::newRow("a tenth") << 0.1 << "0.1";
    QTest::newRow("large, no exponent") << 1e6 << "1000000";
    QTest::newRow("largest 16-bit") << 32767.0 << "32767";
}

void TestTextRules::text()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(decimalText(value), text);
}

void TestTextRules::wholeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("number") << "37" << true << 37.0;
    QTest::newRow("blanks around") << "  37  " << true << 37.0;
    QTest::newRow("negative fraction") << "-1.5" << true << -1.5;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blanks only") << "   " << false << 0.0;
    QTest::newRow("text") << "Ropes" << false << 0.0;
    QTest::newRow("number then text") << "37a" << false << 0.0;
    QTest::newRow("two numbers") << "3 7" << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
}

void TestTextRules::wholeText()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const auto number = numberFromWholeText(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
