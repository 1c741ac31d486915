#pragma once
// How texts turn into numbers and back: label texts, and the data file's number values.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// A blank is a space or a tab; it is skipped before a number and around a value.
constexpr bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// The value of the decimal number (sign, digits, optional fraction) at the start of text,
// after leading blanks; 0 when the text starts with none. Too many digits for a double give
// an infinity, or 0 when they are all zeros before the point. The bytes are ASCII digits
// within text of any single-byte or UTF-8 encoding.
double leadingNumber(QStringView text);
double leadingNumber(QByteArrayView bytes);

// Shortest decimal form, no leading blank: 9 -> "9", -1 -> "-1", 2.5 -> "2.5".
QString decimalText(double value);

// The whole text read as a decimal number, blanks around it allowed; nothing when the text
// is not a number.
std::optional<double> numberFromWholeText(QStringView text);
