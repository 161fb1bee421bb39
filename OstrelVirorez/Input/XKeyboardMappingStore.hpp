#pragma once
// The Caps Lock key's entry of the user key mapping as the X server's
// keyboard mapping holds it: the Caps Lock key producing another key's
// symbol (and no longer locking) is an entry from Caps Lock to that key.
// Only Caps Lock entries can be expressed; other keys keep their mapping.

#include "OstrelVirorez/Input/KeyMappingStore.hpp"

#include <string>

namespace ostrelvirorez {

class XKeyboardMappingStore final : public KeyMappingStore {
public:
    // `displayName` empty: $DISPLAY.
    explicit XKeyboardMappingStore(std::string displayName = {}) : displayName_(std::move(displayName)) {}

    std::optional<std::vector<KeyMappingEntry>> currentMapping() override;
    // False for entries whose source is not Caps Lock or whose destination
    // has no key symbol here.
    bool writeMapping(const std::vector<KeyMappingEntry>& entries) override;

private:
    std::string displayName_;
};

} // namespace ostrelvirorez
