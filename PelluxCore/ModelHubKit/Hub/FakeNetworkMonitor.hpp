#pragma once
// A network path that tests switch by hand.

#include "PelluxCore/ModelHubKit/Hub/NetworkMonitor.hpp"

#include <atomic>

namespace modelhubkit {

class FakeNetworkMonitor : public NetworkMonitor {
public:
    explicit FakeNetworkMonitor(bool satisfied = true) : satisfied_(satisfied) {}

    bool isSatisfied() const override { return satisfied_; }
    void setSatisfied(bool satisfied) { satisfied_ = satisfied; }

private:
    std::atomic<bool> satisfied_;
};

} // namespace modelhubkit
