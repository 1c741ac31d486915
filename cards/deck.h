#pragma once
// The shuffled deck.

#include "cards/gamedata.h"

class RandomSource;

// Fills data.deck with a fresh random order of 1..100 by rejection sampling over
// availability flags. Touches nothing else; does not reseed.
void shuffleDeck(GameData& data, RandomSource& random);
