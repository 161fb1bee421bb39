#include "OstrelVirorez/Model/DictionaryService.hpp"

#include "OstrelVirorez/App/WordBoundary.hpp"
#include "OstrelVirorez/Claude/StoredList.hpp"
#include "Platform/Text/Characters.hpp"

#include <algorithm>
#include <utility>

namespace ostrelvirorez {

namespace {

std::vector<DictionaryCorrection> makeDefaults() {
    const std::pair<const char*, const char*> entries[] = {
        {"AV Audio Engine", "AVAudioEngine"},
        {"AV Audio Session", "AVAudioSession"},
        {"AV Audio Player", "AVAudioPlayer"},
        {"AV Asset Resource Loader Delegate", "AVAssetResourceLoaderDelegate"},
        {"AV Foundation", "AVFoundation"},
        {"AV Player", "AVPlayer"},
        {"Core ML", "CoreML"},
        {"Core Data", "CoreData"},
        {"Core Media IO", "CoreMediaIO"},
        {"Core Audio", "CoreAudio"},
        {"Core Graphics", "CoreGraphics"},
        // The desktop's user-interface toolkit and its embedded database,
        // named as in the default custom vocabulary.
        {"QT Quick", "Qt Quick"},
        {"SQ Lite", "SQLite"},
        {"UI Kit", "UIKit"},
        {"App Kit", "AppKit"},
        {"FX Plug", "FxPlug"},
        {"IO Surface", "IOSurface"},
        {"NS Window", "NSWindow"},
        {"NS Panel", "NSPanel"},
        {"NS View", "NSView"},
        {"CG Event", "CGEvent"},
        {"Pocket Base", "PocketBase"},
        {"Cloud Kit", "CloudKit"},
        {"Hush frame", "Hushframe"},
        {"Live Kit", "LiveKit"},
        {"FCP XML", "FCPXML"},
        {"Pro Res", "ProRes"},
        {"pro res", "ProRes"},
        {"Da Vinci Resolve", "DaVinci Resolve"},
        {"Da Vinci resolve", "DaVinci Resolve"},
        {"time code", "Timecode"},
        {"key frame", "Keyframe"},
        {"Final Cut pro", "Final Cut Pro"},
    };
    std::vector<DictionaryCorrection> corrections;
    for (const auto& [source, replacement] : entries)
        corrections.push_back({platform::Uuid(), source, replacement, std::nullopt, false, false, {}});
    return corrections;
}

bool appliesTo(const DictionaryCorrection& correction, EngineType engine,
               const std::optional<std::string>& appBundleIdentifier) {
    if (correction.engineSpecific && *correction.engineSpecific != engine) return false;
    if (correction.assignedApps.empty()) return true;
    return appBundleIdentifier &&
           std::ranges::any_of(correction.assignedApps,
                               [&](const AppInfo& app) { return app.bundleIdentifier == *appBundleIdentifier; });
}

} // namespace

DictionaryService::DictionaryService(platform::UserDefaults& userDefaults)
    : userDefaults_(userDefaults), storageKey_("dictionaryCorrections") {
    loadFromDisk();
}

const std::vector<DictionaryCorrection>& DictionaryService::defaults() {
    static const std::vector<DictionaryCorrection> list = makeDefaults();
    return list;
}

std::string DictionaryService::applyCorrections(std::string_view to, EngineType engine,
                                                const std::optional<std::string>& appBundleIdentifier) const {
    std::vector<const DictionaryCorrection*> active;
    for (const auto& correction : corrections_)
        if (appliesTo(correction, engine, appBundleIdentifier)) active.push_back(&correction);
    std::ranges::stable_sort(active, std::ranges::greater{}, [](const DictionaryCorrection* correction) {
        return platform::text::characterCount(correction->source);
    });
    std::string text(to);
    for (const auto* correction : active)
        text = WordBoundary::replace(text, correction->source, correction->replacement, correction->caseSensitive);
    return text;
}

void DictionaryService::add(const DictionaryCorrection& correction) {
    auto corrections = corrections_;
    corrections.push_back(correction);
    replaceAll(std::move(corrections));
}

void DictionaryService::update(const DictionaryCorrection& correction) {
    const auto found = std::ranges::find(corrections_, correction.id, &DictionaryCorrection::id);
    if (found == corrections_.end()) return;
    auto corrections = corrections_;
    corrections[static_cast<std::size_t>(found - corrections_.begin())] = correction;
    replaceAll(std::move(corrections));
}

void DictionaryService::remove(const platform::Uuid& id) {
    auto corrections = corrections_;
    std::erase_if(corrections, [&](const DictionaryCorrection& correction) { return correction.id == id; });
    replaceAll(std::move(corrections));
}

void DictionaryService::removeAll(const std::vector<platform::Uuid>& ids) {
    auto corrections = corrections_;
    std::erase_if(corrections, [&](const DictionaryCorrection& correction) {
        return std::ranges::find(ids, correction.id) != ids.end();
    });
    replaceAll(std::move(corrections));
}

void DictionaryService::removeAllAutoLearned() {
    auto corrections = corrections_;
    std::erase_if(corrections, [](const DictionaryCorrection& correction) { return correction.isAutoLearned; });
    replaceAll(std::move(corrections));
}

void DictionaryService::resetToDefaults() { replaceAll(defaults()); }

void DictionaryService::replaceAll(std::vector<DictionaryCorrection> corrections) {
    corrections_ = std::move(corrections);
    correctionsChanged_.emit();
    saveToDisk();
}

void DictionaryService::loadFromDisk() {
    corrections_ = loadStoredList(userDefaults_, storageKey_, defaults(), "DictionaryService", "corrections");
}

void DictionaryService::saveToDisk() { storeList(userDefaults_, storageKey_, corrections_); }

} // namespace ostrelvirorez
