#pragma once
// Makes the Caps Lock key usable as a hold-to-talk key by mapping it to F19
// in the keyboards' user key mapping, and removes that mapping again when it
// is no longer wanted or the application ends. Entries of other keys are
// kept in order; a mapping table larger than expected is never rewritten.

#include "OstrelVirorez/App/Ports/CapsLockRemapping.hpp"
#include "OstrelVirorez/Input/KeyMappingStore.hpp"

#include <cstdint>
#include <memory>

namespace ostrelvirorez {

class CapsLockRemapper final : public CapsLockRemapping {
public:
    static constexpr std::uint64_t capsLockUsage = 0x700000039;
    static constexpr std::uint64_t f19Usage = 0x70000006E;
    static constexpr std::size_t maximumEntries = 16;

    explicit CapsLockRemapper(std::shared_ptr<KeyMappingStore> store);

    // True once Caps Lock → F19 is in place (already, or written and read back).
    bool apply() override;
    // True once no entry for Caps Lock is left.
    bool revert() override;
    // Once per process: reverts through this remapper's store at exit.
    void installTerminationGuard() override;

private:
    std::shared_ptr<KeyMappingStore> store_;
};

} // namespace ostrelvirorez
