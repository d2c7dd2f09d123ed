#pragma once
// a * b / c in 64 bits, rounded to the nearest integer with halves away from
// zero; -1 when c is 0 (the convention of the classic MulDiv).

#include <cstdint>
#include <limits>

namespace vz {

constexpr int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = c < 0 ? -std::int64_t(c) : c;
    const std::int64_t q = (magnitude + divisor / 2) / divisor;
    const std::int64_t result = negative ? -q : q;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min()) return -1;
    return int(result);
}

}  // namespace vz
