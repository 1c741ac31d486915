#include "cards/randomsource.h"

#include <cmath>

int drawWhole(double r, int m)
{
    // For r < 1 the rounded product m * r stays below m, but clamp anyway so that no
    // rounding mode or odd input can ever produce m + 1 (or anything below 1).
    const double product = std::floor(static_cast<double>(m) * r);
    if (!(product >= 0.0))
        return 1;
    if (product >= m)
        return m;
    return static_cast<int>(product) + 1;
}
