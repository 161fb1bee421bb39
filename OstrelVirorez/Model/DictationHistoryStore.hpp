#pragma once
// The history of finished dictations: owns the container the History tab
// lists and edits, and records one entry per finished dictation. When the
// persistent store cannot be opened it keeps this run's history in memory.

#include "OstrelVirorez/Model/DictationHistoryContainer.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ostrelvirorez {

class DictationHistoryStore {
public:
    using Now = std::function<std::chrono::system_clock::time_point()>;

    // "$XDG_DATA_HOME/OstrelVirorez/DictationHistory.sqlite".
    static std::filesystem::path defaultStoreFile();

    // A store in the default location, or in memory only when `inMemory`.
    explicit DictationHistoryStore(bool inMemory);
    // A store in `storeFile` whose entries are stamped by `now`.
    DictationHistoryStore(bool inMemory, std::filesystem::path storeFile, Now now);

    // Stores one entry stamped with the current time; a failed save is ignored.
    void record(const std::string& text, const std::string& appName,
                const std::optional<std::string>& appBundleIdentifier, const std::string& mode);

    DictationHistoryContainer& container() const { return *container_; }

private:
    Now now_;
    std::unique_ptr<DictationHistoryContainer> container_;
};

} // namespace ostrelvirorez
