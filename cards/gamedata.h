#pragma once
// The program-wide card data: the card table, the deck and the counters. One instance
// lives for the whole run (made in main.cpp); the game window reads and writes it
// directly. Tests make their own.

#include <QString>
#include <array>
#include <cstdint>

// One FAC, its fifteen fields in data-file order.
struct FACRecord
{
    QString No;
    QString Pos;
    std::int16_t CF = 0;
    QString RN;
    QString Res;
    std::int16_t KD = 0;
    std::int16_t KD2 = 0;
    std::int16_t KOR = 0;
    std::int16_t KDC = 0;
    QString J1;
    QString J2;
    QString J3;
    QString Cond;
    QString Inj;
    QString SA;

    friend bool operator==(const FACRecord&, const FACRecord&) = default;
};

// Indexed by deck position 1..100; element 0 is never used.
using Deck = std::array<std::int16_t, 101>;

struct GameData
{
    // Indexed by FAC number 1..100; element 0 is never used. Written only by the reader,
    // never cleared.
    std::array<FACRecord, 101> FACs{};
    // Complete records stored by the last read, 0..100.
    std::int16_t facsRead = 0;
    // Indexed by deck position 1..100; element 0 is never used. All 0 before the first shuffle.
    Deck deck{};
    // Deck position of the last timed card; 0 for a fresh deck.
    std::int16_t facCount = 0;
    // FAC number on the main panel; 0 until the first card is shown.
    std::int16_t curFAC = 0;
};
