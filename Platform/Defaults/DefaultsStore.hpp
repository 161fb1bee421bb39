#pragma once
// The values of one user-defaults file, shared by every UserDefaults opened on
// that file in the process: the persisted entries (kept as JSON, so entries
// this build cannot read are saved back untouched), the registered defaults,
// and the change signal. Every write is saved to the file at once, and a save
// writes only the keys this process changed over what the file holds then,
// so changes another program made meanwhile are kept.

#include "Platform/Core/Signal.hpp"
#include "Platform/Defaults/DefaultsValue.hpp"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {

class DefaultsStore {
public:
    // The one store of `file` in this process, loaded on first use.
    static std::shared_ptr<DefaultsStore> shared(const std::filesystem::path& file);

    explicit DefaultsStore(std::filesystem::path file);
    // Does no file work: a write whose save failed is lost unless a later
    // synchronize() saved it.
    ~DefaultsStore();
    DefaultsStore(const DefaultsStore&) = delete;
    DefaultsStore& operator=(const DefaultsStore&) = delete;

    const std::filesystem::path& file() const { return file_; }

    // The persisted value, else the registered one; nullopt also for a
    // persisted entry of a shape this build cannot read.
    std::optional<DefaultsValue> value(const std::string& key) const;
    bool contains(const std::string& key) const;

    // Whether an entry is written under the key, readable or not.
    bool hasWrittenValue(const std::string& key) const;

    void set(const std::string& key, const DefaultsValue& value);
    void remove(const std::string& key);
    void registerDefaults(const DefaultsValue::Dictionary& defaults);

    // Saves a write whose save failed; true when nothing is left unsaved.
    bool synchronize();

    // Takes in what another program changed in the file since this store
    // last read or wrote it, and fires the change signal for each key whose
    // value changed; keys written here and not yet saved keep their value.
    // A file that cannot be read now is left for the next save.
    void reloadIfChangedOnDisk();

    // Appends the entry written under `key`, exactly as it is in the file, to
    // the array under unreadableKey(key) and saves; logs a warning naming
    // `reason`. False, and nothing logged, when nothing is written under the
    // key or that array holds the entry already.
    bool keepUnreadable(const std::string& key, const std::string& reason);
    static std::string unreadableKey(const std::string& key) { return key + ".unreadable"; }

    Signal<std::string>& changed() { return changed_; }

private:
    // What identifies one version of the file on disk.
    struct FileStamp {
        std::uintmax_t inode = 0;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;
        bool operator==(const FileStamp&) const = default;
    };

    void load();
    void setAside(const std::string& reason);
    // Saves and returns the keys whose values another program changed,
    // taken in on the way; their change is for the caller to announce once
    // the lock is released.
    std::vector<std::string> saveLocked();
    // The file as it is now: nullopt when it cannot be read; an empty object
    // when it does not exist; with `damage` set when it is damaged.
    std::optional<nlohmann::json> readDiskLocked(std::string& damage);
    // Makes `disk`, with this process's unsaved changes laid over it, the
    // persisted entries; returns the keys whose values changed.
    std::vector<std::string> adoptLocked(nlohmann::json disk);
    std::optional<FileStamp> currentStamp() const;
    void announce(const std::vector<std::string>& keys);

    const std::filesystem::path file_;
    mutable std::mutex mutex_;
    nlohmann::json persisted_ = nlohmann::json::object();
    DefaultsValue::Dictionary registered_;
    bool savesBlocked_ = false;  // the file holds data we could not read or set aside
    bool unsaved_ = false;       // the last save failed
    // Keys set, removed or kept aside here since the last successful save.
    std::set<std::string> changedHere_;
    // The version of the file last read or written here.
    std::optional<FileStamp> stamp_;
    Signal<std::string> changed_;
};

} // namespace platform
