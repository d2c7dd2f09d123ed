#include "core/scaling/rounding.h"

#include <cfenv>
#include <cmath>

namespace vz {

int roundHalfEven(double value, int max) {
    if (!(value > 0.0)) return 0;  // also NaN
    if (value >= double(max)) return max;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return int(r);
}

}  // namespace vz
