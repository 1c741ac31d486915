// Times the two card-data steps a player waits on: reading the bundled deck and a shuffle.
// Prints the median of many single runs (the median shrugs off a scheduler hiccup).

#include "cards/deck.h"
#include "cards/facreader.h"
#include "cards/messageservice.h"
#include "platform/systemrandomsource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

class CountingMessages : public MessageService
{
  public:
    int shown = 0;
    void showMessage(const QString&, const QString&) override { ++shown; }
};

template <typename Step> double medianMicroseconds(int runs, Step step)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        step();
        const auto end = Clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

} // namespace

int main()
{
    GameData data;
    CountingMessages messages;
    const QString deckFile = QStringLiteral(QOR_DECK_FILE);

    const double read = medianMicroseconds(2000, [&] { readFACs(data, messages, deckFile); });
    if (messages.shown != 0 || data.facsRead != 100) {
        std::fprintf(stderr, "the bundled deck did not read cleanly\n");
        return 1;
    }

    SystemRandomSource random;
    const double shuffle = medianMicroseconds(20000, [&] { shuffleDeck(data.deck, random); });

    std::printf(
        "readFACs, bundled deck of 100 cards: median %.1f us over 2000 reads (goal < 100 us)\n",
        read);
    std::printf("shuffleDeck: median %.2f us over 20000 shuffles (goal < 10 us)\n", shuffle);
    return 0;
}
