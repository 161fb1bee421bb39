#include "Hushframe/Core/Progress.hpp"

namespace hushframe {

std::int64_t Progress::totalUnitCount() const {
    std::lock_guard lock(mutex_);
    return totalUnitCount_;
}

void Progress::setTotalUnitCount(std::int64_t count) {
    std::lock_guard lock(mutex_);
    totalUnitCount_ = count;
}

std::int64_t Progress::completedUnitCount() const {
    std::vector<Child> children;
    std::int64_t completed = 0;
    {
        std::lock_guard lock(mutex_);
        children = children_;
        completed = completedUnitCount_;
    }
    // Children are asked outside the lock so that a child never waits on its parent.
    for (const auto& child : children) {
        if (child.progress->isFinished()) completed += child.pendingUnitCount;
    }
    return completed;
}

void Progress::setCompletedUnitCount(std::int64_t count) {
    std::lock_guard lock(mutex_);
    completedUnitCount_ = count;
}

void Progress::addChild(std::shared_ptr<Progress> child, std::int64_t pendingUnitCount) {
    std::lock_guard lock(mutex_);
    children_.push_back({std::move(child), pendingUnitCount});
}

bool Progress::isFinished() const {
    const std::int64_t total = totalUnitCount();
    return total > 0 && completedUnitCount() >= total;
}

} // namespace hushframe
