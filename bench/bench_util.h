// Shared by the benchmarks: best-of timing and the one output format.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace CorvaneBench {

// Best of `rounds` timings of `fn`, in seconds. The minimum is the figure least
// disturbed by the other core's work.
inline double Best(int rounds, const std::function<void()>& fn) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// `RATIO <name> <value>`: one figure against its peer, measured in the same run.
inline void Ratio(const std::string& name, double value) { std::printf("RATIO %s %.3f\n", name.c_str(), value); }

}  // namespace CorvaneBench
