#include "platform/systemrandomsource.h"

#include <chrono>

SystemRandomSource::SystemRandomSource(ClockReading clock) : m_clock(std::move(clock))
{
    reseed();
}

double SystemRandomSource::next()
{
    // The top 53 bits of one 64-bit output: every fraction k / 2^53, 0 <= r < 1.
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}

void SystemRandomSource::reseed()
{
    // The counter alone makes every seed of this object's lifetime different even when
    // the clock has not moved; the previous state carries earlier randomness along.
    const std::uint64_t reading = m_clock ? m_clock() : 0;
    const std::uint64_t previous = m_engine();
    const std::uint64_t count = ++m_reseeds;
    auto low = [](std::uint64_t x) { return static_cast<std::uint32_t>(x); };
    auto high = [](std::uint64_t x) { return static_cast<std::uint32_t>(x >> 32); };
    std::seed_seq seq{low(reading), high(reading), low(count),
                      high(count),  low(previous), high(previous)};
    m_engine.seed(seq);
}

std::uint64_t SystemRandomSource::systemClockReading()
{
    using namespace std::chrono;
    const auto wall = static_cast<std::uint64_t>(
        duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count());
    const auto steady = static_cast<std::uint64_t>(
        duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
    return wall ^ (steady * 0x9E3779B97F4A7C15ull);
}
