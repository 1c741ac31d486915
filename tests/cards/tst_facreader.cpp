#include "carddecks.h"
#include "cardfakes.h"
#include "cards/facreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace {

// Card k, every field telling which card it came from.
FACRecord numberedCard(int k)
{
    const QString n = QString::number(k);
    return {.No = n,
            .Pos = "Pos " + n,
            .CF = std::int16_t(k * 10),
            .RN = "RN " + n,
            .Res = "Res " + n,
            .KD = std::int16_t(k % 4),
            .KD2 = std::int16_t(-k),
            .KOR = std::int16_t(k + 1000),
            .KDC = std::int16_t(k % 3),
            .J1 = "A" + n,
            .J2 = "B" + n,
            .J3 = "E" + n,
            .Cond = "Cond " + n + ", with a comma",
            .Inj = "Inj " + n,
            .SA = "SA " + n};
}

// Cards from..to in the writer's format.
QByteArray cards(int from, int to)
{
    return deckFile(from, to, [](int k) { return writtenValues(numberedCard(k)); });
}

QByteArray card(int k)
{
    return cards(k, k);
}

// True when entry slot holds card k exactly.
bool holdsCard(const FACRecord& r, int k)
{
    return r == numberedCard(k);
}

bool isEmpty(const FACRecord& r)
{
    return r == FACRecord{};
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
    explicit FailingDisk(QByteArray first = card(1)) : m_first(std::move(first)) {}
    qint64 size() const override { return 1'000'000; }

  protected:
    qint64 readData(char* out, qint64 max) override
    {
        if (m_done) {
            setErrorString(QStringLiteral("sector not found"));
            return -1;
        }
        m_done = true;
        const qint64 n = std::min<qint64>(max, m_first.size());
        memcpy(out, m_first.constData(), n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray m_first;
    bool m_done = false;
};

// A generated file of size bytes: prefix, then filler over and over. Counts the bytes taken
// from it, so a test can see how far a read went without a gigabyte on disk.
class GeneratedFile : public QIODevice
{
  public:
    GeneratedFile(QByteArray prefix, QByteArray filler, qint64 size)
        : m_prefix(std::move(prefix)), m_filler(std::move(filler)), m_size(size)
    {
    }
    qint64 served = 0;
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min(max, m_size - served);
        for (qint64 i = 0; i < n; ++i, ++served) {
            out[i] = served < m_prefix.size()
                         ? m_prefix[served]
                         : m_filler[(served - m_prefix.size()) % m_filler.size()];
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray m_prefix;
    QByteArray m_filler;
    qint64 m_size;
};

QByteArray encoded(const QString& text, QStringConverter::Encoding encoding, bool mark)
{
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom
                                          : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

// How many file descriptors the process holds; -1 where that cannot be seen.
int openDescriptors()
{
#ifdef Q_OS_LINUX
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                   .size());
#else
    return -1;
#endif
}

// Opens through the real opener and remembers what it opened, to look at after the read.
struct WatchedOpener
{
    QStringList names;
    QPointer<QIODevice> device;
    DataFileOpener opener()
    {
        return [this](const QString& name) {
            names.append(name);
            OpenedFile opened = openRegularFile(name);
            device = opened.device.get();
            return opened;
        };
    }
};

#ifdef Q_OS_UNIX
// Waits to open a named pipe for writing, so that a reader that opens the pipe (and would
// otherwise wait for a writer for ever) finds it empty and at its end. A reader that never
// opens it leaves the writer waiting until this goes out of scope.
class StandbyWriter
{
  public:
    explicit StandbyWriter(const QString& path)
        : m_path(QFile::encodeName(path)), m_thread([this] {
              const int fd = ::open(m_path.constData(), O_WRONLY);
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~StandbyWriter()
    {
        // A reader that does not wait lets the writer's open return; it closes after the
        // writer is done, so the writer cannot start waiting again.
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        m_thread.join();
        if (fd >= 0)
            ::close(fd);
    }

  private:
    QByteArray m_path;
    std::thread m_thread;
};

// Makes a socket entry in the file system at path; the socket itself is closed again.
bool makeSocketEntry(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, name.constData(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// Makes an entry of the given kind at path: "file" (holding contents), "fifo", "socket",
// "folder", or else a link to the path named by kind.
bool makeEntry(const QString& kind, const QString& path, const QByteArray& contents = {})
{
    if (kind == "file") {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }
    if (kind == "fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    if (kind == "socket")
        return makeSocketEntry(path);
    if (kind == "folder")
        return QDir().mkdir(path);
    return QFile::link(kind, path);
}
#endif

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
    void blankLineStoresEmptyNoOverAnEarlierEntry();
    void searchForAValueIsBounded_data();
    void searchForAValueIsBounded();
    void utf16WithItsMarkReadsLikeUtf8_data();
    void utf16WithItsMarkReadsLikeUtf8();
    void utf16WithoutAMarkIsNamed_data();
    void utf16WithoutAMarkIsNamed();
    void diskErrorInUtf16();
    void failureText();

    void missingFile();
    void folderNamedLikeTheFile();
    void unreadableFile();
    void openFailsForAnyUser_data();
    void openFailsForAnyUser();
    void notARegularFile_data();
    void notARegularFile();
    void openerNeverWaits_data();
    void openerNeverWaits();
    void readerClosesItsFile_data();
    void readerClosesItsFile();
    void relativeNameReadsFromTheWorkingFolder();
    void fileReadsByteForByte();
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
    QTest::newRow("quote never closed on a one-line file")
        << QByteArray("\"1\",\"Ropes\r\n") << 62
        << "Input past end of file: card 1 ends after field 2 (Pos), line 1; the quote that opens "
           "field 2 (Pos) on line 1 is never closed"
        << 0;
    QTest::newRow("quote never closed, the last line ended")
        << cards(1, 1) + "\"2\",\"Ropes\r\nmore, text\n"
        << 62
        << "Input past end of file: card 2 ends after field 2 (Pos), line 3; the quote that opens "
           "field 2 (Pos) on line 2 is never closed"
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

void TestFacReader::blankLineStoresEmptyNoOverAnEarlierEntry()
{
    GameData data;
    data.FACs[61].No = "61";
    data.FACs[61].Pos = "Pos 61";
    const auto failure = parse(cards(1, 60) + "\r\n", data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 62);
    QCOMPARE(data.facsRead, 60);
    // The blank line is card 61's No, stored as empty text; its Pos is never reached.
    QCOMPARE(data.FACs[61].No, "");
    QCOMPARE(data.FACs[61].Pos, "Pos 61");
}

void TestFacReader::searchForAValueIsBounded_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("filler");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("mostRead");

    // What one value may pass over, plus what the reader may read ahead of it.
    const qint64 bound = 1024 * 1024 + 256 * 1024;
    QTest::newRow("1 GB of blanks before card 1")
        << QByteArray() << QByteArray(" ")
        << "Out of string space: card 1, more than 1048576 bytes of blanks before field 1 (No), "
           "starting on line 1"
        << 0 << bound;
    QTest::newRow("1 GB of blanks and tabs before a later value")
        << card(1) + "\"2\",\"Ropes\"," << QByteArray(" \t")
        << "Out of string space: card 2, more than 1048576 bytes of blanks before field 3 (CF), "
           "starting on line 2"
        << 1 << bound;
    QTest::newRow("quoted value of 1 GB of line breaks")
        << QByteArray("\"1\",\"") << QByteArray("\r\n")
        << "Out of string space: card 1, field 2 (Pos) is longer than 1048576 bytes, starting on "
           "line 1"
        << 0 << bound;
    QTest::newRow("600 kB of blanks, then a value to the end of 1 GB")
        << QByteArray(600 * 1024, ' ') << QByteArray("x")
        << "Out of string space: card 1, field 1 (No) is longer than 1048576 bytes, starting on "
           "line 1"
        << 0 << bound;
    QTest::newRow("junk after a closing quote to the end of 1 GB")
        << QByteArray("\"1\",\"") + QByteArray(600 * 1024, 'x') + "\"" << QByteArray("j")
        << "Out of string space: card 1, field 2 (Pos) is longer than 1048576 bytes, starting on "
           "line 1"
        << 0 << bound;
    // Counted as UTF-8, a blank of UTF-16 is two bytes of the file.
    QTest::newRow("1 GB of UTF-16 blanks")
        << QByteArray("\xFF\xFE") << QByteArray(" \0", 2)
        << "Out of string space: card 1, more than 1048576 bytes of blanks before field 1 (No), "
           "starting on line 1"
        << 0 << 2 * bound;
}

void TestFacReader::searchForAValueIsBounded()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, filler);
    QFETCH(QString, description);
    QFETCH(int, count);
    QFETCH(qint64, mostRead);
    GeneratedFile input(prefix, filler, qint64(1) << 30);
    input.open(QIODevice::ReadOnly);
    GameData data;
    const auto failure = parseFACs(input, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 14);
    QCOMPARE(failure->description, description);
    QCOMPARE(data.facsRead, count);
    QVERIFY2(input.served <= mostRead, qPrintable(QString::number(input.served)));
}

void TestFacReader::utf16WithItsMarkReadsLikeUtf8_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // 0 for a silent read
    QTest::addColumn<int>("count");

    const auto deck = [](int from, int to) { return QString::fromLatin1(cards(from, to)); };
    QString accents = deck(1, 3);
    accents.replace("Pos 2", QString::fromUtf8("Esquina \xC3\xA9 \xE2\x80\x9Cx\xE2\x80\x9D "
                                               "\xE2\x82\xAC \xF0\x9F\xA5\x8A"));
    QString split = deck(1, 2);
    split.replace("\"Res 1\",", "\"Res 1\"\n");
    const QString unclosed = deck(1, 1) + "\"2\",\"Ropes\",3,\"RN\r\nmore, text\r\n";
    // 120 kB of characters outside the BMP, one odd character first: pairs straddle reads.
    QString across = deck(1, 2);
    across.replace("Pos 1", "x" + QString::fromUtf8("\xF0\x9F\xA5\x8A").repeated(30000));

    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        const char* name = encoding == QStringConverter::Utf16LE ? "UTF-16 LE" : "UTF-16 BE";
        QTest::addRow("%s, 100 cards", name) << int(encoding) << deck(1, 100) << 0 << 100;
        QTest::addRow("%s, text beyond Latin-1", name) << int(encoding) << accents << 0 << 3;
        QTest::addRow("%s, long text across reads", name) << int(encoding) << across << 0 << 2;
        QTest::addRow("%s, card split over two lines with a lone LF", name)
            << int(encoding) << split << 0 << 2;
        QTest::addRow("%s, blank line after 100 cards", name)
            << int(encoding) << deck(1, 100) + "\r\n"
            << 9 << 100;
        QTest::addRow("%s, 60 cards then a blank line", name)
            << int(encoding) << deck(1, 60) + "\r\n"
            << 62 << 60;
        QTest::addRow("%s, quote never closed", name) << int(encoding) << unclosed << 62 << 1;
        QTest::addRow("%s, number above 32767", name)
            << int(encoding) << deck(1, 1) + "\"2\",\"Ropes\",40000" << 6 << 1;
        QTest::addRow("%s, empty but for its mark", name) << int(encoding) << QString() << 0 << 0;
    }
}

void TestFacReader::utf16WithItsMarkReadsLikeUtf8()
{
    QFETCH(int, encoding);
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(int, count);
    GameData asUtf8;
    const auto expected = parse(text.toUtf8(), asUtf8);
    QCOMPARE(expected ? expected->number : 0, number);
    QCOMPARE(asUtf8.facsRead, count);

    GameData asUtf16;
    const auto failure = parse(encoded(text, QStringConverter::Encoding(encoding), true), asUtf16);
    QCOMPARE(failure.has_value(), expected.has_value());
    if (failure) {
        QCOMPARE(failure->number, expected->number);
        QCOMPARE(failure->description, expected->description);
    }
    QCOMPARE(asUtf16.facsRead, count);
    for (int k = 1; k <= 100; ++k) {
        const FACRecord& a = asUtf16.FACs[k];
        const FACRecord& b = asUtf8.FACs[k];
        QVERIFY2(a == b, qPrintable(QStringLiteral("card %1: %2 / %3").arg(k).arg(a.Pos, b.Pos)));
    }
}

void TestFacReader::utf16WithoutAMarkIsNamed_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QString deck = QString::fromLatin1(cards(1, 3));
    QTest::newRow("UTF-16 LE without a mark") << encoded(deck, QStringConverter::Utf16LE, false);
    QTest::newRow("UTF-16 BE without a mark") << encoded(deck, QStringConverter::Utf16BE, false);
    QTest::newRow("two characters of UTF-16 LE") << QByteArray("\"\0\"\0", 4);
}

void TestFacReader::utf16WithoutAMarkIsNamed()
{
    QFETCH(QByteArray, bytes);
    GameData data;
    data.FACs[1].No = "kept";
    data.facsRead = 7;
    const auto failure = parse(bytes, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 321);
    QCOMPARE(failure->description,
             "Invalid file format: the file looks like UTF-16 text without a byte order mark "
             "(a NUL byte in every other position); save it as UTF-8, or as UTF-16 with its "
             "mark (\"Unicode\")");
    QCOMPARE(data.facsRead, 0);
    QCOMPARE(data.FACs[1].No, "kept");
}

void TestFacReader::diskErrorInUtf16()
{
    FailingDisk disk(encoded(QString::fromLatin1(card(1)), QStringConverter::Utf16LE, true));
    disk.open(QIODevice::ReadOnly);
    GameData data;
    const auto failure = parseFACs(disk, data);
    QVERIFY(failure);
    QCOMPARE(failure->number, 57);
    QCOMPARE(failure->description,
             "Device I/O error: reading stopped at line 2 (sector not found)");
    QCOMPARE(data.facsRead, 1);
    QVERIFY(holdsCard(data.FACs[1], 1));
}

void TestFacReader::failureText()
{
    QCOMPARE(readFailureText({53, "File not found: x"}),
             "Error 53 trying to read FACs.\r\nFile not found: x");
}

void TestFacReader::fileReadsByteForByte()
{
    // Read from a real file, line breaks and control bytes arrive as written, on every
    // platform: no text-mode translation of CR LF, and a Ctrl-Z is no end of file.
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QByteArray bytes = cards(1, 3);
    bytes.replace("\"Cond 2, with a comma\"", "\"Cond 2\x1a with Ctrl-Z\"");
    bytes.replace("\"Inj 2\"", "\"Inj 2\r\nover two lines\"");
    bytes.replace("\"SA 2\"\r\n", "\"SA 2\"\n");
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    GameData data;
    RecordingMessages messages;
    readFACs(data, messages, name);
    QVERIFY2(messages.shown.isEmpty(),
             messages.shown.isEmpty() ? "" : qPrintable(messages.shown[0].text));
    QCOMPARE(data.facsRead, 3);
    QCOMPARE(data.FACs[2].Cond, QStringLiteral("Cond 2\x1a with Ctrl-Z"));
    // A line break inside quotes is kept as one line break, whatever ends the line.
    QCOMPARE(data.FACs[2].Inj, QStringLiteral("Inj 2\nover two lines"));
    QVERIFY(holdsCard(data.FACs[3], 3));
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

void TestFacReader::openFailsForAnyUser_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("errorString");
    QTest::addColumn<QString>("notAFile");
    QTest::addColumn<QString>("said");

    QTest::newRow("permission denied") << int(QFileDevice::PermissionsError) << "Permission denied"
                                       << ""
                                       << " cannot be opened for reading (permission denied)";
    QTest::newRow("another cause, as the system words it")
        << int(QFileDevice::OpenError) << "Too many open files"
        << ""
        << " cannot be opened for reading (Too many open files)";
    QTest::newRow("named pipe put in its place after the check") << int(QFileDevice::NoError) << ""
                                                                 << "a named pipe"
                                                                 << " is a named pipe, not a file";
}

void TestFacReader::openFailsForAnyUser()
{
    QFETCH(int, error);
    QFETCH(QString, errorString);
    QFETCH(QString, notAFile);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(card(1));
    file.close();
    QStringList asked;
    const auto failingOpen = [&](const QString& fileName) {
        asked.append(fileName);
        OpenedFile opened;
        opened.error = QFileDevice::FileError(error);
        opened.errorString = errorString;
        opened.nonFileKind = notAFile;
        return opened;
    };
    GameData data;
    data.facsRead = 7;
    data.FACs[1].No = "kept";
    RecordingMessages messages;
    readFACs(data, messages, name, failingOpen);
    QCOMPARE(asked, QStringList{name});
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].caption, "KRVN_QOR");
    QCOMPARE(messages.shown[0].text, "Error 75 trying to read FACs.\r\nPath/File access error: " +
                                         QDir::toNativeSeparators(name) + said);
    QCOMPARE(data.facsRead, 0);
    QCOMPARE(data.FACs[1].No, "kept");
}

void TestFacReader::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("named");

    QTest::newRow("named pipe") << "fifo"
                                << "a named pipe";
    QTest::newRow("socket") << "socket"
                            << "a socket";
    QTest::newRow("link to a character device") << "/dev/zero"
                                                << "a character device";
}

void TestFacReader::notARegularFile()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    QFETCH(QString, named);
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QVERIFY(makeEntry(kind, name));
    std::optional<StandbyWriter> writer;
    if (kind == "fifo")
        writer.emplace(name);
    GameData data;
    data.facsRead = 7;
    data.FACs[1].No = "kept";
    RecordingMessages messages;
    WatchedOpener watched;
    readFACs(data, messages, name, watched.opener());
    QVERIFY(watched.names.isEmpty()); // refused without an open
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, "Error 75 trying to read FACs.\r\nPath/File access error: " +
                                         QDir::toNativeSeparators(name) + " is " + named +
                                         ", not a file");
    QCOMPARE(data.facsRead, 0);
    QCOMPARE(data.FACs[1].No, "kept");
#else
    QSKIP("named pipes, sockets and devices in the file system are a Unix matter");
#endif
}

void TestFacReader::openerNeverWaits_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("notAFile");

    QTest::newRow("regular file") << "file"
                                  << "";
    QTest::newRow("named pipe") << "fifo"
                                << "a named pipe";
    QTest::newRow("link to a character device") << "/dev/zero"
                                                << "a character device";
    QTest::newRow("folder") << "folder"
                            << "a folder";
}

// The opener alone, as when the name changes between the reader's look and its open. Should
// it ever wait on the named pipe, that shows as a hang which the test watchdog ends.
void TestFacReader::openerNeverWaits()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    QFETCH(QString, notAFile);
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QVERIFY(makeEntry(kind, name, card(1)));
    const int descriptors = openDescriptors();
    {
        const OpenedFile opened = openRegularFile(name);
        QCOMPARE(opened.nonFileKind, notAFile);
        QCOMPARE(bool(opened.device), notAFile.isEmpty());
        if (opened.device) {
            QVERIFY(opened.device->isReadable());
            QCOMPARE(opened.device->readAll(), card(1));
        }
    }
    QCOMPARE(openDescriptors(), descriptors);
#else
    QSKIP("named pipes and devices in the file system are a Unix matter");
#endif
}

void TestFacReader::readerClosesItsFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("messages");

    QTest::newRow("well-formed deck") << cards(1, 3) << 0;
    QTest::newRow("deck that ends inside a card") << cards(1, 2) + "\"3\"," << 1;
    QTest::newRow("number out of range") << QByteArray("\"1\",\"Ropes\",99999") << 1;
    QTest::newRow("UTF-16 deck") << encoded(QString::fromLatin1(cards(1, 3)),
                                            QStringConverter::Utf16LE, true)
                                 << 0;
}

void TestFacReader::readerClosesItsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, messages);
    QTemporaryDir dir;
    const QString name = dir.filePath("fac_data.txt");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    GameData data;
    RecordingMessages shown;
    WatchedOpener watched;
    const int descriptors = openDescriptors();
    readFACs(data, shown, name, watched.opener());
    QCOMPARE(shown.shown.size(), messages);
    QCOMPARE(watched.names, QStringList{name});
    // Gone, or at least closed, once the read is over; no descriptor left behind either.
    QVERIFY(!watched.device || !watched.device->isOpen());
    QCOMPARE(openDescriptors(), descriptors);
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
    const int descriptors = openDescriptors();
    readFACs(data, messages);
    QDir::setCurrent(before);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(data.facsRead, 3);
    QVERIFY(holdsCard(data.FACs[3], 3));
    QCOMPARE(openDescriptors(), descriptors); // the reader closed what it opened
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
