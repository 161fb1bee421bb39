#include "Hushframe/Core/Models/ModelSupportConfig.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "PelluxCore/FoundationExtensions.hpp"
#include "PelluxCore/Logging.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>

namespace hushframe {

namespace {

bool sharesIdentifier(const DeviceSupport& a, const DeviceSupport& b) {
    return std::ranges::any_of(a.identifiers, [&](const std::string& identifier) {
        return std::ranges::find(b.identifiers, identifier) != b.identifiers.end();
    });
}

std::vector<DeviceSupport> mergeWithFallback(const std::vector<DeviceSupport>& remote,
                                             const std::vector<DeviceSupport>& fallback) {
    std::set<std::string> remoteIdentifiers;
    for (const auto& entry : remote) remoteIdentifiers.insert(entry.identifiers.begin(), entry.identifiers.end());

    std::vector<DeviceSupport> merged;
    for (const auto& entry : remote) {
        const auto partner = std::ranges::find_if(fallback, [&](const DeviceSupport& f) { return sharesIdentifier(entry, f); });
        if (partner == fallback.end()) {
            merged.push_back(entry);
            continue;
        }
        std::vector<std::string> supported = entry.models.supported;
        supported.insert(supported.end(), partner->models.supported.begin(), partner->models.supported.end());
        merged.push_back(DeviceSupport{entry.chips, entry.identifiers,
                                       ModelSupport{entry.models.default_, pelluxcore::orderedSet(supported), {}}});
    }
    for (const auto& entry : fallback) {
        const bool replaced = std::ranges::any_of(entry.identifiers, [&](const std::string& identifier) {
            return remoteIdentifiers.contains(identifier);
        });
        if (!replaced) merged.push_back(entry);
    }
    return merged;
}

std::string printedList(const std::vector<std::string>& items) {
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ", ";
        text += "\"" + items[i] + "\"";
    }
    return text + "]";
}

} // namespace

ModelSupportConfig::ModelSupportConfig() : ModelSupportConfig({}, {}, {}, false) {}

ModelSupportConfig::ModelSupportConfig(std::string repoName, std::string repoVersion,
                                       std::vector<DeviceSupport> deviceSupports, bool includeFallback)
    : repoName(std::move(repoName)), repoVersion(std::move(repoVersion)), deviceSupports(std::move(deviceSupports)) {
    if (includeFallback) {
        const auto& fallback = Constants::fallbackModelSupportConfig();
        if (fallback.repoName.find(this->repoName) != std::string::npos) {
            this->deviceSupports = mergeWithFallback(this->deviceSupports, fallback.deviceSupports);
        }
    }

    std::vector<std::string> allSupported;
    for (const auto& entry : this->deviceSupports) {
        allSupported.insert(allSupported.end(), entry.models.supported.begin(), entry.models.supported.end());
    }
    knownModels = pelluxcore::orderedSet(allSupported);

    for (auto& entry : this->deviceSupports) {
        const std::set<std::string> supported(entry.models.supported.begin(), entry.models.supported.end());
        entry.models.disabled.clear();
        for (const auto& name : knownModels) {
            if (!supported.contains(name)) entry.models.disabled.push_back(name);
        }
    }

    defaultSupport = DeviceSupport{std::nullopt, {}, ModelSupport{"openai_whisper-base", knownModels, {}}};
}

ModelSupport ModelSupportConfig::modelSupport(const std::string& identifier) const {
    const DeviceSupport* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& entry : deviceSupports) {
        for (const auto& prefix : entry.identifiers) {
            if (!identifier.starts_with(prefix)) continue;
            // Both prefix one identifier, so the longer in bytes is the longer in characters.
            if (best == nullptr || prefix.size() > bestLength) {
                best = &entry;
                bestLength = prefix.size();
            }
        }
    }
    if (best == nullptr) {
        pelluxcore::Logging::info("No device support found for " + identifier + ", using default");
        return defaultSupport.models;
    }
    pelluxcore::Logging::debug("Matched " + identifier + " to devices: " + printedList(best->identifiers));
    return best->models;
}

void to_json(nlohmann::ordered_json& json, const ModelSupportConfig& config) {
    json = nlohmann::ordered_json{{"name", config.repoName}, {"version", config.repoVersion},
                                  {"device_support", config.deviceSupports}};
}

void from_json(const nlohmann::ordered_json& json, ModelSupportConfig& config) {
    config = ModelSupportConfig(json.at("name").get<std::string>(), json.at("version").get<std::string>(),
                                json.at("device_support").get<std::vector<DeviceSupport>>(), true);
}

} // namespace hushframe
