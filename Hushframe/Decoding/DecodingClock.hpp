#pragma once
// Time stamps of the decoding core: absolute seconds for the pipeline's
// start and first-token stamps, and elapsed seconds for stage durations.

#include <chrono>

namespace hushframe {

inline double absoluteTimeNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

class Stopwatch {
public:
    double elapsed() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace hushframe
