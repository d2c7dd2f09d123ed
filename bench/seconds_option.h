#pragma once
// "--seconds=N" for the benchmarks that run for a while: taken out of the
// arguments, the rest kept for the application object and the library.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

inline int takeSecondsOption(int argc, char** argv, std::vector<char*>& rest, int defaultSeconds = 5) {
    int seconds = defaultSeconds;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0)
            seconds = std::max(1, std::atoi(argv[i] + 10));
        else
            rest.push_back(argv[i]);
    }
    return seconds;
}

}  // namespace bench
