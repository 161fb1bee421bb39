#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/FastClusterWrapper.h"

#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/CentroidDissimilarity.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/CentroidLinkage.hpp"

#include <algorithm>
#include <new>

namespace {

constexpr size_t maxCount = 2147483647;

fastcluster_wrapper_status compute(const double* features, size_t n, size_t d, double* output) {
    const auto merges = razeziruzer::fastcluster::centroidLinkage(features, n, d);
    for (size_t r = 0; r < merges.size(); ++r) {
        const auto& merge = merges[r];
        double* row = output + 4 * r;
        row[0] = static_cast<double>(std::min(merge.a, merge.b));
        row[1] = static_cast<double>(std::max(merge.a, merge.b));
        row[2] = merge.distance;
        row[3] = static_cast<double>(merge.size);
    }
    return FASTCLUSTER_WRAPPER_SUCCESS;
}

} // namespace

extern "C" fastcluster_wrapper_status fastcluster_compute_centroid_linkage(const double* features, size_t n, size_t d,
                                                                           double* output, size_t outputLength) {
    if (features == nullptr || output == nullptr) return FASTCLUSTER_WRAPPER_INVALID_ARGUMENT;
    if (n == 0) return FASTCLUSTER_WRAPPER_SUCCESS;
    if (d == 0) return FASTCLUSTER_WRAPPER_INVALID_ARGUMENT;
    if (n > maxCount || d > maxCount) return FASTCLUSTER_WRAPPER_SIZE_OVERFLOW;
    if (outputLength < 4 * (n - 1)) return FASTCLUSTER_WRAPPER_OUTPUT_TOO_SMALL;
    if (n == 1) return FASTCLUSTER_WRAPPER_SUCCESS;
    try {
        return compute(features, n, d, output);
    } catch (const razeziruzer::fastcluster::NanError&) {
        return FASTCLUSTER_WRAPPER_COMPUTATION_FAILED;
    } catch (const std::bad_alloc&) {
        return FASTCLUSTER_WRAPPER_ALLOCATION_FAILED;
    } catch (const std::exception&) {
        return FASTCLUSTER_WRAPPER_COMPUTATION_FAILED;
    } catch (...) {
        return FASTCLUSTER_WRAPPER_UNKNOWN_ERROR;
    }
}
