#pragma once
// The user's dictionary of fixed corrections: kept as one JSON list under
// "dictionaryCorrections" in the user defaults, read once at construction,
// saved after every change, and applied as the first clean-up stage of every
// transcript. Confined to the main queue.

#include "OstrelVirorez/Model/DictionaryCorrection.hpp"
#include "Platform/Core/Signal.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class UserDefaults;
}

namespace ostrelvirorez {

class DictionaryService {
public:
    explicit DictionaryService(platform::UserDefaults& userDefaults);
    DictionaryService(const DictionaryService&) = delete;
    DictionaryService& operator=(const DictionaryService&) = delete;

    // The built-in list, made once per process (same ids within one run).
    static const std::vector<DictionaryCorrection>& defaults();

    const std::vector<DictionaryCorrection>& corrections() const { return corrections_; }
    // Fires after every change of corrections().
    platform::Signal<>& correctionsChanged() { return correctionsChanged_; }
    const std::string& storageKey() const { return storageKey_; }

    // The corrections for this engine and target application applied as
    // whole words, longest source first; changes nothing.
    std::string applyCorrections(std::string_view to, EngineType engine,
                                 const std::optional<std::string>& appBundleIdentifier) const;

    void add(const DictionaryCorrection& correction);
    // Replaces the first correction with the same id; no such id changes and saves nothing.
    void update(const DictionaryCorrection& correction);
    void remove(const platform::Uuid& id);
    // Removes every correction whose id is listed, as one change and one save.
    void removeAll(const std::vector<platform::Uuid>& ids);
    void removeAllAutoLearned();
    void resetToDefaults();

private:
    void loadFromDisk();
    void saveToDisk();
    void replaceAll(std::vector<DictionaryCorrection> corrections);

    platform::UserDefaults& userDefaults_;
    std::string storageKey_;
    std::vector<DictionaryCorrection> corrections_;
    platform::Signal<> correctionsChanged_;
};

} // namespace ostrelvirorez
