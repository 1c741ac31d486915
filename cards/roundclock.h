#pragma once
// The round clock table: the clock text after the k-th timed card of a deck.

#include <QString>

// The text for deck position facCount 1..100 ("2:57" ... "0:00"); a null QString outside.
QString clockText(int facCount);
