#include "cards/facreader.h"

#include "cards/messageservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cmath>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kCards = 100;
constexpr int kFields = 15;
// No card text comes near this; it keeps a file without separators (or a device that never
// ends) from eating all memory and time. Blanks before a value and line breaks inside it
// count toward it too.
constexpr qsizetype kMaxValueBytes = 1 << 20;
constexpr qint64 kChunk = 64 * 1024;
// How much of the start of a file is looked at for UTF-16 without a byte order mark.
constexpr qsizetype kSniffBytes = 256;

const char* const kFieldNames[kFields] = {"No",  "Pos", "CF", "RN", "Res",  "KD",  "KD2", "KOR",
                                          "KDC", "J1",  "J2", "J3", "Cond", "Inj", "SA"};

bool isNumberField(int field)
{
    return field == 2 || (field >= 5 && field <= 8);
}

QString fieldLabel(int field)
{
    return QStringLiteral("field %1 (%2)").arg(field + 1).arg(QLatin1String(kFieldNames[field]));
}

// Windows-1252 for the bytes 0x80..0x9F; every other byte is the same as Latin-1. The five
// unassigned bytes keep their C1 control code, as Windows itself does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes bytes into text, reusing text's storage: UTF-8 when the bytes are valid UTF-8,
// else Windows-1252, decided per value.
void decodeInto(QString& text, QByteArrayView bytes)
{
    // Plain ASCII, by far the common case, is widened in place without a decoder.
    text.resize(bytes.size());
    QChar* out = text.data();
    qsizetype i = 0;
    for (; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80)
            break;
        out[i] = QChar(b);
    }
    if (i == bytes.size())
        return;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) {
        text = std::move(decoded);
        return;
    }
    for (; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
}

QString decodeText(QByteArrayView bytes)
{
    QString text;
    decodeInto(text, bytes);
    return text;
}

// Reads the device a chunk at a time, so a read that stops early has read little, and
// counts lines (CR LF, lone LF and lone CR each end one).
class Scanner
{
  public:
    explicit Scanner(QIODevice& in) : m_in(in) {}

    bool atEnd() { return m_pos == m_buffer.size() && !refill(); }
    // The next byte, or -1 at the end.
    int peek()
    {
        if (atEnd())
            return -1;
        return static_cast<unsigned char>(m_buffer.constData()[m_pos]);
    }
    int get()
    {
        const int c = peek();
        if (c >= 0)
            ++m_pos;
        return c;
    }
    // Consumes the line break starting with c (already taken): CR LF counts once.
    void finishLineBreak(int c)
    {
        if (c == '\r' && peek() == '\n')
            ++m_pos;
        ++m_line;
    }
    // Moves past the bytes before the first one that stop accepts (or the end), appending
    // them to out when given, and returns how many it passed. Passes no more than limit + 1,
    // so a caller sees that it went over the limit and nothing is read far beyond it.
    template <typename Stop> qint64 takeUntil(QByteArray* out, Stop stop, qint64 limit)
    {
        qint64 taken = 0;
        while (taken <= limit && !atEnd()) {
            const char* begin = m_buffer.constData() + m_pos;
            const qint64 room = std::min<qint64>(m_buffer.size() - m_pos, limit + 1 - taken);
            const char* end = begin + room;
            const char* p = begin;
            while (p < end && !stop(*p))
                ++p;
            if (out)
                out->append(begin, p - begin);
            taken += p - begin;
            m_pos += p - begin;
            if (p < end)
                break;
        }
        return taken;
    }
    // The next n bytes, fewer at the end, read in but not consumed.
    QByteArrayView lookAhead(qsizetype n)
    {
        while (m_buffer.size() - m_pos < n && readMore()) {
        }
        const qsizetype have = std::min(n, m_buffer.size() - m_pos);
        return QByteArrayView(m_buffer).sliced(m_pos, have);
    }
    // Skips prefix when the input starts with it.
    void skipPrefix(QByteArrayView prefix)
    {
        if (lookAhead(prefix.size()) == prefix)
            m_pos += prefix.size();
    }
    // Hands over what was read in but not consumed; the scanner is not used afterwards.
    QByteArray takeBuffered()
    {
        QByteArray rest = m_buffer.sliced(m_pos);
        m_buffer.clear();
        m_pos = 0;
        return rest;
    }
    qint64 line() const { return m_line; }
    // How many bytes have been consumed since the start.
    qint64 offset() const { return m_base + m_pos; }
    // A read failed where the next byte was wanted: what was read before it is all consumed.
    bool failed() const { return m_failedWhenWanted; }
    // A read failed, maybe while looking ahead, with bytes read before it still to consume.
    bool readFailed() const { return m_failed; }
    QString errorString() const { return m_in.errorString(); }

  private:
    bool refill()
    {
        m_base += m_buffer.size();
        m_buffer.truncate(0);
        m_pos = 0;
        const bool got = readMore();
        m_failedWhenWanted = m_failed;
        return got;
    }
    // Appends up to one chunk from the device; false when nothing more came. A small
    // input gets a small buffer.
    bool readMore()
    {
        if (m_failed)
            return false;
        const qint64 available = m_in.bytesAvailable();
        const qint64 want = available > 0 ? std::min(available, kChunk) : kChunk;
        const qsizetype had = m_buffer.size();
        m_buffer.resize(had + want);
        const qint64 got = m_in.read(m_buffer.data() + had, want);
        m_buffer.resize(had + std::max<qint64>(got, 0));
        if (got < 0)
            m_failed = m_in.isOpen() && !m_in.atEnd();
        return got > 0;
    }

    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_base = 0; // bytes consumed before the buffer's start
    qint64 m_line = 1;
    bool m_failed = false;
    bool m_failedWhenWanted = false;
};

// Serves a UTF-16 source as UTF-8, so that the byte scanner applies the very same value
// rules, line counts and messages to it. Reads its source a chunk at a time, as the scanner
// does, and passes on a read error (atEnd() stays false) so it is not taken for the end.
class Utf16AsUtf8 : public QIODevice
{
  public:
    // head: what was read before the mark was seen; failed: whether reading on from there
    // already failed.
    Utf16AsUtf8(QByteArray head, bool failed, QIODevice& source,
                QStringConverter::Encoding encoding)
        : m_head(std::move(head)), m_failed(failed), m_source(source), m_decoder(encoding)
    {
    }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_ended && m_pos == m_out.size(); }

  protected:
    qint64 readData(char* data, qint64 max) override
    {
        while (m_pos == m_out.size()) {
            if (m_ended)
                return 0;
            QByteArray chunk;
            if (!m_head.isEmpty()) {
                chunk = std::exchange(m_head, QByteArray());
            } else {
                chunk.resize(kChunk);
                const qint64 got = m_failed ? -1 : m_source.read(chunk.data(), kChunk);
                if (got < 0 && (m_failed || (m_source.isOpen() && !m_source.atEnd()))) {
                    setErrorString(m_source.errorString());
                    return -1;
                }
                chunk.resize(std::max<qint64>(got, 0));
            }
            m_odd ^= (chunk.size() & 1) != 0;
            // Both keep state across chunks: a pair of surrogates may straddle two reads.
            m_out = m_encoder.encode(QString(m_decoder.decode(chunk)));
            m_pos = 0;
            if (chunk.isEmpty()) {
                m_ended = true;
                if (m_odd)
                    m_out = "\xEF\xBF\xBD"; // a lone last byte is no character
            }
        }
        const qint64 n = std::min<qint64>(max, m_out.size() - m_pos);
        memcpy(data, m_out.constData() + m_pos, n);
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray m_head;
    bool m_failed;
    QIODevice& m_source;
    QStringDecoder m_decoder;
    QStringEncoder m_encoder{QStringConverter::Utf8};
    QByteArray m_out;
    qsizetype m_pos = 0;
    bool m_odd = false;
    bool m_ended = false;
};

// The encoding a byte order mark at the start names, when it names UTF-16.
std::optional<QStringConverter::Encoding> utf16Mark(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// A NUL byte in every other position, and none between: UTF-16 text without its mark.
bool looksLikeUnmarkedUtf16(QByteArrayView head)
{
    const qsizetype n = head.size() & ~qsizetype(1);
    if (n < 4)
        return false;
    int nulAt[2] = {0, 0};
    for (qsizetype i = 0; i < n; ++i) {
        if (head[i] == '\0')
            ++nulAt[i & 1];
    }
    const int pairs = int(n / 2);
    return (nulAt[0] == 0 && nulAt[1] == pairs) || (nulAt[0] == pairs && nulAt[1] == 0);
}

enum class ValueResult { Ok, PastEnd, TooLong, TooManyBlanks };

struct Value
{
    QByteArray bytes;
    qint64 startLine = 0;
    qint64 endLine = 0;
    bool unclosedQuote = false;
};

bool isBlank(int c)
{
    return c == ' ' || c == '\t';
}

bool isBreak(int c)
{
    return c == '\r' || c == '\n';
}

// Where takeUntil stops: after blanks, in a quoted value, in an unquoted one.
constexpr auto notBlank = [](char b) { return !isBlank(b); };
constexpr auto quoteOrBreak = [](char b) { return b == '"' || isBreak(b); };
constexpr auto commaOrBreak = [](char b) { return b == ',' || isBreak(b); };

// One value of the list: leading blanks skipped, a quoted value up to the next quote (what
// follows the closing quote up to the separator is dropped), an unquoted one up to the next
// comma or line break with trailing blanks dropped. The separator is consumed. Everything the
// search passes over but the quotes and the separator counts toward kMaxValueBytes: blanks,
// the value, line breaks inside quotes (a CR LF as two) and what follows a closing quote.
ValueResult readValue(Scanner& in, Value& value)
{
    const qint64 start = in.offset();
    qint64 quotes = 0;
    const auto left = [&] { return kMaxValueBytes - (in.offset() - start - quotes); };
    in.takeUntil(nullptr, notBlank, left());
    if (left() < 0) {
        value.startLine = in.line();
        return ValueResult::TooManyBlanks;
    }
    const qint64 startLine = in.line();
    int c = in.get();
    // At the end the previous value is left as it was, for the message to point at.
    if (c < 0)
        return ValueResult::PastEnd;
    value.bytes.truncate(0); // keeps the buffer for the next value
    value.unclosedQuote = false;
    value.startLine = startLine;
    if (c == '"') {
        ++quotes;
        bool afterBreak = false;
        for (;;) {
            if (in.takeUntil(&value.bytes, quoteOrBreak, left()) > 0)
                afterBreak = false;
            if (left() < 0)
                return ValueResult::TooLong;
            c = in.get();
            if (c < 0) {
                value.unclosedQuote = true;
                break;
            }
            if (c == '"') {
                ++quotes;
                break;
            }
            value.bytes.append('\n');
            in.finishLineBreak(c);
            afterBreak = true;
        }
        // A file that ends right after a line break ended on the line that break closed.
        value.endLine = in.line() - (value.unclosedQuote && afterBreak ? 1 : 0);
        // Drop whatever stands between the closing quote and the separator.
        in.takeUntil(nullptr, commaOrBreak, left());
        if (left() < 0)
            return ValueResult::TooLong;
        c = in.get();
        if (isBreak(c))
            in.finishLineBreak(c);
        return ValueResult::Ok;
    }
    value.bytes.append(static_cast<char>(c));
    if (c != ',' && !isBreak(c)) {
        in.takeUntil(&value.bytes, commaOrBreak, left());
        if (left() < 0)
            return ValueResult::TooLong;
        c = in.get();
    } else {
        value.bytes.truncate(0); // keeps the buffer for the next value
    }
    value.endLine = in.line();
    if (isBreak(c))
        in.finishLineBreak(c);
    qsizetype end = value.bytes.size();
    while (end > 0 && isBlank(value.bytes[end - 1]))
        --end;
    value.bytes.truncate(end);
    return ValueResult::Ok;
}

// The number at the start of a value (sign, digits, optional fraction), rounded to the
// nearest whole number, halves away from zero; 0 when the value does not start with one.
double numberValue(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while (p < end && isBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* start = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    bool digits = p > start;
    if (p < end && *p == '.') {
        const char* q = p + 1;
        while (q < end && *q >= '0' && *q <= '9')
            ++q;
        if (q > p + 1 || digits) {
            digits = true;
            p = q;
        }
    }
    if (!digits)
        return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(start, p, value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Too many digits for a double: huge unless every digit before the point is 0.
        value = 0.0;
        for (const char* d = start; d < p && *d != '.'; ++d) {
            if (*d != '0') {
                value = HUGE_VAL;
                break;
            }
        }
    }
    value = std::round(value);
    return negative ? -value : value;
}

QString shortened(const QByteArray& bytes)
{
    constexpr qsizetype kShown = 24;
    QString text = decodeText(bytes.left(kShown));
    if (bytes.size() > kShown)
        text += QStringLiteral("...");
    return text;
}

void store(FACRecord& record, int field, const Value& value, std::int16_t number)
{
    switch (field) {
    case 0:
        decodeInto(record.No, value.bytes);
        break;
    case 1:
        decodeInto(record.Pos, value.bytes);
        break;
    case 2:
        record.CF = number;
        break;
    case 3:
        decodeInto(record.RN, value.bytes);
        break;
    case 4:
        decodeInto(record.Res, value.bytes);
        break;
    case 5:
        record.KD = number;
        break;
    case 6:
        record.KD2 = number;
        break;
    case 7:
        record.KOR = number;
        break;
    case 8:
        record.KDC = number;
        break;
    case 9:
        decodeInto(record.J1, value.bytes);
        break;
    case 10:
        decodeInto(record.J2, value.bytes);
        break;
    case 11:
        decodeInto(record.J3, value.bytes);
        break;
    case 12:
        decodeInto(record.Cond, value.bytes);
        break;
    case 13:
        decodeInto(record.Inj, value.bytes);
        break;
    case 14:
        decodeInto(record.SA, value.bytes);
        break;
    }
}

ReadFailure ioFailure(const Scanner& in)
{
    return {57, QStringLiteral("Device I/O error: reading stopped at line %1 (%2)")
                    .arg(in.line())
                    .arg(in.errorString())};
}

std::optional<ReadFailure> parseRecords(Scanner& in, GameData& data)
{
    // A byte order mark some editors put at the start of a UTF-8 file is not part of card 1.
    in.skipPrefix("\xEF\xBB\xBF");
    Value value;
    while (!in.atEnd()) {
        const int n = data.facsRead + 1;
        if (n > kCards) {
            return ReadFailure{
                9, QStringLiteral("Subscript out of range: the file goes on after card %1, "
                                  "line %2; a deck holds at most %1 cards and nothing may "
                                  "follow the line break of the last one")
                       .arg(kCards)
                       .arg(in.line())};
        }
        FACRecord& record = data.FACs[n];
        for (int field = 0; field < kFields; ++field) {
            const ValueResult result = readValue(in, value);
            if (in.failed())
                return ioFailure(in);
            if (result == ValueResult::PastEnd) {
                QString description =
                    field == 0
                        ? QStringLiteral("Input past end of file: card %1 ends before %2, line %3")
                              .arg(n)
                              .arg(fieldLabel(0))
                              .arg(in.line())
                        : QStringLiteral("Input past end of file: card %1 ends after %2, line %3")
                              .arg(n)
                              .arg(fieldLabel(field - 1))
                              .arg(value.endLine);
                if (field > 0 && value.unclosedQuote)
                    description += QStringLiteral("; the quote that opens %1 on line %2 is "
                                                  "never closed")
                                       .arg(fieldLabel(field - 1))
                                       .arg(value.startLine);
                return ReadFailure{62, description};
            }
            if (result == ValueResult::TooManyBlanks) {
                return ReadFailure{
                    14, QStringLiteral("Out of string space: card %1, more than %2 bytes of "
                                       "blanks before %3, starting on line %4")
                            .arg(n)
                            .arg(kMaxValueBytes)
                            .arg(fieldLabel(field))
                            .arg(value.startLine)};
            }
            if (result == ValueResult::TooLong) {
                return ReadFailure{
                    14, QStringLiteral("Out of string space: card %1, %2 is longer than %3 "
                                       "bytes, starting on line %4")
                            .arg(n)
                            .arg(fieldLabel(field))
                            .arg(kMaxValueBytes)
                            .arg(value.startLine)};
            }
            std::int16_t number = 0;
            if (isNumberField(field)) {
                const double v = numberValue(value.bytes);
                if (!(v >= -32768.0 && v <= 32767.0)) {
                    return ReadFailure{
                        // One arg() call: a "%4" in the file's text must stay as written.
                        6, QStringLiteral("Overflow: card %1, %2 holds %3, outside -32768 to "
                                          "32767, line %4")
                               .arg(QString::number(n), fieldLabel(field), shortened(value.bytes),
                                    QString::number(value.startLine))};
                }
                number = static_cast<std::int16_t>(v);
            }
            store(record, field, value, number);
        }
        data.facsRead = static_cast<std::int16_t>(n);
    }
    if (in.failed())
        return ioFailure(in);
    return std::nullopt;
}

#ifdef Q_OS_UNIX
// What a file-system entry that is not a regular file is, for the message.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    return QStringLiteral("a special file");
}
#endif

// Empty for a regular file (or a link to one) and for a name that is not there; else what
// the name is. Looks without opening, so nothing can block.
QString notAFile(const QString& fileName)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    return kindOf(status.st_mode);
#else
    const QFileInfo info(fileName);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? QStringLiteral("a folder") : QStringLiteral("a special file");
#endif
}

} // namespace

std::optional<ReadFailure> parseFACs(QIODevice& device, GameData& data)
{
    data.facsRead = 0;
    Scanner bytes(device);
    const QByteArrayView head = bytes.lookAhead(kSniffBytes);
    if (const auto encoding = utf16Mark(head)) {
        const bool failed = bytes.readFailed();
        Utf16AsUtf8 text(bytes.takeBuffered(), failed, device, *encoding);
        text.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        Scanner in(text);
        return parseRecords(in, data);
    }
    if (looksLikeUnmarkedUtf16(head)) {
        return ReadFailure{
            321, QStringLiteral("Invalid file format: the file looks like UTF-16 text without a "
                                "byte order mark (a NUL byte in every other position); save it "
                                "as UTF-8, or as UTF-16 with its mark (\"Unicode\")")};
    }
    return parseRecords(bytes, data);
}

QString readFailureText(const ReadFailure& failure)
{
    return QStringLiteral("Error ") + QString::number(failure.number) +
           QStringLiteral(" trying to read FACs.\r\n") + failure.description;
}

OpenedFile openDataFile(const QString& fileName)
{
    OpenedFile opened;
#ifdef Q_OS_UNIX
    // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever if none comes.
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int cause = errno;
        opened.error = cause == EACCES || cause == EPERM ? QFileDevice::PermissionsError
                                                         : QFileDevice::OpenError;
        opened.errorString = qt_error_string(cause);
        return opened;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        opened.error = QFileDevice::OpenError;
        opened.errorString = qt_error_string(errno);
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(status.st_mode)) {
        opened.notAFile = kindOf(status.st_mode);
        ::close(fd);
        return opened;
    }
    // A regular file ignores O_NONBLOCK; clear it all the same, reads are meant to wait.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        opened.error = file->error();
        opened.errorString = file->errorString();
        return opened;
    }
#else
    // No named pipes or devices among the files here; refuse whatever is not a file all the same.
    opened.notAFile = notAFile(fileName);
    if (!opened.notAFile.isEmpty())
        return opened;
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        opened.error = file->error();
        opened.errorString = file->errorString();
        return opened;
    }
#endif
    opened.device = std::move(file);
    return opened;
}

void readFACs(GameData& data, MessageService& messages, const QString& fileName,
              const DataFileOpener& openFile)
{
    data.facsRead = 0;
    std::optional<ReadFailure> failure;
    const QFileInfo info(fileName);
    const QString shownName = QDir::toNativeSeparators(info.absoluteFilePath());
    const auto notAFileFailure = [&](const QString& kind) {
        return ReadFailure{
            75,
            QStringLiteral("Path/File access error: %1 is %2, not a file").arg(shownName, kind)};
    };
    if (!info.exists()) {
        failure = ReadFailure{53, QStringLiteral("File not found: %1").arg(shownName)};
    } else if (const QString kind = notAFile(fileName); !kind.isEmpty()) {
        failure = notAFileFailure(kind);
    } else if (OpenedFile opened = openFile(fileName); !opened.device) {
        if (!opened.notAFile.isEmpty()) {
            failure = notAFileFailure(opened.notAFile);
        } else {
            const QString cause = opened.error == QFileDevice::PermissionsError
                                      ? QStringLiteral("permission denied")
                                      : opened.errorString;
            failure = ReadFailure{
                75, QStringLiteral("Path/File access error: %1 cannot be opened for reading (%2)")
                        .arg(shownName, cause)};
        }
    } else {
        failure = parseFACs(*opened.device, data);
        opened.device->close();
    }
    if (failure)
        messages.showMessage(readFailureText(*failure), QStringLiteral("KRVN_QOR"));
}
