#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/CentroidLinkage.hpp"

#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/ActiveNodeList.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/BinaryMinHeap.hpp"
#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/CentroidDissimilarity.hpp"

#include <cmath>
#include <limits>

namespace razeziruzer::fastcluster {
namespace {

class Clustering {
public:
    Clustering(const double* points, std::size_t n, std::size_t d)
        : n_(n), distances_(points, n, d), candidates_(2 * n - 2, 0), bounds_(2 * n - 2, 0), active_(2 * n - 1) {}

    std::vector<Merge> run() {
        initialCandidates();
        BinaryMinHeap heap(bounds_, 1, n_ - 1, 2 * n_ - 2);
        std::vector<Merge> merges;
        merges.reserve(n_ - 1);
        for (std::size_t step = 0; step + 1 < n_; ++step) {
            const std::size_t a = closestNode(heap);
            const std::size_t b = candidates_[a];
            active_.remove(a);
            active_.remove(b);
            merges.push_back({a, b, bounds_[a], 0});
            if (step + 2 < n_) createCluster(heap, a, b, n_ + step);
        }
        return merges;
    }

private:
    // Nearest among the active nodes from `from` on with ids below `limit`;
    // only a strictly smaller distance replaces, so ties keep the smaller id.
    // Distances are taken four at a time; the comparisons stay in id order.
    void scan(std::size_t node, std::size_t from, std::size_t limit) {
        double best = distances_.sqeuclideanExtended(node, from);
        std::size_t candidate = from;
        std::size_t j = active_.successor(from);
        std::size_t ids[4];
        double values[4];
        while (j < limit) {
            std::size_t count = 0;
            for (; count < 4 && j < limit; ++count, j = active_.successor(j)) ids[count] = j;
            if (count == 4) {
                distances_.sqeuclideanExtended4(node, ids, values);
            } else {
                for (std::size_t q = 0; q < count; ++q) values[q] = distances_.sqeuclideanExtended(node, ids[q]);
            }
            for (std::size_t q = 0; q < count; ++q) {
                if (values[q] < best) {
                    best = values[q];
                    candidate = ids[q];
                }
            }
        }
        candidates_[node] = candidate;
        bounds_[node] = best;
    }

    void initialCandidates() {
        double values[4];
        for (std::size_t i = 1; i < n_; ++i) {
            double best = std::numeric_limits<double>::infinity();
            std::size_t candidate = 0;
            std::size_t j = 0;
            for (; j + 4 <= i; j += 4) {
                distances_.sqeuclideanExtended4(i, {j, j + 1, j + 2, j + 3}, values);
                for (std::size_t q = 0; q < 4; ++q) {
                    if (values[q] < best) {
                        best = values[q];
                        candidate = j + q;
                    }
                }
            }
            for (; j < i; ++j) {
                const double distance = distances_.sqeuclideanExtended(i, j);
                if (distance < best) {
                    best = distance;
                    candidate = j;
                }
            }
            candidates_[i] = candidate;
            bounds_[i] = best;
        }
    }

    // Refreshes stale candidates at the top of the heap until the top's
    // candidate is still active; its bound is then the true distance.
    std::size_t closestNode(BinaryMinHeap& heap) {
        std::size_t a = heap.top();
        while (!active_.isActive(candidates_[a])) {
            scan(a, active_.start(), a);
            heap.siftDown(heap.positionOf(a));
            a = heap.top();
        }
        return a;
    }

    void createCluster(BinaryMinHeap& heap, std::size_t a, std::size_t b, std::size_t c) {
        distances_.merge(a, b, c);
        scan(c, active_.start(), c);
        heap.remove(std::max(active_.start(), b));
        heap.replace(a, c);
    }

    std::size_t n_;
    CentroidDissimilarity distances_;
    std::vector<std::size_t> candidates_;
    std::vector<double> bounds_;
    ActiveNodeList active_;
};

} // namespace

std::vector<Merge> centroidLinkage(const double* points, std::size_t n, std::size_t d) {
    auto merges = Clustering(points, n, d).run();
    std::vector<std::size_t> sizes(n - 1);
    for (std::size_t r = 0; r < merges.size(); ++r) {
        auto& merge = merges[r];
        merge.distance = std::sqrt(merge.distance);
        const auto sizeOf = [&](std::size_t id) { return id < n ? std::size_t{1} : sizes[id - n]; };
        merge.size = sizeOf(merge.a) + sizeOf(merge.b);
        sizes[r] = merge.size;
    }
    return merges;
}

} // namespace razeziruzer::fastcluster
