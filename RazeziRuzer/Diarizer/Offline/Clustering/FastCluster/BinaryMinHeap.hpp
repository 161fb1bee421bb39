#pragma once
// A min-heap of node ids keyed by an outside array of bounds. Its sift rules
// decide between equal keys, so they are kept exactly as written.

#include <cstddef>
#include <vector>

namespace razeziruzer::fastcluster {

class BinaryMinHeap {
public:
    // Holds ids first .. first+count-1; keys is indexed by id and must
    // outlive the heap; idCapacity bounds every id ever stored.
    BinaryMinHeap(const std::vector<double>& keys, std::size_t first, std::size_t count, std::size_t idCapacity);

    std::size_t top() const { return ids_[0]; }
    std::size_t positionOf(std::size_t id) const { return positions_[id]; }
    // After the key of the id at `position` grew.
    void siftDown(std::size_t position);
    void remove(std::size_t id);
    // `replacement` takes old's place; keys[replacement] must already hold its value.
    void replace(std::size_t old, std::size_t replacement);

private:
    double key(std::size_t position) const { return keys_[ids_[position]]; }
    void swap(std::size_t p, std::size_t q);
    void siftUp(std::size_t position);

    const std::vector<double>& keys_;
    std::size_t size_;
    std::vector<std::size_t> ids_;
    std::vector<std::size_t> positions_;
};

} // namespace razeziruzer::fastcluster
