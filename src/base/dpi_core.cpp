#include "base/dpi_core.h"

#include <climits>

int dpi_rescale(int value, int to, int from) {
    if (to <= 0 || from <= 0 || to == from) return value;
    const long long product = static_cast<long long>(value) * to;
    const long long half = from / 2;
    const long long q = product >= 0 ? (product + half) / from : -((-product + half) / from);
    if (q > INT_MAX) return INT_MAX;
    if (q < INT_MIN) return INT_MIN;
    return static_cast<int>(q);
}
