#pragma once
// A fuzz target's own checks: a broken promise ends the run as a crash
// would, so libFuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
