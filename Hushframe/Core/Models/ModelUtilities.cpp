#include "Hushframe/Core/Models/ModelUtilities.hpp"

#include "Hushframe/Core/Models/Constants.hpp"
#include "Hushframe/Core/Models/WhisperTokenizerWrapper.hpp"
#include "PelluxCore/FoundationExtensions.hpp"
#include "PelluxCore/Logging.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/AutoTokenizer.hpp"
#include "Platform/Core/Error.hpp"

#include <algorithm>
#include <exception>
#include <tuple>

namespace hushframe {

namespace fs = std::filesystem;
using pelluxcore::Logging;

namespace {

ModelVariant englishOnlyVariant(int encoderDim) {
    switch (encoderDim) {
    case 384: return ModelVariant::tinyEn;
    case 768: return ModelVariant::smallEn;
    case 1024: return ModelVariant::mediumEn;
    default: return ModelVariant::baseEn;
    }
}

ModelVariant multilingualVariant(int encoderDim) {
    switch (encoderDim) {
    case 384: return ModelVariant::tiny;
    case 768: return ModelVariant::small;
    case 1024: return ModelVariant::medium;
    case 1280: return ModelVariant::largev2;
    default: return ModelVariant::base;
    }
}

// Position of the first size word, in variant order, that the name contains.
std::size_t familyIndex(const std::string& name) {
    for (std::size_t i = 0; i < allModelVariants.size(); ++i) {
        if (name.find(description(allModelVariants[i])) != std::string::npos) return i;
    }
    return allModelVariants.size();
}

} // namespace

ModelSupport ModelUtilities::modelSupport(const std::string& deviceName,
                                          const std::optional<ModelSupportConfig>& config) {
    return (config ? *config : Constants::fallbackModelSupportConfig()).modelSupport(deviceName);
}

ModelVariant ModelUtilities::detectVariant(int logitsDim, int encoderDim) {
    switch (logitsDim) {
    case 51864: return englishOnlyVariant(encoderDim);
    case 51865: return multilingualVariant(encoderDim);
    case 51866: return ModelVariant::largev3;
    default:
        Logging::error("Unrecognized vocabulary size: " + std::to_string(logitsDim) + ", defaulting to base variant");
        return ModelVariant::base;
    }
}

std::string ModelUtilities::tokenizerNameForVariant(ModelVariant variant) {
    return "openai/whisper-" + std::string(description(variant));
}

std::optional<fs::path> ModelUtilities::findLocalTokenizer(const std::vector<fs::path>& folders) {
    for (const auto& folder : folders) {
        // Building a tokenizer needs both files; a folder with only one of
        // them would send an offline start to the hub and fail there.
        const fs::path file = folder / "tokenizer.json";
        std::error_code error;
        const bool found = fs::exists(file, error) && fs::exists(folder / "tokenizer_config.json", error);
        Logging::debug("Checking for local tokenizer at " + file.string() + " - " + (found ? "found" : "not found"));
        if (found) return folder;
    }
    return std::nullopt;
}

std::shared_ptr<WhisperTokenizer> ModelUtilities::loadTokenizer(ModelVariant variant,
                                                                const std::optional<fs::path>& tokenizerFolder,
                                                                const std::vector<fs::path>& additionalSearchPaths,
                                                                const TokenizerHub& hub) {
    const std::string name = tokenizerNameForVariant(variant);
    const fs::path hubFolder = hub.localRepoLocation(name);

    std::vector<fs::path> searchPaths{hubFolder};
    if (tokenizerFolder) searchPaths.push_back(*tokenizerFolder);
    searchPaths.insert(searchPaths.end(), additionalSearchPaths.begin(), additionalSearchPaths.end());

    if (const auto folder = findLocalTokenizer(searchPaths)) {
        Logging::debug("Found local tokenizer at " + folder->string());
        Logging::debug("Loading tokenizer from " + folder->string());
        try {
            std::shared_ptr<const modelhubkit::Tokenizer> tokenizer = modelhubkit::AutoTokenizer::from(*folder, true);
            return std::make_shared<WhisperTokenizerWrapper>(std::move(tokenizer), *folder);
        } catch (...) {
            // A broken local copy is no reason to fail: the hub may have a good one.
            Logging::debug("Error loading local tokenizer: " +
                           platform::describeError(std::current_exception(), "unknown error"));
        }
    } else {
        Logging::debug("No tokenizer found in any local search paths");
    }
    Logging::debug("Downloading tokenizer from Hub at " + hubFolder.string());
    return std::make_shared<WhisperTokenizerWrapper>(hub.fromPretrained(name), hubFolder);
}

std::vector<std::string> ModelUtilities::formatModelFiles(const std::vector<std::string>& modelFiles) {
    std::vector<std::string> patterns;
    for (const auto variant : allModelVariants) {
        std::string pattern(description(variant));
        if (pattern.find("large") == std::string::npos) pattern += "/";
        patterns.push_back(std::move(pattern));
    }

    std::vector<std::string> folders;
    for (const auto& file : modelFiles) {
        const std::string folder = file.substr(0, file.find('/')) + "/";
        const bool namesSize = std::ranges::any_of(
            patterns, [&](const std::string& pattern) { return folder.find(pattern) != std::string::npos; });
        if (namesSize) folders.push_back(folder);
    }
    folders = pelluxcore::orderedSet(folders);
    for (auto& folder : folders) folder.pop_back();

    std::ranges::sort(folders, [](const std::string& a, const std::string& b) {
        return std::forward_as_tuple(familyIndex(a), a) < std::forward_as_tuple(familyIndex(b), b);
    });
    return folders;
}

} // namespace hushframe
