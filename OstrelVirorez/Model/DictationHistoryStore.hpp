#pragma once
// The history of finished dictations: owns the container the History tab
// lists and edits, and records one entry per finished dictation. A damaged
// store file is kept aside and a new one started; a store that cannot be
// opened (locked, unreadable) keeps this run's entries in memory and moves
// them into the file as soon as it opens. An entry whose save fails is kept
// and saved with the next one. Every such problem is logged as a warning and
// reported through problemReported().

#include "OstrelVirorez/Model/DictationHistoryContainer.hpp"
#include "Platform/Core/Signal.hpp"

#include <chrono>
#include <deque>
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
    // A store in `storeFile` whose entries are stamped by `now`; a locked
    // file is waited for up to `busyTimeout` per statement.
    DictationHistoryStore(bool inMemory, std::filesystem::path storeFile, Now now,
                          std::chrono::milliseconds busyTimeout = std::chrono::milliseconds(2000));
    // Makes a last attempt to save entries whose save failed.
    ~DictationHistoryStore();
    DictationHistoryStore(const DictationHistoryStore&) = delete;
    DictationHistoryStore& operator=(const DictationHistoryStore&) = delete;

    // Stores one entry stamped with the current time. First saves what an
    // earlier failure left unsaved; never fails towards the caller.
    void record(const std::string& text, const std::string& appName,
                const std::optional<std::string>& appBundleIdentifier, const std::string& mode);

    DictationHistoryContainer& container() const { return *container_; }

    // Entries recorded but not yet saved, oldest first.
    const std::deque<DictationHistoryEntry>& unsavedEntries() const { return unsaved_; }

    // The latest problem, in words for the user; nullopt while none arose.
    const std::optional<std::string>& lastProblem() const { return lastProblem_; }
    // Fires with the user's text of each new problem.
    platform::Signal<std::string>& problemReported() { return problemReported_; }

private:
    void open(bool inMemory);
    std::unique_ptr<DictationHistoryContainer> openFileKeepingDamageAside();
    void retryOpeningTheFile();
    void saveUnsaved();
    void report(const std::string& problem);

    Now now_;
    std::filesystem::path storeFile_;
    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<DictationHistoryContainer> container_;
    // The file could not be opened; the entries live in memory meanwhile.
    bool waitingForFile_ = false;
    std::deque<DictationHistoryEntry> unsaved_;
    // Saving failed and was reported; cleared once everything is saved.
    bool saveFailing_ = false;
    std::optional<std::string> lastProblem_;
    platform::Signal<std::string> problemReported_;
};

} // namespace ostrelvirorez
