#include "RazeziRuzer/Diarizer/Offline/Clustering/FastCluster/BinaryMinHeap.hpp"

#include <utility>

namespace razeziruzer::fastcluster {

BinaryMinHeap::BinaryMinHeap(const std::vector<double>& keys, std::size_t first, std::size_t count,
                             std::size_t idCapacity)
    : keys_(keys), size_(count), ids_(count), positions_(idCapacity) {
    for (std::size_t p = 0; p < count; ++p) {
        ids_[p] = first + p;
        positions_[first + p] = p;
    }
    for (std::size_t p = count / 2; p-- > 0;) siftDown(p);
}

void BinaryMinHeap::swap(std::size_t p, std::size_t q) {
    std::swap(ids_[p], ids_[q]);
    positions_[ids_[p]] = p;
    positions_[ids_[q]] = q;
}

void BinaryMinHeap::siftDown(std::size_t p) {
    while (2 * p + 1 < size_) {
        const std::size_t left = 2 * p + 1;
        const std::size_t right = left + 1;
        std::size_t next = 0;
        if (key(left) >= key(p)) {
            if (right >= size_ || key(right) >= key(p)) return;
            next = right;
        } else {
            next = (right < size_ && key(left) > key(right)) ? right : left;
        }
        swap(p, next);
        p = next;
    }
}

void BinaryMinHeap::siftUp(std::size_t p) {
    while (p > 0) {
        const std::size_t parent = (p - 1) / 2;
        if (!(key(parent) > key(p))) return;
        swap(p, parent);
        p = parent;
    }
}

void BinaryMinHeap::remove(std::size_t id) {
    --size_;
    const std::size_t p = positions_[id];
    if (p == size_) return;
    const std::size_t moved = ids_[size_];
    ids_[p] = moved;
    positions_[moved] = p;
    if (keys_[moved] <= keys_[id]) {
        siftUp(p);
    } else {
        siftDown(p);
    }
}

void BinaryMinHeap::replace(std::size_t old, std::size_t replacement) {
    const std::size_t p = positions_[old];
    ids_[p] = replacement;
    positions_[replacement] = p;
    if (keys_[replacement] <= keys_[old]) {
        siftUp(p);
    } else {
        siftDown(p);
    }
}

} // namespace razeziruzer::fastcluster
