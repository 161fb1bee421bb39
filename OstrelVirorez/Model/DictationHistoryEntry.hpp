#pragma once
// One finished dictation as the history keeps it. Entries are told apart by
// the identity the store gave them, not by their contents.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace ostrelvirorez {

struct DictationHistoryEntry {
    // Given by the store on insertion; 0 for an entry not yet stored.
    std::int64_t persistentID = 0;
    std::string text;
    std::chrono::system_clock::time_point timestamp;
    std::string appName;
    // Absent when the target application was unknown.
    std::optional<std::string> appBundleIdentifier;
    // The dictation mode's raw value: "raw", "claude" or "clipboardRewrite".
    std::string mode;

    friend bool operator==(const DictationHistoryEntry& left, const DictationHistoryEntry& right) {
        return left.persistentID == right.persistentID;
    }
};

} // namespace ostrelvirorez

template <>
struct std::hash<ostrelvirorez::DictationHistoryEntry> {
    std::size_t operator()(const ostrelvirorez::DictationHistoryEntry& entry) const noexcept {
        return std::hash<std::int64_t>{}(entry.persistentID);
    }
};
