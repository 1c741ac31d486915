#pragma once
// The shuffled deck.

#include "cards/gamedata.h"

class RandomSource;

// Fills deck with a fresh random order of 1..100 by rejection sampling over availability
// flags. Does not reseed.
void shuffleDeck(Deck& deck, RandomSource& random);
