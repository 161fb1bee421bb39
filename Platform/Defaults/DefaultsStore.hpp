#pragma once
// The values of one user-defaults file, shared by every UserDefaults opened on
// that file in the process: the persisted entries (kept as JSON, so entries
// this build cannot read are saved back untouched), the registered defaults,
// and the change signal. Every write is saved to the file at once.

#include "Platform/Core/Signal.hpp"
#include "Platform/Defaults/DefaultsValue.hpp"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

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

    // Appends the entry written under `key`, exactly as it is in the file, to
    // the array under unreadableKey(key) and saves; logs a warning naming
    // `reason`. False, and nothing logged, when nothing is written under the
    // key or that array holds the entry already.
    bool keepUnreadable(const std::string& key, const std::string& reason);
    static std::string unreadableKey(const std::string& key) { return key + ".unreadable"; }

    Signal<std::string>& changed() { return changed_; }

private:
    void load();
    void setAside(const std::string& reason);
    void saveLocked();

    const std::filesystem::path file_;
    mutable std::mutex mutex_;
    nlohmann::json persisted_ = nlohmann::json::object();
    DefaultsValue::Dictionary registered_;
    bool savesBlocked_ = false;  // the file holds data we could not read or set aside
    bool unsaved_ = false;       // the last save failed
    Signal<std::string> changed_;
};

} // namespace platform
