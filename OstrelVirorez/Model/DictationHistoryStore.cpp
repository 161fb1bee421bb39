#include "OstrelVirorez/Model/DictationHistoryStore.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Files/XdgDirectories.hpp"

#include <exception>

namespace ostrelvirorez {

namespace {

std::unique_ptr<DictationHistoryContainer> makeContainer(bool inMemory, const std::filesystem::path& storeFile) {
    try {
        return std::make_unique<DictationHistoryContainer>(
            inMemory ? std::nullopt : std::optional<std::filesystem::path>(storeFile));
    } catch (const std::exception& error) {
        logVirorez(std::string("DictationHistoryStore: ModelContainer creation failed (") + error.what() +
                   "), falling back to in-memory");
    }
    try {
        return std::make_unique<DictationHistoryContainer>(std::nullopt);
    } catch (const std::exception&) {
        // A second in-memory attempt; if that fails too the history cannot
        // exist at all, and the error goes to the caller.
        return std::make_unique<DictationHistoryContainer>(std::nullopt);
    }
}

} // namespace

std::filesystem::path DictationHistoryStore::defaultStoreFile() {
    return platform::files::dataHome() / "OstrelVirorez" / "DictationHistory.sqlite";
}

DictationHistoryStore::DictationHistoryStore(bool inMemory)
    : DictationHistoryStore(inMemory, defaultStoreFile(), [] { return std::chrono::system_clock::now(); }) {}

DictationHistoryStore::DictationHistoryStore(bool inMemory, std::filesystem::path storeFile, Now now)
    : now_(std::move(now)), container_(makeContainer(inMemory, storeFile)) {}

void DictationHistoryStore::record(const std::string& text, const std::string& appName,
                                   const std::optional<std::string>& appBundleIdentifier, const std::string& mode) {
    DictationHistoryEntry entry;
    entry.text = text;
    entry.timestamp = now_();
    entry.appName = appName;
    entry.appBundleIdentifier = appBundleIdentifier;
    entry.mode = mode;
    try {
        container_->insert(entry);
    } catch (const platform::Error&) {
        // A failed save costs this entry only; the dictation itself succeeded.
    }
}

} // namespace ostrelvirorez
