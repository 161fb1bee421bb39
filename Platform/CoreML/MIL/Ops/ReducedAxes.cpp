#include "Platform/CoreML/MIL/Ops/ReducedAxes.hpp"

namespace platform::coreml::mil {

ReducedAxes::ReducedAxes(const Shape& shape, const std::vector<bool>& reduced) {
    // Size-1 axes change nothing; neighbours on the same side merge, since a
    // dense tensor is contiguous across adjacent axes.
    std::vector<std::pair<Group, bool>> groups;
    std::int64_t stride = 1;
    for (auto d = shape.size(); d-- > 0;) {
        const auto size = shape[d];
        if (size != 1) {
            if (!groups.empty() && groups.back().second == reduced[d]) {
                groups.back().first.size *= size;
            } else {
                groups.push_back({Group{size, stride}, reduced[d]});
            }
        }
        stride *= size;
    }
    // `groups` runs innermost first.
    bool seenReduced = false;
    for (auto g = groups.size(); g-- > 0;) {
        const auto& [group, isReduced] = groups[g];
        if (!isReduced) {
            kept_.push_back(group);
            resultCount_ *= group.size;
        } else {
            reducedCount_ *= group.size;
            outerReduced_.push_back(group);
            seenReduced = true;
        }
    }
    if (seenReduced) {
        innerReduced_ = outerReduced_.back();
        outerReduced_.pop_back();
    }
    for (const auto& group : outerReduced_) {
        outerLines_ *= group.size;
    }
}

} // namespace platform::coreml::mil
