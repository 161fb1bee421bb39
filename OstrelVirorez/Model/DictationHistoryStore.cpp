#include "OstrelVirorez/Model/DictationHistoryStore.hpp"

#include "OstrelVirorez/App/Log.hpp"
#include "OstrelVirorez/Model/SqliteError.hpp"
#include "Platform/Core/Error.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Files/FileMove.hpp"
#include "Platform/Files/XdgDirectories.hpp"

#include <ctime>
#include <exception>

namespace ostrelvirorez {

namespace {

namespace fs = std::filesystem;

// Renames the database and its journal files to a free ".damaged-<time>"
// name, so that nothing of it is lost and a new store can take its place.
fs::path keepAside(const fs::path& file) {
    const auto aside = platform::files::keepDamagedAside(file);
    for (const char* journal : {"-journal", "-wal", "-shm"}) {
        const fs::path companion = file.string() + journal;
        std::error_code ignored;
        if (fs::exists(fs::symlink_status(companion))) fs::rename(companion, aside.string() + journal, ignored);
    }
    return aside;
}

} // namespace

fs::path DictationHistoryStore::defaultStoreFile() {
    return platform::files::dataHome() / "OstrelVirorez" / "DictationHistory.sqlite";
}

DictationHistoryStore::DictationHistoryStore(bool inMemory)
    : DictationHistoryStore(inMemory, defaultStoreFile(), [] { return std::chrono::system_clock::now(); }) {}

DictationHistoryStore::DictationHistoryStore(bool inMemory, fs::path storeFile, Now now,
                                             std::chrono::milliseconds busyTimeout)
    : now_(std::move(now)), storeFile_(std::move(storeFile)), busyTimeout_(busyTimeout) {
    open(inMemory);
}

DictationHistoryStore::~DictationHistoryStore() {
    retryOpeningTheFile();
    saveUnsaved();
}

void DictationHistoryStore::open(bool inMemory) {
    if (!inMemory) {
        try {
            container_ = openFileKeepingDamageAside();
            return;
        } catch (const std::exception& error) {
            virorezLogger().warning(std::string("DictationHistoryStore: ModelContainer creation failed (") +
                                    error.what() + "), falling back to in-memory");
            waitingForFile_ = true;
            report(std::string("The dictation history cannot be opened (") + error.what() +
                   "); this session's dictations are kept in memory until it can be saved");
        }
    }
    try {
        container_ = std::make_unique<DictationHistoryContainer>(std::nullopt, busyTimeout_);
    } catch (const std::exception&) {
        // A second in-memory attempt; if that fails too the history cannot
        // exist at all, and the error goes to the caller.
        container_ = std::make_unique<DictationHistoryContainer>(std::nullopt, busyTimeout_);
    }
}

std::unique_ptr<DictationHistoryContainer> DictationHistoryStore::openFileKeepingDamageAside() {
    try {
        return std::make_unique<DictationHistoryContainer>(storeFile_, busyTimeout_);
    } catch (const SqliteError& error) {
        if (!error.isDamage()) throw;
        const auto aside = keepAside(storeFile_);
        virorezLogger().warning("DictationHistoryStore: the store is damaged (" + error.description() + "); kept it as \"" +
                                aside.string() + "\" and started a new one");
        report("The dictation history was damaged; it was kept as \"" + aside.string() +
               "\" and a new history was started");
    }
    return std::make_unique<DictationHistoryContainer>(storeFile_, busyTimeout_);
}

void DictationHistoryStore::retryOpeningTheFile() {
    if (!waitingForFile_) return;
    try {
        container_->moveToFile(storeFile_);
    } catch (const std::exception&) {
        return;
    }
    waitingForFile_ = false;
    virorezLogger().notice("DictationHistoryStore: the store opened; this session's entries are saved in it");
}

void DictationHistoryStore::record(const std::string& text, const std::string& appName,
                                   const std::optional<std::string>& appBundleIdentifier, const std::string& mode) {
    retryOpeningTheFile();
    DictationHistoryEntry entry;
    entry.text = text;
    entry.timestamp = now_();
    entry.appName = appName;
    entry.appBundleIdentifier = appBundleIdentifier;
    entry.mode = mode;
    unsaved_.push_back(std::move(entry));
    saveUnsaved();
}

void DictationHistoryStore::saveUnsaved() {
    while (!unsaved_.empty()) {
        try {
            container_->insert(unsaved_.front());
        } catch (const platform::Error& error) {
            if (saveFailing_) return;
            saveFailing_ = true;
            virorezLogger().warning("DictationHistoryStore: saving an entry failed (" + error.description() +
                                    "); it is kept and saved again with the next dictation");
            report("A dictation could not be saved in the history (" + error.description() +
                   "); it is saved again with the next dictation");
            return;
        }
        unsaved_.pop_front();
    }
    saveFailing_ = false;
}

void DictationHistoryStore::report(const std::string& problem) {
    lastProblem_ = problem;
    problemReported_.emit(problem);
}

} // namespace ostrelvirorez
