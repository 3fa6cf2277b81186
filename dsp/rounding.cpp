#include "dsp/rounding.h"

#include <climits>
#include <cmath>

int mrnd(double x)
{
    if (std::isnan(x))
        return 0;
    const double w = std::trunc(x);
    const double f = x - w;
    const double r = std::trunc(f < 0.5 ? w + 0.0001 : w + 1.0001);
    if (r >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (r <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(r);
}

int m_sign(float x) { return (x > 0.0f) - (x < 0.0f); }
