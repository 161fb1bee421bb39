#include "OstrelVirorez/Input/CapsLockRemapper.hpp"

#include "OstrelVirorez/App/Log.hpp"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace ostrelvirorez {
namespace {

const KeyMappingEntry f19Entry{CapsLockRemapper::capsLockUsage, CapsLockRemapper::f19Usage};

bool isCapsLockEntry(const KeyMappingEntry& entry) {
    return entry.src == CapsLockRemapper::capsLockUsage;
}

void logRefusal(const char* operation, std::size_t count) {
    logVirorez(std::string("CapsLockRemapper: ") + operation + " ABORTED — " + std::to_string(count) +
               " existing entries on the matched keyboards, expected at most " +
               std::to_string(CapsLockRemapper::maximumEntries) +
               ". Refusing to touch a mapping table this large; investigate manually with `hidutil property "
               "--matching '{\"PrimaryUsagePage\":1,\"PrimaryUsage\":6}' --get UserKeyMapping`.");
}

std::vector<KeyMappingEntry> withoutCapsLock(std::vector<KeyMappingEntry> entries) {
    std::erase_if(entries, isCapsLockEntry);
    return entries;
}

bool contains(const std::vector<KeyMappingEntry>& entries, const KeyMappingEntry& wanted) {
    return std::find(entries.begin(), entries.end(), wanted) != entries.end();
}

// Reverts at exit through the store of the remapper that installed the guard.
std::shared_ptr<KeyMappingStore>& terminationStore() {
    static std::shared_ptr<KeyMappingStore> store;
    return store;
}

} // namespace

CapsLockRemapper::CapsLockRemapper(std::shared_ptr<KeyMappingStore> store) : store_(std::move(store)) {}

bool CapsLockRemapper::apply() {
    const auto current = store_->currentMapping();
    if (!current) {
        logVirorez("CapsLockRemapper: apply() aborted — could not read current state");
        return false;
    }
    if (contains(*current, f19Entry)) return true;
    if (current->size() > maximumEntries) {
        logRefusal("apply()", current->size());
        return false;
    }
    auto updated = withoutCapsLock(*current);
    updated.push_back(f19Entry);
    if (!store_->writeMapping(updated)) {
        logVirorez("CapsLockRemapper: apply() — hidutil --set failed");
        return false;
    }
    const auto readBack = store_->currentMapping();
    if (readBack && contains(*readBack, f19Entry)) {
        logVirorez("CapsLockRemapper: Caps Lock → F19 aktiv (via hidutil, all matched keyboards)");
        return true;
    }
    logVirorez("CapsLockRemapper: apply() — write succeeded but read-back did not confirm the mapping");
    return false;
}

bool CapsLockRemapper::revert() {
    const auto current = store_->currentMapping();
    if (!current) {
        logVirorez("CapsLockRemapper: revert() aborted — could not read current state");
        return false;
    }
    if (std::none_of(current->begin(), current->end(), isCapsLockEntry)) return true;
    if (current->size() > maximumEntries) {
        logRefusal("revert()", current->size());
        return false;
    }
    if (!store_->writeMapping(withoutCapsLock(*current))) {
        logVirorez("CapsLockRemapper: revert() — hidutil --set failed");
        return false;
    }
    const auto readBack = store_->currentMapping();
    if (!readBack || std::any_of(readBack->begin(), readBack->end(), isCapsLockEntry)) {
        logVirorez("CapsLockRemapper: revert() — write succeeded but read-back still shows a Caps Lock entry");
        return false;
    }
    logVirorez("CapsLockRemapper: Caps Lock zurückgesetzt (via hidutil, all matched keyboards)");
    return true;
}

void CapsLockRemapper::installTerminationGuard() {
    if (terminationStore()) return;
    terminationStore() = store_;
    // The log channel must outlive the exit handler, so it is made first.
    virorezLogger();
    std::atexit([] { CapsLockRemapper(terminationStore()).revert(); });
}

} // namespace ostrelvirorez
