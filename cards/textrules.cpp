#include "cards/textrules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the decimal number (sign, digits, optional fraction) starting at from; 0 when
// there is none. A lone sign or point is no number.
qsizetype numberLength(const QString& text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    return digits > 0 ? i - from : 0;
}

// The value of a well-formed decimal number; huge ones give an infinity, tiny ones 0.
double parseNumber(const QString& text, qsizetype from, qsizetype length)
{
    std::string s = text.mid(from, length).toStdString();
    bool negative = false;
    std::size_t start = 0;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        start = 1;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(s.data() + start, s.data() + s.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        const auto point = s.find('.');
        const std::string whole =
            s.substr(start, point == std::string::npos ? std::string::npos : point - start);
        const bool big = whole.find_first_not_of('0') != std::string::npos;
        value = big ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

} // namespace

double textValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype length = numberLength(text, i);
    return length > 0 ? parseNumber(text, i, length) : 0.0;
}

QString numberText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0: a label never shows "-0"
    if (!std::isfinite(value))
        return QString::fromLatin1(std::isnan(value) ? "NaN"
                                   : value > 0       ? "Infinity"
                                                     : "-Infinity");
    // Fixed notation, fewest digits that read back to the same value: 9, -1, 2.5, 51.
    char buffer[512];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc())
        return QString::number(value, 'g', 17);
    return QString::fromLatin1(buffer, end - buffer);
}

std::optional<double> wholeTextNumber(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    const qsizetype length = numberLength(text, first);
    if (length == 0 || first + length != last)
        return std::nullopt;
    return parseNumber(text, first, length);
}
