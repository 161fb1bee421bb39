#pragma once
// How far a snapshot has come, handed to progress callbacks: files done out of
// the files to fetch, and the overall fraction including the bytes of the
// file in flight.

#include <cstdint>
#include <functional>
#include <string>

namespace modelhubkit {

struct Progress {
    std::int64_t totalUnitCount = 0;
    std::int64_t completedUnitCount = 0;
    double fractionCompleted = 0.0;

    bool isFinished() const { return completedUnitCount >= totalUnitCount; }
    std::string debugDescription() const;

    bool operator==(const Progress&) const = default;
};

// Called on the thread running the snapshot.
using ProgressHandler = std::function<void(const Progress&)>;

} // namespace modelhubkit
