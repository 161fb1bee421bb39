#pragma once
// A row-major tensor split into the axes a reduction keeps and the axes it
// folds away. Result element r gathers its input elements as a few strided
// lines, so the common cases (the last axis, a middle axis, everything) loop
// over one contiguous or evenly strided line.

#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <vector>

namespace platform::coreml::mil {

class ReducedAxes {
public:
    // `reduced[d]` says whether axis d is folded away.
    ReducedAxes(const Shape& shape, const std::vector<bool>& reduced);

    std::int64_t resultCount() const { return resultCount_; }
    // Input elements that fold into one result element.
    std::int64_t reducedCount() const { return reducedCount_; }

    // Calls line(start, length, step) for the lines holding the input elements
    // of result element `index`: start, start + step, ... (length of them).
    template <class Line>
    void forEachLine(std::int64_t index, Line&& line) const;

private:
    struct Group {
        std::int64_t size;
        std::int64_t stride;
    };

    std::vector<Group> kept_;         // merged kept axes, outermost first
    std::vector<Group> outerReduced_; // merged reduced axes except the innermost
    Group innerReduced_{1, 1};
    std::int64_t outerLines_ = 1;
    std::int64_t resultCount_ = 1;
    std::int64_t reducedCount_ = 1;
};

template <class Line>
void ReducedAxes::forEachLine(std::int64_t index, Line&& line) const {
    std::int64_t base = 0;
    for (auto g = kept_.size(); g-- > 0;) {
        base += (index % kept_[g].size) * kept_[g].stride;
        index /= kept_[g].size;
    }
    for (std::int64_t outer = 0; outer < outerLines_; ++outer) {
        std::int64_t offset = base;
        auto rest = outer;
        for (auto g = outerReduced_.size(); g-- > 0;) {
            offset += (rest % outerReduced_[g].size) * outerReduced_[g].stride;
            rest /= outerReduced_[g].size;
        }
        line(offset, innerReduced_.size, innerReduced_.stride);
    }
}

} // namespace platform::coreml::mil
