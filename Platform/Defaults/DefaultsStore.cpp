#include "Platform/Defaults/DefaultsStore.hpp"

#include "Platform/Core/Error.hpp"
#include "Platform/Core/Immortal.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/Defaults/DefaultsCoding.hpp"
#include "Platform/Files/FileContents.hpp"
#include "Platform/Files/FileError.hpp"
#include "Platform/Files/FileMove.hpp"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <algorithm>
#include <map>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

// Never destroyed, like the sink it writes to.
const Logger& log() {
    static const Immortal<Logger> logger("platform", "defaults");
    return logger.get();
}

fs::path registryKey(const fs::path& file) {
    std::error_code error;
    auto key = fs::weakly_canonical(fs::absolute(file), error);
    return error ? fs::absolute(file).lexically_normal() : key;
}

} // namespace

std::shared_ptr<DefaultsStore> DefaultsStore::shared(const fs::path& file) {
    static std::mutex mutex;
    static std::map<fs::path, std::weak_ptr<DefaultsStore>> stores;
    std::lock_guard lock(mutex);
    const auto key = registryKey(file);
    if (auto store = stores[key].lock()) return store;
    auto store = std::make_shared<DefaultsStore>(file);
    stores[key] = store;
    return store;
}

DefaultsStore::DefaultsStore(fs::path file) : file_(std::move(file)) { load(); }

// Saving here could run during the teardown of static objects at exit,
// where neither the file layer nor the log may be reached any more.
DefaultsStore::~DefaultsStore() = default;

void DefaultsStore::load() {
    std::string text;
    try {
        text = files::readFile(file_);
    } catch (const files::FileError& error) {
        if (error.kind() == files::FileErrorKind::notFound) return;
        savesBlocked_ = true;
        log().error(error.description() + "; user defaults start from their defaults and are not saved");
        return;
    }
    std::string damage;
    auto parsed = parseDefaultsFile(text, damage);
    if (!parsed) return setAside(damage);
    persisted_ = std::move(*parsed);
    stamp_ = currentStamp();
}

std::optional<DefaultsStore::FileStamp> DefaultsStore::currentStamp() const {
    struct stat info {};
    if (::stat(file_.c_str(), &info) != 0) return std::nullopt;
    return FileStamp{static_cast<std::uintmax_t>(info.st_ino), static_cast<std::uintmax_t>(info.st_size),
                     static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::optional<json> DefaultsStore::readDiskLocked(std::string& damage) {
    std::string text;
    try {
        text = files::readFile(file_);
    } catch (const files::FileError& error) {
        if (error.kind() == files::FileErrorKind::notFound) return json::object();
        throw;
    }
    return parseDefaultsFile(text, damage);
}

std::vector<std::string> DefaultsStore::adoptLocked(json disk) {
    for (const auto& key : changedHere_) {
        if (const auto mine = persisted_.find(key); mine != persisted_.end()) {
            disk[key] = *mine;
        } else {
            disk.erase(key);
        }
    }
    std::vector<std::string> changed;
    for (const auto& [key, value] : persisted_.items()) {
        const auto there = disk.find(key);
        if (there == disk.end() || *there != value) changed.push_back(key);
    }
    for (const auto& [key, value] : disk.items()) {
        if (!persisted_.contains(key)) changed.push_back(key);
    }
    persisted_ = std::move(disk);
    return changed;
}

void DefaultsStore::announce(const std::vector<std::string>& keys) {
    for (const auto& key : keys) changed_.emit(key);
}

void DefaultsStore::reloadIfChangedOnDisk() {
    std::vector<std::string> changed;
    {
        std::lock_guard lock(mutex_);
        if (savesBlocked_) return;
        const auto now = currentStamp();
        if (now == stamp_) return;
        std::string damage;
        std::optional<json> disk;
        try {
            disk = readDiskLocked(damage);
        } catch (const std::exception&) {
            return;
        }
        stamp_ = now;
        if (!disk) {
            log().warning("User defaults file \"" + file_.string() + "\" was changed by another program and is " +
                          damage + "; the values in use stay until the next save keeps that file aside");
            return;
        }
        changed = adoptLocked(std::move(*disk));
    }
    announce(changed);
}

void DefaultsStore::setAside(const std::string& reason) {
    try {
        const auto aside = files::keepDamagedAside(file_);
        log().error("User defaults file \"" + file_.string() + "\" is damaged (" + reason + "); kept it as \"" +
                    aside.string() + "\" and started from the defaults");
    } catch (const std::exception& error) {
        savesBlocked_ = true;
        log().error("User defaults file \"" + file_.string() + "\" is damaged (" + reason +
                    ") and cannot be kept aside (" + error.what() + "); changes will not be saved");
    }
}

std::vector<std::string> DefaultsStore::saveLocked() {
    if (savesBlocked_) {
        unsaved_ = true;
        log().error("User defaults not saved to \"" + file_.string() + "\": the file there could not be read");
        return {};
    }
    std::vector<std::string> outside;
    try {
        fs::create_directories(file_.parent_path());
        std::string damage;
        auto disk = readDiskLocked(damage);
        if (!disk) {
            setAside(damage);
            if (savesBlocked_) return saveLocked();
            disk = persisted_;
        }
        outside = adoptLocked(std::move(*disk));
        files::writeAtomically(file_, persisted_.dump(2) + "\n");
        stamp_ = currentStamp();
        unsaved_ = false;
        changedHere_.clear();
    } catch (const std::exception& error) {
        unsaved_ = true;
        log().error("Cannot save user defaults to \"" + file_.string() + "\": " + error.what());
    }
    return outside;
}

std::optional<DefaultsValue> DefaultsStore::value(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (const auto entry = persisted_.find(key); entry != persisted_.end()) return decodeDefaultsValue(*entry);
    if (const auto entry = registered_.find(key); entry != registered_.end()) return entry->second;
    return std::nullopt;
}

bool DefaultsStore::hasWrittenValue(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return persisted_.contains(key);
}

bool DefaultsStore::contains(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return persisted_.contains(key) || registered_.contains(key);
}

void DefaultsStore::set(const std::string& key, const DefaultsValue& value) {
    auto encoded = encodeDefaultsValue(value);
    // One level for the file's object and one for keeping the value aside
    // under its ".unreadable" key, so whatever is written reads back.
    if (nestsDeeperThan(encoded, maxDefaultsNesting - 2)) {
        throw Error("Cannot store \"" + key + "\": it nests deeper than " +
                    std::to_string(maxDefaultsNesting - 2) + " levels");
    }
    try {
        // Text that is not UTF-8 cannot be written as JSON; refuse it here
        // rather than fail every later save.
        (void)json{{key, encoded}}.dump();
    } catch (const json::exception&) {
        throw Error("Cannot store \"" + key + "\": its key or text is not valid UTF-8");
    }
    std::vector<std::string> outside;
    {
        std::lock_guard lock(mutex_);
        persisted_[key] = std::move(encoded);
        changedHere_.insert(key);
        outside = saveLocked();
    }
    changed_.emit(key);
    announce(outside);
}

void DefaultsStore::remove(const std::string& key) {
    std::vector<std::string> outside;
    {
        std::lock_guard lock(mutex_);
        if (persisted_.erase(key) == 0) return;
        changedHere_.insert(key);
        outside = saveLocked();
    }
    changed_.emit(key);
    announce(outside);
}

bool DefaultsStore::synchronize() {
    std::vector<std::string> outside;
    bool saved = false;
    {
        std::lock_guard lock(mutex_);
        if (unsaved_) outside = saveLocked();
        saved = !unsaved_;
    }
    announce(outside);
    return saved;
}

bool DefaultsStore::keepUnreadable(const std::string& key, const std::string& reason) {
    const auto keptKey = unreadableKey(key);
    std::vector<std::string> outside;
    {
        std::lock_guard lock(mutex_);
        const auto entry = persisted_.find(key);
        if (entry == persisted_.end()) return false;
        auto& kept = persisted_[keptKey];
        if (!kept.is_array()) kept = kept.is_null() ? json::array() : json::array({kept});
        if (std::find(kept.begin(), kept.end(), *entry) != kept.end()) return false;
        kept.push_back(*entry);
        log().warning("User defaults value \"" + key + "\" cannot be read (" + reason + "); kept a copy under \"" +
                      keptKey + "\" in \"" + file_.string() + "\"");
        changedHere_.insert(keptKey);
        outside = saveLocked();
    }
    changed_.emit(keptKey);
    announce(outside);
    return true;
}

void DefaultsStore::registerDefaults(const DefaultsValue::Dictionary& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) registered_.insert_or_assign(key, value);
}

} // namespace platform
