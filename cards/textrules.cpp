#include "cards/textrules.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

char16_t unitAt(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t unitAt(QByteArrayView bytes, qsizetype i)
{
    return static_cast<unsigned char>(bytes[i]);
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the decimal number (sign, digits, optional fraction) starting at from; 0 when
// there is none. A lone sign or point is no number.
template <typename Text> qsizetype numberLength(Text text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && (unitAt(text, i) == u'+' || unitAt(text, i) == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(unitAt(text, i))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && unitAt(text, i) == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < text.size() && isDigit(unitAt(text, j))) {
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
template <typename Text> double parseNumber(Text text, qsizetype from, qsizetype length)
{
    std::string s;
    s.reserve(std::size_t(length));
    for (qsizetype i = from; i < from + length; ++i)
        s.push_back(static_cast<char>(unitAt(text, i))); // sign, digits and point: ASCII
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

template <typename Text> double leadingNumberOf(Text text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(unitAt(text, i)))
        ++i;
    const qsizetype length = numberLength(text, i);
    return length > 0 ? parseNumber(text, i, length) : 0.0;
}

} // namespace

double leadingNumber(QStringView text)
{
    return leadingNumberOf(text);
}

double leadingNumber(QByteArrayView bytes)
{
    return leadingNumberOf(bytes);
}

QString decimalText(double value)
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

std::optional<double> numberFromWholeText(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first].unicode()))
        ++first;
    while (last > first && isBlank(text[last - 1].unicode()))
        --last;
    const qsizetype length = numberLength(text, first);
    if (length == 0 || first + length != last)
        return std::nullopt;
    return parseNumber(text, first, length);
}
