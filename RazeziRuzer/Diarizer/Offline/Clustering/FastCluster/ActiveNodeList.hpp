#pragma once
// The node ids still taking part in clustering, in increasing order. It
// starts with every id that will ever exist; ids of clusters not made yet are
// never reached, because each walk stops below the walking node's id.

#include <cstddef>
#include <vector>

namespace razeziruzer::fastcluster {

class ActiveNodeList {
public:
    explicit ActiveNodeList(std::size_t idCount) : successors_(idCount + 1), predecessors_(idCount + 1) {
        for (std::size_t i = 0; i <= idCount; ++i) {
            successors_[i] = i + 1;
            predecessors_[i] = i == 0 ? 0 : i - 1;
        }
    }

    std::size_t start() const { return start_; }
    std::size_t successor(std::size_t id) const { return successors_[id]; }
    // Successors always exceed their id, so 0 can mark a removed one.
    bool isActive(std::size_t id) const { return successors_[id] != 0; }

    void remove(std::size_t id) {
        if (id == start_) {
            start_ = successors_[id];
        } else {
            successors_[predecessors_[id]] = successors_[id];
            predecessors_[successors_[id]] = predecessors_[id];
        }
        successors_[id] = 0;
    }

private:
    std::size_t start_ = 0;
    std::vector<std::size_t> successors_;
    std::vector<std::size_t> predecessors_;
};

} // namespace razeziruzer::fastcluster
