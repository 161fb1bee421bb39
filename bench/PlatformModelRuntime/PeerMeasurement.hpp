#pragma once
// Times our runtime on one encoder bundle of a comparison folder and sets the
// result beside the other runtime's: its median time (read from
// peer-<seconds>s-<threads>t.json) and the largest absolute difference between
// the two outputs (ours against peer-<seconds>s-<threads>t.f32). Each
// measurement is kept as ours-<seconds>s-<threads>t.json for the table.

#include <filesystem>
#include <string>
#include <vector>

namespace runtimebench {

struct PeerMeasurement {
    int blocks = 0;
    int seconds = 0;
    int threads = 0;
    std::string precision;
    double oursMs = 0;
    double peerMs = 0;
    double maxDifference = 0;
    double largestOutput = 0; // largest absolute value of the peer's output, for scale
};

// One warm-up prediction, then the median of `runs` timed predictions.
// `threads` names the setting the caller arranged (affinity and pool size).
PeerMeasurement measureAgainstPeer(const std::filesystem::path& folder, int seconds, int threads, int runs);

void saveMeasurement(const std::filesystem::path& folder, const PeerMeasurement& measurement);
// Every measurement saved in those folders, ordered by blocks, seconds, threads.
std::vector<PeerMeasurement> loadMeasurements(const std::vector<std::filesystem::path>& folders);

} // namespace runtimebench
