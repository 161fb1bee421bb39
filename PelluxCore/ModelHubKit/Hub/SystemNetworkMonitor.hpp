#pragma once
// The machine's network path: satisfied while some interface other than
// loopback is up, running and has an IPv4 or IPv6 address. Asked afresh on
// every query, so it needs no thread of its own.

#include "PelluxCore/ModelHubKit/Hub/NetworkMonitor.hpp"

namespace modelhubkit {

class SystemNetworkMonitor : public NetworkMonitor {
public:
    bool isSatisfied() const override;
};

} // namespace modelhubkit
