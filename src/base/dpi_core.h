// Pixel figures laid out for 96 dots per inch, carried to another density.
#pragma once

// The density every figure in the code is written for.
constexpr int kBaseDpi = 96;

// `value` * `to` / `from`, rounded half away from zero as the system's MulDiv
// does, so a figure scaled here matches one the system scales. A density that
// is not positive leaves the value as it is.
int dpi_rescale(int value, int to, int from);

// A figure written for 96 DPI at `dpi`.
inline int dpi_scale(int value, int dpi) { return dpi_rescale(value, dpi, kBaseDpi); }
