#include "cardfakes.h"
#include "cards/facreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Card k in the writer's format, every field telling which card it came from.
QByteArray card(int k)
{
    return QStringLiteral("\"%1\",\"Pos %1\",%2,\"RN %1\",\"Res %1\",%3,%4,%5,%6,\"A%1\",\"B%1\","
                          "\"E%1\",\"Cond %1, with a comma\",\"Inj %1\",\"SA %1\"\r\n")
        .arg(k)
        .arg(k * 10)
        .arg(k % 4)
        .arg(-k)
        .arg(k + 1000)
        .arg(k % 3)
        .toLatin1();
}

QByteArray cards(int from, int to)
{
    QByteArray text;
    for (int k = from; k <= to; ++k)
        text += card(k);
    return text;
}

// True when entry slot holds card k exactly.
bool holdsCard(const FACRecord& r, int k)
{
    const QString n = QString::number(k);
    return r.No == n && r.Pos == "Pos " + n && r.CF == k * 10 && r.RN == "RN " + n &&
           r.Res == "Res " + n && r.KD == k % 4 && r.KD2 == -k && r.KOR == k + 1000 &&
           r.KDC == k % 3 && r.J1 == "A" + n && r.J2 == "B" + n && r.J3 == "E" + n &&
           r.Cond == "Cond " + n + ", with a comma" && r.Inj == "Inj " + n && r.SA == "SA " + n;
}

bool isEmpty(const FACRecord& r)
{
    return r.No.isEmpty() && r.Pos.isEmpty() && r.CF == 0 && r.RN.isEmpty() && r.Res.isEmpty() &&
           r.KD == 0 && r.KD2 == 0 && r.KOR == 0 && r.KDC == 0 && r.J1.isEmpty() &&
           r.J2.isEmpty() && r.J3.isEmpty() && r.Cond.isEmpty() && r.Inj.isEmpty() &&
           r.SA.isEmpty();
}

std::optional<ReadFailure> parse(const QByteArray& bytes, GameData& data)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return parseFACs(buffer, data);
}

// Serves an endless deck of well-formed cards and counts what was taken from it.
class EndlessDeck : public QIODevice
{
  public:
    qint64 served = 0;
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* out, qint64 max) override
    {
        const QByteArray line = card(1);
        for (qint64 i = 0; i < max; ++i)
            out[i] = line[(served + i) % line.size()];
        served += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

// A disk that fails after the first card: reads then end in an error, not at the end.
class FailingDisk : public QIODevice
{
  public:
    qint64 size() const override { return 1'000'000; }

  protected:
    qint64 readData(char* out, qint64 max) override
    {
        if (m_done) {
            setErrorString(QStringLiteral("sector not found"));
            return -1;
        }
        m_done = true;
        const QByteArray first = card(1);
        const qint64 n = std::min<qint64>(max, first.size());
        memcpy(out, first.constData(), n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    bool m_done = false;
};

} // namespace

class TestFacReader : public QObject
{
    Q_OBJECT

  private slots:
    void wellFormedDecks_data();
    void wellFormedDecks();
    void failures_data();
    void failures();
    void valueRules_data();
    void valueRules();
    void brokenRecordKeepsFieldsReadBeforeTheFailure();
    void hundredAndFirstCardIsStoredNowhere();
    void unquotedCommaShiftsLaterValues();
    void stopsEarlyOnAnEndlessFile();
    void overlongValueStopsTheRead();
    void diskErrorIsNotTakenForTheEnd();
    void failureText();

    void missingFile();
    void folderNamedLikeTheFile();
    void unreadableFile();
    void relativeNameReadsFromTheWorkingFolder();
    void repeatedReadsKeepEntriesBeyondReach();
    void bundledDeck();
};

void TestFacReader::wellFormedDecks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");

    QTest::newRow("100 records ending with one CR LF") << cards(1, 100) << 100;
    QTest::newRow("60 records, nothing after the last line break") << cards(1, 60) << 60;
    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("last line without its line break") << cards(1, 3).chopped(2) << 3;
    QByteArray lf = cards(1, 5);
    lf.replace("\r\n", "\n");
    QTest::newRow("lone LF line ends") << lf << 5;
    QByteArray cr = cards(1, 5);
    cr.replace("\r\n", "\r");
    QTest::newRow("lone CR line ends") << cr << 5;
    QByteArray oneLine = cards(1, 4);
    oneLine.replace("\r\n", ",");
    oneLine.chop(1);
    QTest::newRow("several records on one line") << oneLine << 4;
    QByteArray split = cards(1, 2);
    split.replace("\"Res 1\",", "\"Res 1\"\r\n");
    QTest::newRow("record split over two lines") << split << 2;
    QTest::newRow("byte order mark at the start") << QByteArray("\xEF\xBB\xBF") + cards(1, 2) << 2;
}

void TestFacReader::wellFormedDecks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    GameData data;
    const auto failure = parse(bytes, data);
    QVERIFY2(!failure, failure ? qPrintable(readFailureText(*failure)) : "");
    QCOMPARE(data.facsRead, count);
    for (int k = 1; k <= count; ++k)
        QVERIFY2(holdsCard(data.FACs[k], k), qPrintable(QString::number(k)));
    for (int k = count + 1; k <= 100; ++k)
        QVERIFY(isEmpty(data.FACs[k]));
}

void TestFacReader::failures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("count");

    QTest::newRow("trailing blank line after 100 records")
        << cards(1, 100) + "\r\n"
        << 9
        << "Subscript out of range: the file goes on after card 100, line 101; a deck holds at "
           "most 100 cards and nothing may follow the line break of the last one"
        << 100;
    QTest::newRow("101 records")
        << cards(1, 101) << 9
        << "Subscript out of range: the file goes on after card 100, line 101; a deck holds at "
           "most 100 cards and nothing may follow the line break of the last one"
        << 100;
    QTest::newRow("60 records then a blank line")
        << cards(1, 60) + "\r\n"
        << 62 << "Input past end of file: card 61 ends after field 1 (No), line 61" << 60;
    QTest::newRow("record cut short after 7 values")
        << cards(1, 2) + "\"3\",\"Ropes\",1,\"RN\",\"Jab\",0,0\r\n"
        << 62 << "Input past end of file: card 3 ends after field 7 (KD2), line 3" << 2;
    QTest::newRow("only blanks after the last record")
        << cards(1, 2) + "   " << 62
        << "Input past end of file: card 3 ends before field 1 (No), line 3" << 2;
    QTest::newRow("quote never closed")
        << cards(1, 1) + "\"2\",\"Ropes\",3,\"RN\r\nmore, text" << 62
        << "Input past end of file: card 2 ends after field 4 (RN), line 3; the quote that opens "
           "field 4 (RN) on line 2 is never closed"
        << 1;
    QTest::newRow("number above 32767")
        << cards(1, 1) + "\"2\",\"Ropes\",32768,\"RN\"\r\n"
        << 6 << "Overflow: card 2, field 3 (CF) holds 32768, outside -32768 to 32767, line 2" << 1;
    QTest::newRow("number below -32768")
        << cards(1, 1) + "\"2\",\"Ropes\",1,\"RN\",\"Jab\",0,0,0,-32769\r\n"
        << 6 << "Overflow: card 2, field 9 (KDC) holds -32769, outside -32768 to 32767, line 2"
        << 1;
    QTest::newRow("fraction rounding past 32767")
        << QByteArray("\"1\",\"Ropes\",32767.5,\"RN\"") << 6
        << "Overflow: card 1, field 3 (CF) holds 32767.5, outside -32768 to 32767, line 1" << 0;
    QTest::newRow("percent sign in the value shown as written")
        << QByteArray("\"1\",\"Ropes\",99999%4") << 6
        << "Overflow: card 1, field 3 (CF) holds 99999%4, outside -32768 to 32767, line 1" << 0;
    QTest::newRow("a long number is shortened in the message")
        << QByteArray("\"1\",\"Ropes\",1234567890123456789012345678901234567890") << 6
        << "Overflow: card 1, field 3 (CF) holds 123456789012345678901234..., outside -32768 to "
           "32767, line 1"
        << 0;
}

void TestFacReader::failures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(int, count);
    GameData data;
    const auto failure = parse(bytes, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, number);
    QCOMPARE(failure->description, description);
    QCOMPARE(data.facsRead, count);
    for (int k = 1; k <= count; ++k)
        QVERIFY(holdsCard(data.FACs[k], k));
}

void TestFacReader::valueRules_data()
{
    // One record; the row checks Pos (field 2, text) and CF (field 3, number).
    QTest::addColumn<QByteArray>("pos");
    QTest::addColumn<QByteArray>("cf");
    QTest::addColumn<QString>("posRead");
    QTest::addColumn<int>("cfRead");

    QTest::newRow("quoted comma") << QByteArray("\"Ropes, Blue Side\"") << QByteArray("3")
                                  << "Ropes, Blue Side" << 3;
    QTest::newRow("quoted blanks kept")
        << QByteArray("\"  Ropes  \"") << QByteArray("3") << "  Ropes  " << 3;
    QTest::newRow("blanks around unquoted values dropped")
        << QByteArray("   Center Ring   ") << QByteArray("  42  ") << "Center Ring" << 42;
    QTest::newRow("text after a closing quote dropped")
        << QByteArray("\"Corner\" junk\"more") << QByteArray("3") << "Corner" << 3;
    QTest::newRow("empty values") << QByteArray("") << QByteArray("") << "" << 0;
    QTest::newRow("number field holding X")
        << QByteArray("\"Center\"") << QByteArray("X") << "Center" << 0;
    QTest::newRow("number followed by text") << QByteArray("C") << QByteArray("12abc") << "C" << 12;
    QTest::newRow("quoted number") << QByteArray("C") << QByteArray("\"7\"") << "C" << 7;
    QTest::newRow("smallest number") << QByteArray("C") << QByteArray("-32768") << "C" << -32768;
    QTest::newRow("largest number") << QByteArray("C") << QByteArray("+32767") << "C" << 32767;
    QTest::newRow("fraction rounds down") << QByteArray("C") << QByteArray("2.4") << "C" << 2;
    QTest::newRow("fraction half rounds away from zero")
        << QByteArray("C") << QByteArray("2.5") << "C" << 3;
    QTest::newRow("negative fraction half") << QByteArray("C") << QByteArray("-2.5") << "C" << -3;
    QTest::newRow("fraction just inside the range")
        << QByteArray("C") << QByteArray("32767.4") << "C" << 32767;
    QTest::newRow("UTF-8 text") << QByteArray("\"Esquina \xC3\xA9\xE2\x80\x9C\"") << QByteArray("1")
                                << QString::fromUtf8("Esquina \xC3\xA9\xE2\x80\x9C") << 1;
    QTest::newRow("Windows-1252 text")
        << QByteArray("\"Esquina \xE9 \x93x\x94 \x80\"") << QByteArray("1")
        << QString::fromUtf8("Esquina \xC3\xA9 \xE2\x80\x9Cx"
                             "\xE2\x80\x9D \xE2\x82\xAC")
        << 1;
    QTest::newRow("quoted value across a line break")
        << QByteArray("\"Ropes\r\nCorner\"") << QByteArray("1") << "Ropes\nCorner" << 1;
    QTest::newRow("quote inside an unquoted value kept")
        << QByteArray("6\" ropes") << QByteArray("1") << "6\" ropes" << 1;
}

void TestFacReader::valueRules()
{
    QFETCH(QByteArray, pos);
    QFETCH(QByteArray, cf);
    QFETCH(QString, posRead);
    QFETCH(int, cfRead);
    GameData data;
    const QByteArray line = "\"1\"," + pos + "," + cf +
                            ",\"RN\",\"Jab\",1,2,3,4,\"A\",\"B\",\"E\",\"C\",\"I\",\"S\"\r\n";
    const auto failure = parse(line, data);
    QVERIFY2(!failure, failure ? qPrintable(readFailureText(*failure)) : "");
    QCOMPARE(data.facsRead, 1);
    QCOMPARE(data.FACs[1].Pos, posRead);
    QCOMPARE(data.FACs[1].CF, cfRead);
    QCOMPARE(data.FACs[1].RN, "RN");
    QCOMPARE(data.FACs[1].KDC, 4);
    QCOMPARE(data.FACs[1].SA, "S");
}

void TestFacReader::brokenRecordKeepsFieldsReadBeforeTheFailure()
{
    GameData data;
    data.FACs[2].RN = "old RN";
    const auto failure = parse(cards(1, 1) + "\"2\",\"Ropes\",99999,\"RN\"", data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 6);
    QCOMPARE(data.facsRead, 1);
    QCOMPARE(data.FACs[2].No, "2");
    QCOMPARE(data.FACs[2].Pos, "Ropes");
    QCOMPARE(data.FACs[2].CF, 0);
    QCOMPARE(data.FACs[2].RN, "old RN");
}

void TestFacReader::hundredAndFirstCardIsStoredNowhere()
{
    GameData data;
    QByteArray text = cards(1, 100) + card(101);
    const auto failure = parse(text, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 9);
    for (int k = 1; k <= 100; ++k)
        QVERIFY(holdsCard(data.FACs[k], k));
}

void TestFacReader::unquotedCommaShiftsLaterValues()
{
    GameData data;
    const auto failure = parse(
        "\"1\",Ropes, Blue Side,3,\"RN\",\"Jab\",1,2,3,4,\"A\",\"B\",\"E\",\"C\",\"I\",\"S\"\r\n",
        data);
    // Sixteen values: the last one starts card 2, which then meets the end of the file.
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(failure->description,
             "Input past end of file: card 2 ends after field 1 (No), line 1");
    QCOMPARE(data.facsRead, 1);
    QCOMPARE(data.FACs[1].Pos, "Ropes");
    QCOMPARE(data.FACs[1].CF, 0);
    QCOMPARE(data.FACs[1].RN, "3");
    QCOMPARE(data.FACs[1].SA, "I");
    QCOMPARE(data.FACs[2].No, "S");
}

void TestFacReader::stopsEarlyOnAnEndlessFile()
{
    EndlessDeck endless;
    endless.open(QIODevice::ReadOnly);
    GameData data;
    const auto failure = parseFACs(endless, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 9);
    QCOMPARE(data.facsRead, 100);
    // 100 short cards are about 11 kB; the reader may read ahead one chunk, no more.
    QVERIFY2(endless.served < 256 * 1024, qPrintable(QString::number(endless.served)));
}

void TestFacReader::overlongValueStopsTheRead()
{
    GameData data;
    const auto failure = parse("\"1\",\"" + QByteArray(2 * 1024 * 1024, 'x'), data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 14);
    QCOMPARE(failure->description,
             "Out of string space: card 1, field 2 (Pos) is longer than 1048576 bytes, starting "
             "on line 1");
    QCOMPARE(data.FACs[1].No, "1");
    QVERIFY(data.FACs[1].Pos.isEmpty());
}

void TestFacReader::diskErrorIsNotTakenForTheEnd()
{
    FailingDisk disk;
    disk.open(QIODevice::ReadOnly);
    GameData data;
    const auto failure = parseFACs(disk, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 57);
    QCOMPARE(failure->description,
             "Device I/O error: reading stopped at line 2 (sector not found)");
    QCOMPARE(data.facsRead, 1);
}

void TestFacReader::failureText()
{
    QCOMPARE(readFailureText({53, "File not found: x"}),
             "Error 53 trying to read FACs.\r\nFile not found: x");
}

void TestFacReader::missingFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    GameData data;
    data.facsRead = 7;
    data.FACs[3].No = "kept";
    RecordingMessages messages;
    readFACs(data, messages, name);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].caption, "KRVN_QOR");
    QCOMPARE(messages.shown[0].text,
             "Error 53 trying to read FACs.\r\nFile not found: " + QDir::toNativeSeparators(name));
    QCOMPARE(data.facsRead, 0);
    QCOMPARE(data.FACs[3].No, "kept");
}

void TestFacReader::folderNamedLikeTheFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QVERIFY(QDir().mkdir(name));
    GameData data;
    RecordingMessages messages;
    readFACs(data, messages, name);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, "Error 75 trying to read FACs.\r\nPath/File access error: " +
                                         QDir::toNativeSeparators(name) +
                                         " is a folder, not a file");
    QCOMPARE(data.facsRead, 0);
}

void TestFacReader::unreadableFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(card(1));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
    if (QFile probe(name); probe.open(QIODevice::ReadOnly))
        QSKIP("this user may read any file (root): no permission failure to provoke");
    GameData data;
    RecordingMessages messages;
    readFACs(data, messages, name);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, "Error 75 trying to read FACs.\r\nPath/File access error: " +
                                         QDir::toNativeSeparators(name) +
                                         " cannot be opened for reading (permission denied)");
    QCOMPARE(data.facsRead, 0);
}

void TestFacReader::relativeNameReadsFromTheWorkingFolder()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("fac_data.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cards(1, 3));
    file.close();
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    GameData data;
    RecordingMessages messages;
    readFACs(data, messages);
    QDir::setCurrent(before);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(data.facsRead, 3);
    QVERIFY(holdsCard(data.FACs[3], 3));
    QVERIFY(!file.isOpen());
}

void TestFacReader::repeatedReadsKeepEntriesBeyondReach()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    auto writeDeck = [&](const QByteArray& bytes) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    GameData data;
    RecordingMessages messages;
    writeDeck(cards(1, 100));
    readFACs(data, messages, name);
    QCOMPARE(data.facsRead, 100);

    // A shorter deck overwrites 1..60 and leaves 61..100 as the first read left them.
    QByteArray shorter = cards(1, 60);
    shorter.replace("Pos ", "Spot ");
    writeDeck(shorter);
    readFACs(data, messages, name);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(data.facsRead, 60);
    QCOMPARE(data.FACs[60].Pos, "Spot 60");
    QVERIFY(holdsCard(data.FACs[61], 61));
    QVERIFY(holdsCard(data.FACs[100], 100));

    // A missing file changes nothing but the count.
    QVERIFY(QFile::remove(name));
    readFACs(data, messages, name);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(data.facsRead, 0);
    QCOMPARE(data.FACs[60].Pos, "Spot 60");
    QVERIFY(holdsCard(data.FACs[100], 100));
}

void TestFacReader::bundledDeck()
{
    GameData data;
    RecordingMessages messages;
    readFACs(data, messages, QStringLiteral(QOR_SOURCE_DIR "/resources/fac_data.txt"));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(data.facsRead, 100);
    for (int k = 1; k <= 100; ++k) {
        QCOMPARE(data.FACs[k].No, QString::number(k));
        QVERIFY(!data.FACs[k].Pos.isEmpty());
        QVERIFY(!data.FACs[k].Res.isEmpty());
        QVERIFY(!data.FACs[k].Cond.isEmpty());
    }
    QFile file(QStringLiteral(QOR_SOURCE_DIR "/resources/fac_data.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\"\r\n"));
    QVERIFY(!bytes.endsWith("\r\n\r\n"));
    QCOMPARE(bytes.count("\r\n"), 100);
    QCOMPARE(bytes.count('\n'), 100);
}

QTEST_GUILESS_MAIN(TestFacReader)
#include "tst_facreader.moc"
