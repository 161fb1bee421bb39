#include "OstrelVirorez/Input/DesktopApplicationIndex.hpp"

#include "OstrelVirorez/Claude/AppPickerService.hpp"
#include "Platform/Text/CaseMapping.hpp"

#include <algorithm>

namespace ostrelvirorez {
namespace {

bool sameName(const std::string& left, const std::string& right) {
    return !left.empty() && !right.empty() && platform::text::equalsIgnoringCase(left, right);
}

} // namespace

DesktopApplicationIndex::DesktopApplicationIndex(std::vector<DesktopEntry> entries) {
    std::copy_if(std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()),
                 std::back_inserter(entries_), [](const DesktopEntry& entry) { return !entry.hidden; });
}

DesktopApplicationIndex DesktopApplicationIndex::installed() {
    return DesktopApplicationIndex(DesktopEntry::readFolders(AppPickerService::applicationFolders()));
}

const DesktopEntry* DesktopApplicationIndex::entryForWindow(const std::string& instance,
                                                            const std::string& className) const {
    const auto find = [this](auto matches) -> const DesktopEntry* {
        const auto found = std::find_if(entries_.begin(), entries_.end(), matches);
        return found == entries_.end() ? nullptr : &*found;
    };
    for (const auto* name : {&className, &instance}) {
        if (const auto* entry = find([&](const DesktopEntry& each) { return sameName(each.startupWMClass, *name); })) {
            return entry;
        }
    }
    for (const auto* name : {&className, &instance}) {
        if (const auto* entry = find([&](const DesktopEntry& each) { return sameName(each.id, *name); })) return entry;
    }
    return nullptr;
}

std::optional<std::string> DesktopApplicationIndex::applicationIdentifier(const std::string& instance,
                                                                          const std::string& className) const {
    if (const auto* entry = entryForWindow(instance, className)) return entry->id;
    if (className.empty()) return std::nullopt;
    return className;
}

} // namespace ostrelvirorez
