#include "cards/deck.h"

#include "cards/randomsource.h"

void shuffleDeck(Deck& deck, RandomSource& random)
{
    std::array<std::int16_t, 101> available;
    available.fill(1);
    for (int i = 1; i <= 100; ++i) {
        // Draw until a number still free comes up; the last position waits for the one left.
        for (;;) {
            const int v = drawWhole(random.next(), 100);
            if (available[v] != 0) {
                deck[i] = static_cast<std::int16_t>(v);
                available[v] = 0;
                break;
            }
        }
    }
}
