#pragma once
// Card data as the tests write and expect it: data files in the writer's format (one card
// a line, texts in quotes, numbers plain, CR LF), and the clock after each timed card.
// Written out here rather than made from kFACFields or the clock table, so that the tests
// check those tables instead of trusting them.

#include "cards/gamedata.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// A text value as the writer puts it: in double quotes.
inline QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The fifteen values of card in data-file order, as the writer puts them.
inline QStringList writtenValues(const FACRecord& card)
{
    const auto n = [](std::int16_t value) { return QString::number(value); };
    // clang-format off
    return {quoted(card.No), quoted(card.Pos), n(card.CF), quoted(card.RN), quoted(card.Res),
            n(card.KD), n(card.KD2), n(card.KOR), n(card.KDC),
            quoted(card.J1), quoted(card.J2), quoted(card.J3),
            quoted(card.Cond), quoted(card.Inj), quoted(card.SA)};
    // clang-format on
}

// A data file of cards from..to, one a line; valuesOf(k) gives card k's fifteen values as
// they stand in the file (writtenValues, or values a test has bent out of shape).
inline QByteArray deckFile(int from, int to, const std::function<QStringList(int)>& valuesOf)
{
    QByteArray out;
    for (int k = from; k <= to; ++k)
        out += valuesOf(k).join(QLatin1Char(',')).toUtf8() + "\r\n";
    return out;
}

// The clock after each timed card of a round, "2:57" after the first to "0:00" after the 50th.
inline const QStringList kClockTexts{
    "2:57", "2:54", "2:51", "2:46", "2:43", "2:40", "2:33", "2:29", "2:25", "2:21",
    "2:18", "2:15", "2:12", "2:09", "2:05", "2:01", "1:57", "1:53", "1:49", "1:45",
    "1:42", "1:39", "1:36", "1:32", "1:28", "1:25", "1:22", "1:19", "1:16", "1:13",
    "1:10", "1:07", "1:04", "1:00", "0:56", "0:52", "0:48", "0:45", "0:42", "0:38",
    "0:34", "0:30", "0:27", "0:24", "0:20", "0:16", "0:12", "0:08", "0:04", "0:00"};
