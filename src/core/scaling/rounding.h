#pragma once
// Rounding half to even (as the original's Round does), whatever rounding
// mode the thread is in.

#include <limits>

namespace vz {

// The nearest integer, halves to the even one, within [0, max]: values at
// or below 0 (and NaN) give 0, values above max give max.
int roundHalfEven(double value, int max = std::numeric_limits<int>::max());

}  // namespace vz
