#pragma once
// The keyboards' user key mapping as a list of (source, destination) pairs of
// HID usages, each (usage page × 2³²) + usage.

#include <cstdint>
#include <optional>
#include <vector>

namespace ostrelvirorez {

struct KeyMappingEntry {
    std::uint64_t src = 0;
    std::uint64_t dst = 0;

    bool operator==(const KeyMappingEntry&) const = default;
};

class KeyMappingStore {
public:
    virtual ~KeyMappingStore() = default;

    // Absent when the mapping cannot be read.
    virtual std::optional<std::vector<KeyMappingEntry>> currentMapping() = 0;
    virtual bool writeMapping(const std::vector<KeyMappingEntry>& entries) = 0;
};

} // namespace ostrelvirorez
