#pragma once
// A tree of work counters: a progress object counts its own units and, for
// each child added with a share of its units, credits that share once the
// child is finished. Safe to use from several threads.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace hushframe {

class Progress {
public:
    explicit Progress(std::int64_t totalUnitCount = 0) : totalUnitCount_(totalUnitCount) {}

    std::int64_t totalUnitCount() const;
    void setTotalUnitCount(std::int64_t count);
    // Own units plus the shares of finished children.
    std::int64_t completedUnitCount() const;
    void setCompletedUnitCount(std::int64_t count);
    void addChild(std::shared_ptr<Progress> child, std::int64_t pendingUnitCount);

    // True once some work was planned and all of it is done.
    bool isFinished() const;

private:
    struct Child {
        std::shared_ptr<Progress> progress;
        std::int64_t pendingUnitCount;
    };

    mutable std::mutex mutex_;
    std::int64_t totalUnitCount_;
    std::int64_t completedUnitCount_ = 0;
    std::vector<Child> children_;
};

} // namespace hushframe
