// The offline diarizer's clustering stages on generated speaker embeddings:
// centroid linkage beside scipy's linkage(method="centroid") on the same
// points in the same run (scipy timed inside its own process, without the
// interpreter's start-up), VBx, k-means and the reconstruction of one hour.
// The scipy rows need /usr/bin/python3 with python3-scipy.

#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/FastClusterWrapper.h"
#include "RazeziRuzer/Diarizer/Offline/Clustering/KMeansClustering.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/VBxClustering.hpp"
#include "RazeziRuzer/Diarizer/Offline/Utils/OfflineReconstruction.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace razeziruzer;
using Rows = std::vector<std::vector<double>>;

Rows speakerRows(std::size_t n, std::size_t d, int speakers, double noise, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    Rows centres(static_cast<std::size_t>(speakers), std::vector<double>(d));
    for (auto& c : centres) {
        for (auto& v : c) v = normal(random);
    }
    Rows rows;
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<double> row(d);
        double norm = 0;
        for (std::size_t k = 0; k < d; ++k) {
            row[k] = centres[i % centres.size()][k] + noise * normal(random);
            norm += row[k] * row[k];
        }
        for (auto& v : row) v /= std::sqrt(norm);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<double> flat(const Rows& rows) {
    std::vector<double> out;
    for (const auto& r : rows) out.insert(out.end(), r.begin(), r.end());
    return out;
}

void CentroidLinkage(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto points = flat(speakerRows(n, 256, 8, 0.8, 1));
    std::vector<double> out(4 * (n - 1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(fastcluster_compute_centroid_linkage(points.data(), n, 256, out.data(), out.size()));
    }
}
BENCHMARK(CentroidLinkage)->Arg(2000)->Arg(6000)->Unit(benchmark::kMillisecond);

// scipy's best of three runs on the same points, reported as manual time.
void ScipyCentroidLinkage(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    const auto points = flat(speakerRows(n, 256, 8, 0.8, 1));
    const auto folder = std::filesystem::temp_directory_path() / "ostrel-linkage-bench";
    std::filesystem::create_directories(folder);
    const auto data = folder / "points.f64";
    std::ofstream(data, std::ios::binary)
        .write(reinterpret_cast<const char*>(points.data()), static_cast<std::streamsize>(points.size() * sizeof(double)));
    const std::string command =
        "/usr/bin/python3 -c \"import time, numpy as np; from scipy.cluster.hierarchy import linkage; "
        "x = np.fromfile('" + data.string() + "').reshape(" + std::to_string(n) + ", 256); best = 1e9\n"
        "for _ in range(3):\n t = time.perf_counter(); linkage(x, method='centroid'); "
        "best = min(best, time.perf_counter() - t)\nprint(best)\" 2>/dev/null";
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        double seconds = -1;
        if (pipe == nullptr || std::fscanf(pipe, "%lf", &seconds) != 1 || seconds < 0) {
            if (pipe != nullptr) ::pclose(pipe);
            state.SkipWithError("python3 with scipy is not available");
            break;
        }
        ::pclose(pipe);
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(ScipyCentroidLinkage)->Arg(2000)->Arg(6000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void VBx(benchmark::State& state) {
    std::mt19937 random(2);
    const auto rows = speakerRows(5000, 128, 10, 0.5, 2);
    Rows rho;
    for (const auto& r : rows) {
        std::vector<double> scaled(r);
        for (auto& v : scaled) v *= 10;
        rho.push_back(std::move(scaled));
    }
    std::vector<std::int64_t> labels;
    for (std::size_t i = 0; i < rho.size(); ++i) labels.push_back(static_cast<std::int64_t>(i % 10));
    auto config = OfflineDiarizerConfig::defaultConfig();
    config.vbx.convergenceTolerance = 1e-300;  // always the full 20 iterations
    const VBxClustering vbx{config, std::vector<double>(128, 2.0)};
    for (auto _ : state) benchmark::DoNotOptimize(vbx.refine(rho, labels));
}
BENCHMARK(VBx)->Unit(benchmark::kMillisecond);

void KMeans(benchmark::State& state) {
    const auto rows = speakerRows(5000, 256, 10, 0.8, 3);
    for (auto _ : state) benchmark::DoNotOptimize(KMeansClustering::clusterWithCentroids(rows, 10, 100, 7));
}
BENCHMARK(KMeans)->Unit(benchmark::kMillisecond);

// One hour in 10 s windows every 2 s, 589 frames of 3 local speakers each.
void ReconstructionOneHour(benchmark::State& state) {
    constexpr std::int64_t windows = 1796, frames = 589, speakers = 3;
    std::mt19937 random(4);
    std::uniform_real_distribution<float> weight(0, 1);
    SegmentationOutput seg;
    seg.numChunks = windows;
    seg.numFrames = frames;
    seg.numSpeakers = speakers;
    seg.frameDuration = 10.0 / static_cast<double>(frames);
    std::vector<std::vector<std::int64_t>> clusters;
    std::uniform_int_distribution<std::int64_t> cluster(0, 5);
    for (std::int64_t c = 0; c < windows; ++c) {
        seg.chunkOffsets.push_back(2.0 * static_cast<double>(c));
        FrameRows rows(frames, std::vector<float>(speakers));
        const auto active = static_cast<std::size_t>((c / 3) % speakers);
        for (auto& row : rows) row[active] = weight(random) < 0.8f ? 1.0f : 0.0f;
        seg.speakerWeights.push_back(std::move(rows));
        clusters.push_back({cluster(random), cluster(random), cluster(random)});
    }
    const Rows centroids = speakerRows(6, 256, 6, 0.1, 5);
    const OfflineReconstruction reconstruction{OfflineDiarizerConfig::defaultConfig()};
    for (auto _ : state) benchmark::DoNotOptimize(reconstruction.buildSegments(seg, clusters, centroids));
}
BENCHMARK(ReconstructionOneHour)->Unit(benchmark::kMillisecond);

} // namespace
