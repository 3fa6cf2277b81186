// The rounding used wherever a value becomes an index, a pixel or a stored integer.
#pragma once

// Splits x into whole part w and fraction f (both carrying the sign of x) and truncates
// w + 0.0001 (f < 0.5) or w + 1.0001 (otherwise) toward zero: halves round up for x >= 0,
// while a negative x lands one step toward zero (mrnd(-2.3) == -1). Stored files and screen
// positions depend on exactly this, so it is kept. Values beyond the int range saturate and
// NaN gives 0.
int mrnd(double x);

int m_sign(float x); // -1, 0 or 1
