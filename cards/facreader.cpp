#include "cards/facreader.h"

#include "cards/messageservice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int kCards = 100;
constexpr int kFields = 15;
// No card text comes near this; it keeps a file without separators (or a device that never
// ends) from eating all memory.
constexpr qsizetype kMaxValueBytes = 1 << 20;
constexpr qint64 kChunk = 64 * 1024;

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
    // them to out when given, and returns how many it passed. Gives up once it has passed
    // more than kMaxValueBytes.
    template <typename Stop> qsizetype takeUntil(QByteArray* out, Stop stop)
    {
        qsizetype taken = 0;
        while (taken <= kMaxValueBytes && !atEnd()) {
            const char* begin = m_buffer.constData() + m_pos;
            const char* end = m_buffer.constData() + m_buffer.size();
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
    // Skips prefix when the input starts with it.
    void skipPrefix(QByteArrayView prefix)
    {
        while (m_buffer.size() - m_pos < prefix.size() && readMore()) {
        }
        if (QByteArrayView(m_buffer).sliced(m_pos).startsWith(prefix))
            m_pos += prefix.size();
    }
    qint64 line() const { return m_line; }
    bool failed() const { return m_failed; }
    QString errorString() const { return m_in.errorString(); }

  private:
    bool refill()
    {
        m_buffer.truncate(0);
        m_pos = 0;
        return readMore();
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
    qint64 m_line = 1;
    bool m_failed = false;
};

enum class ValueResult { Ok, PastEnd, TooLong };

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

// One value of the list: leading blanks skipped, a quoted value up to the next quote (what
// follows the closing quote up to the separator is dropped), an unquoted one up to the next
// comma or line break with trailing blanks dropped. The separator is consumed.
ValueResult readValue(Scanner& in, Value& value)
{
    while (isBlank(in.peek()))
        in.get();
    const qint64 startLine = in.line();
    int c = in.get();
    // At the end the previous value is left as it was, for the message to point at.
    if (c < 0)
        return ValueResult::PastEnd;
    value.bytes.truncate(0); // keeps the buffer for the next value
    value.unclosedQuote = false;
    value.startLine = startLine;
    if (c == '"') {
        for (;;) {
            in.takeUntil(&value.bytes, [](char b) { return b == '"' || isBreak(b); });
            if (value.bytes.size() > kMaxValueBytes)
                return ValueResult::TooLong;
            c = in.get();
            if (c < 0) {
                value.unclosedQuote = true;
                break;
            }
            if (c == '"')
                break;
            value.bytes.append('\n');
            in.finishLineBreak(c);
        }
        value.endLine = in.line();
        // Drop whatever stands between the closing quote and the separator.
        if (in.takeUntil(nullptr, [](char b) { return b == ',' || isBreak(b); }) > kMaxValueBytes)
            return ValueResult::TooLong;
        c = in.get();
        if (isBreak(c))
            in.finishLineBreak(c);
        return ValueResult::Ok;
    }
    value.bytes.append(static_cast<char>(c));
    if (c != ',' && !isBreak(c)) {
        in.takeUntil(&value.bytes, [](char b) { return b == ',' || isBreak(b); });
        if (value.bytes.size() > kMaxValueBytes)
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

} // namespace

std::optional<ReadFailure> parseFACs(QIODevice& device, GameData& data)
{
    Scanner in(device);
    data.facsRead = 0;
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

QString readFailureText(const ReadFailure& failure)
{
    return QStringLiteral("Error ") + QString::number(failure.number) +
           QStringLiteral(" trying to read FACs.\r\n") + failure.description;
}

void readFACs(GameData& data, MessageService& messages, const QString& fileName)
{
    data.facsRead = 0;
    std::optional<ReadFailure> failure;
    const QFileInfo info(fileName);
    const QString shownName = QDir::toNativeSeparators(info.absoluteFilePath());
    QFile file(fileName);
    if (!info.exists()) {
        failure = ReadFailure{53, QStringLiteral("File not found: %1").arg(shownName)};
    } else if (info.isDir()) {
        failure = ReadFailure{
            75,
            QStringLiteral("Path/File access error: %1 is a folder, not a file").arg(shownName)};
    } else if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const QString cause = file.error() == QFileDevice::PermissionsError
                                  ? QStringLiteral("permission denied")
                                  : file.errorString();
        failure = ReadFailure{
            75, QStringLiteral("Path/File access error: %1 cannot be opened for reading (%2)")
                    .arg(shownName, cause)};
    } else {
        failure = parseFACs(file, data);
    }
    file.close();
    if (failure)
        messages.showMessage(readFailureText(*failure), QStringLiteral("KRVN_QOR"));
}
