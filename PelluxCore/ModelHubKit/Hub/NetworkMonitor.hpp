#pragma once
// Tells the hub client whether a network path is usable at all; without one
// the client answers from its local cache instead of trying the hub.

#include <memory>

namespace modelhubkit {

class NetworkMonitor {
public:
    virtual ~NetworkMonitor() = default;

    virtual bool isSatisfied() const = 0;

    // The process's monitor of the machine's interfaces.
    static std::shared_ptr<const NetworkMonitor> shared();
};

} // namespace modelhubkit
