#pragma once
// The real random source.

#include "cards/randomsource.h"

#include <cstdint>
#include <functional>
#include <random>

// The real source: a 64-bit Mersenne Twister giving 53-bit fractions. Every reseed mixes
// the clock reading with a reseed counter and the generator's previous state, so two
// reseeds within one clock tick still lead to different sequences.
class SystemRandomSource : public RandomSource
{
  public:
    // A reading of the clock used for reseeding; tests hand in a frozen one.
    using ClockReading = std::function<std::uint64_t()>;

    // Seeds from the clock at once.
    explicit SystemRandomSource(ClockReading clock = systemClockReading);

    double next() override;
    void reseed() override;

    // Nanoseconds of the system clock mixed with the steady clock.
    static std::uint64_t systemClockReading();

  private:
    ClockReading m_clock;
    std::mt19937_64 m_engine;
    std::uint64_t m_reseeds = 0;
};
