#include "cards/textdecoding.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 kChunk = 64 * 1024;

// Windows-1252 for the bytes 0x80..0x9F; every other byte is the same as Latin-1. The five
// unassigned bytes keep their C1 control code, as Windows itself does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

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

std::optional<QStringConverter::Encoding> utf16Mark(QByteArrayView head)
{
    if (head.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

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

Utf16AsUtf8::Utf16AsUtf8(QByteArray head, bool failed, QIODevice& source,
                         QStringConverter::Encoding encoding)
    : m_head(std::move(head)), m_failed(failed), m_source(source), m_decoder(encoding)
{
}

qint64 Utf16AsUtf8::readData(char* data, qint64 max)
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
