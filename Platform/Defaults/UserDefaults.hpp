#pragma once
// The user's preferences: typed values under text keys, persisted as one JSON
// file and saved atomically after every write. A save writes only the keys
// this process changed over what the file holds at that moment, so another
// program's edits to other keys survive it. Every UserDefaults opened on
// the same file in this process shares one set of values and one change
// signal, which fires with the key after each write through any of them.
// Registered defaults answer for keys never written and are never saved.

#include "Platform/Core/Signal.hpp"
#include "Platform/Defaults/DefaultsValue.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class DefaultsStore;

class UserDefaults {
public:
    // Opens (or shares) the store kept in `file`. A file that is not a JSON
    // object, or nests too deeply to be read safely, is renamed aside with a ".damaged-<time>" suffix, logged, and
    // the store starts from its defaults.
    explicit UserDefaults(const std::filesystem::path& file);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The application's store, in "OstrelVirorez/OstrelVirorez.json" below the
    // configuration folder.
    static UserDefaults& standard();
    static std::filesystem::path standardFile();

    const std::filesystem::path& file() const;

    // Adds defaults for keys never written; a later registration of a key
    // replaces the earlier one.
    void registerDefaults(const DefaultsValue::Dictionary& defaults);

    // The written value, else the registered one. A written entry of a shape
    // this build cannot read is kept in the file but reads as nullopt.
    std::optional<DefaultsValue> value(const std::string& key) const;
    bool contains(const std::string& key) const;

    // Each typed read answers only when the value has exactly that kind: an
    // integer is not read as a double, nor a double as an integer.
    std::optional<bool> boolValue(const std::string& key) const;
    std::optional<std::int64_t> integerValue(const std::string& key) const;
    std::optional<double> doubleValue(const std::string& key) const;
    std::optional<std::string> stringValue(const std::string& key) const;
    std::optional<DefaultsValue::Data> dataValue(const std::string& key) const;
    std::optional<DefaultsValue::Array> arrayValue(const std::string& key) const;
    std::optional<DefaultsValue::Dictionary> dictionaryValue(const std::string& key) const;

    // The typed reads with a missing or other-kind value read as false or 0.
    bool boolOrFalse(const std::string& key) const;
    std::int64_t integerOrZero(const std::string& key) const;
    double doubleOrZero(const std::string& key) const;

    // Stores and saves the value. Throws platform::Error, storing nothing,
    // for a non-finite number, text that is not UTF-8, or arrays and
    // dictionaries nested deeper than a file may hold. A failed save is
    // logged; the value stays in effect and is saved with the next write or
    // synchronize().
    void set(const std::string& key, const DefaultsValue& value);
    // Removes a written value; the registered default, if any, applies again.
    void remove(const std::string& key);

    // Whether a value is written under the key, also one of a shape this
    // build cannot read; registered defaults do not count.
    bool hasWrittenValue(const std::string& key) const;

    // For a value its reader cannot use: appends the written entry, exactly
    // as it stands in the file, to the array under "<key>.unreadable" before
    // anything may replace it, saves, and logs a warning with `reason`. The
    // entry itself stays. False when nothing is written under the key or the
    // same entry was kept before.
    bool keepUnreadable(const std::string& key, const std::string& reason);
    static std::string unreadableKey(const std::string& key);

    // Saves once more what a failed save left unsaved; false, with the
    // failure logged, when a write is still not saved. The store never saves
    // on its own when it goes away, so a program calls this before it ends.
    bool synchronize();

    // Takes in what another program changed in the file since it was last
    // read or written here, firing changed() for each key whose value
    // changed; values written here and not yet saved stay. Cheap when the
    // file is unchanged, so it may be called often.
    void reloadIfChangedOnDisk();

    Signal<std::string>& changed();

private:
    std::shared_ptr<DefaultsStore> store_;
};

} // namespace platform
