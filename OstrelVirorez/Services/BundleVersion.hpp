#pragma once
// The program's version and build number as the build stamps them in, and
// the text "<version> (<build>)" with "0" for each one that is missing.

#include <optional>
#include <string>

namespace ostrelvirorez {

struct BundleVersion {
    std::optional<std::string> shortVersion;
    std::optional<std::string> buildVersion;

    // The values the build defined (OSTREL_BUNDLE_SHORT_VERSION and
    // OSTREL_BUNDLE_VERSION); absent ones stay absent.
    static BundleVersion current();

    std::string text() const;
};

} // namespace ostrelvirorez
