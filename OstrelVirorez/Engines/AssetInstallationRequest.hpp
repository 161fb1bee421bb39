#pragma once
// The platform's request to install speech assets that some modules still lack.

namespace ostrelvirorez {

class AssetInstallationRequest {
public:
    virtual ~AssetInstallationRequest() = default;
    // Returns once the assets are installed; throws the platform's error.
    virtual void downloadAndInstall() = 0;
};

} // namespace ostrelvirorez
