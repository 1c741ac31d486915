#include "cards/facreader.h"

#include "cards/facfields.h"
#include "cards/messageservice.h"
#include "cards/textdecoding.h"
#include "cards/textrules.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kCards = 100;
// No card text comes near this; it keeps a file without separators (or a device that never
// ends) from eating all memory and time. Blanks before a value and line breaks inside it
// count toward it too.
constexpr qsizetype kMaxValueBytes = 1 << 20;
constexpr qint64 kChunk = 64 * 1024;
// How much of the start of a file is looked at for UTF-16 without a byte order mark.
constexpr qsizetype kSniffBytes = 256;

QString fieldLabel(int field)
{
    return QStringLiteral("field %1 (%2)")
        .arg(field + 1)
        .arg(QLatin1String(kFACFields[std::size_t(field)].name));
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
    // The next byte was wanted and reading it failed: everything read before is consumed.
    bool stoppedByReadError() const { return m_failedWhenWanted; }
    // Some read failed, maybe while looking ahead, with bytes read before it still unconsumed.
    bool readErrorSeen() const { return m_failed; }
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

enum class ValueResult { Ok, PastEnd, TooLong, TooManyBlanks };

struct Value
{
    QByteArray bytes;
    qint64 startLine = 0;
    qint64 endLine = 0;
    bool unclosedQuote = false;
};

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

// A number field's value: the number at the start of the value, rounded to the nearest
// whole number, halves away from zero; 0 when the value does not start with one.
double fieldNumber(const QByteArray& bytes)
{
    return std::round(leadingNumber(QByteArrayView(bytes)));
}

QString shortened(const QByteArray& bytes)
{
    constexpr qsizetype kShown = 24;
    QString text = decodeText(bytes.left(kShown));
    if (bytes.size() > kShown)
        text += QStringLiteral("...");
    return text;
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
        for (int field = 0; field < int(kFACFields.size()); ++field) {
            const ValueResult result = readValue(in, value);
            if (in.stoppedByReadError())
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
            const FACField& f = kFACFields[std::size_t(field)];
            if (f.kind == FieldKind::Text) {
                decodeInto(record.*f.text, value.bytes);
                continue;
            }
            const double v = fieldNumber(value.bytes);
            if (!(v >= -32768.0 && v <= 32767.0)) {
                return ReadFailure{
                    // One arg() call: a "%4" in the file's text must stay as written.
                    6, QStringLiteral("Overflow: card %1, %2 holds %3, outside -32768 to "
                                      "32767, line %4")
                           .arg(QString::number(n), fieldLabel(field), shortened(value.bytes),
                                QString::number(value.startLine))};
            }
            record.*f.number = static_cast<std::int16_t>(v);
        }
        data.facsRead = static_cast<std::int16_t>(n);
    }
    if (in.stoppedByReadError())
        return ioFailure(in);
    return std::nullopt;
}

} // namespace

std::optional<ReadFailure> parseFACs(QIODevice& device, GameData& data)
{
    data.facsRead = 0;
    Scanner bytes(device);
    const QByteArrayView head = bytes.lookAhead(kSniffBytes);
    if (const auto encoding = utf16Mark(head)) {
        const bool failed = bytes.readErrorSeen();
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

void readFACs(GameData& data, MessageService& messages, const QString& fileName,
              const DataFileOpener& openFile)
{
    data.facsRead = 0;
    std::optional<ReadFailure> failure;
    const QString shownName = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    const auto notAFileFailure = [&](const QString& kind) {
        return ReadFailure{
            75,
            QStringLiteral("Path/File access error: %1 is %2, not a file").arg(shownName, kind)};
    };
    if (const FileEntry entry = lookUpEntry(fileName); !entry.exists) {
        failure = ReadFailure{53, QStringLiteral("File not found: %1").arg(shownName)};
    } else if (!entry.nonFileKind.isEmpty()) {
        failure = notAFileFailure(entry.nonFileKind);
    } else if (OpenedFile opened = openFile(fileName); !opened.device) {
        if (!opened.nonFileKind.isEmpty()) {
            failure = notAFileFailure(opened.nonFileKind);
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
