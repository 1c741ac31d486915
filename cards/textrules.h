#pragma once
// How label texts turn into numbers and back.

#include <QString>
#include <optional>

// The value of the longest leading decimal number after leading blanks; 0 when none.
double textValue(const QString& text);

// Shortest decimal form, no leading blank: 9 -> "9", -1 -> "-1", 2.5 -> "2.5".
QString numberText(double value);

// The whole text read as a decimal number, blanks around it allowed; nothing when the text
// is not a number.
std::optional<double> wholeTextNumber(const QString& text);
