#pragma once
// The program's one source of random fractions. Handed to every piece of code that draws,
// so tests can hand in a scripted one.

class RandomSource
{
  public:
    virtual ~RandomSource() = default;
    // The next fraction r, 0 <= r < 1.
    virtual double next() = 0;
    // Reseeds from the system clock. Never returns the generator to a state it had before,
    // even when the clock reading has not changed since the last reseed.
    virtual void reseed() = 0;
};

// floor(m * r) + 1 for 0 <= r < 1: a whole number from 1 to m, never m + 1.
int drawWhole(double r, int m);
