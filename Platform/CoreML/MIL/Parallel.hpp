#pragma once
// Splits a loop over [0, count) into ranges run on the shared thread pool and
// waits for all of them. Ranges hold at least `grain` iterations; small loops
// run on the caller alone. An exception in any range is rethrown after all ran.

#include <cstdint>
#include <functional>

namespace platform::coreml::mil {

void parallelFor(std::int64_t count, std::int64_t grain,
                 const std::function<void(std::int64_t begin, std::int64_t end)>& body);

} // namespace platform::coreml::mil
