#include "PelluxCore/ModelHubKit/Hub/SystemNetworkMonitor.hpp"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace modelhubkit {
namespace {

bool isUsable(const ifaddrs& entry)
{
    if (entry.ifa_addr == nullptr)
        return false;
    const int family = entry.ifa_addr->sa_family;
    if (family != AF_INET && family != AF_INET6)
        return false;
    const unsigned flags = entry.ifa_flags;
    return (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
}

} // namespace

bool SystemNetworkMonitor::isSatisfied() const
{
    ifaddrs* list = nullptr;
    // When the interfaces cannot be read, trying the hub is the better guess:
    // a real failure then surfaces as the transport's own error.
    if (::getifaddrs(&list) != 0)
        return true;
    bool satisfied = false;
    for (const ifaddrs* entry = list; entry != nullptr && !satisfied; entry = entry->ifa_next)
        satisfied = isUsable(*entry);
    ::freeifaddrs(list);
    return satisfied;
}

std::shared_ptr<const NetworkMonitor> NetworkMonitor::shared()
{
    static const auto monitor = std::make_shared<const SystemNetworkMonitor>();
    return monitor;
}

} // namespace modelhubkit
