#pragma once
// Stand-ins for what the card data is handed: scripted randomness and captured messages.
// Qt Core only, so the card-data tests need nothing more.

#include "cards/messageservice.h"
#include "cards/randomsource.h"

#include <QList>
#include <QString>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <random>
#include <vector>

// The largest double below 1.
inline const double kJustBelowOne = std::nextafter(1.0, 0.0);

// Returns the listed fractions in turn, then falls back to a fixed cycle that covers 0..1
// evenly (so a shuffle always finishes). Counts draws and reseeds.
class ScriptedRandom : public RandomSource
{
  public:
    std::vector<double> script;
    std::size_t pos = 0;
    int draws = 0;
    int reseeds = 0;
    // What the n-th draw after the script ran out returns.
    // Mid-slot values: k / 100.0 itself would round 0.29 * 100 below 29 and never deal 30.
    std::function<double(int)> fallback = [](int n) { return ((n * 37) % 100 + 0.5) / 100.0; };
    int fallbackDraws = 0;
    // Draw numbers (0-based) at which a reseed happened before them.
    std::vector<int> reseedsAtDraw;

    double next() override
    {
        ++draws;
        if (pos < script.size())
            return script[pos++];
        return fallback(fallbackDraws++);
    }
    void reseed() override
    {
        ++reseeds;
        reseedsAtDraw.push_back(draws);
    }
    void push(std::initializer_list<double> values) { script.insert(script.end(), values); }
};

class RecordingMessages : public MessageService
{
  public:
    struct Shown
    {
        QString text;
        QString caption;
    };
    QList<Shown> shown;
    void showMessage(const QString& text, const QString& caption) override
    {
        shown.append({text, caption});
    }
};

// A good generator with a fixed seed, for tests that need many fair draws but no luck:
// the same seed gives the same draws on every run. Never reseeds from a clock.
class SeededRandom : public RandomSource
{
  public:
    explicit SeededRandom(std::uint64_t seed) : m_engine(seed) {}
    double next() override { return static_cast<double>(m_engine() >> 11) * 0x1.0p-53; }
    void reseed() override { ++reseeds; }
    int reseeds = 0;

  private:
    std::mt19937_64 m_engine;
};
