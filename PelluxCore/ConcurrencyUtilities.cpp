#include "PelluxCore/ConcurrencyUtilities.hpp"

#include <unistd.h>

#include <algorithm>

namespace pelluxcore {

int ConcurrencyUtilities::activeProcessorCount() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<int>(std::max(online, 1L));
}

} // namespace pelluxcore
