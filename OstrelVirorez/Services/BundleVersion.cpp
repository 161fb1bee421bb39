#include "OstrelVirorez/Services/BundleVersion.hpp"

namespace ostrelvirorez {

BundleVersion BundleVersion::current() {
    BundleVersion version;
#ifdef OSTREL_BUNDLE_SHORT_VERSION
    version.shortVersion = OSTREL_BUNDLE_SHORT_VERSION;
#endif
#ifdef OSTREL_BUNDLE_VERSION
    version.buildVersion = OSTREL_BUNDLE_VERSION;
#endif
    return version;
}

std::string BundleVersion::text() const {
    return shortVersion.value_or("0") + " (" + buildVersion.value_or("0") + ")";
}

} // namespace ostrelvirorez
