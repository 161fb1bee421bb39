#include "PelluxCore/ModelUtilities.hpp"

#include <map>
#include <system_error>
#include <vector>

namespace pelluxcore {

namespace fs = std::filesystem;
using platform::coreml::MLFeatureDescription;
using platform::coreml::MLFeatureType;

namespace {

bool existsAt(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error) && !error;
}

std::optional<std::int64_t> dimension(const std::map<std::string, MLFeatureDescription>& features,
                                      const std::string& named, std::size_t position) {
    const auto found = features.find(named);
    if (found == features.end()) return std::nullopt;
    const MLFeatureDescription& feature = found->second;
    if (feature.type != MLFeatureType::multiArray || !feature.multiArrayConstraint) return std::nullopt;
    const auto& shape = feature.multiArrayConstraint->shape;
    if (position >= shape.size()) return std::nullopt;
    return shape[position];
}

} // namespace

fs::path ModelUtilities::detectModelURL(const fs::path& inFolder, const std::string& named) {
    const fs::path compiled = inFolder / (named + ".mlmodelc");
    const fs::path package = inFolder / (named + ".mlpackage") / packageModelFile;
    if (!existsAt(compiled) && existsAt(package)) return package;
    return compiled;
}

fs::path ModelUtilities::detectModelURL(const fs::path& inFolder, const std::string& named, bool recursive) {
    if (!recursive) return detectModelURL(inFolder, named);
    const std::string wanted = named + ".mlmodelc";
    const fs::path direct = inFolder / wanted;
    if (existsAt(direct)) return direct;
    std::error_code error;
    fs::recursive_directory_iterator entries(inFolder, error);
    if (error) return direct;
    for (; entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        if (error) break;
        if (entries->path().filename() == wanted) return entries->path();
    }
    return direct;
}

std::optional<fs::path> ModelUtilities::detectModelURL(const fs::path& inFolder) {
    std::error_code error;
    fs::directory_iterator listing(inFolder, error);
    if (error) return std::nullopt;
    std::vector<fs::path> entries;
    for (; listing != fs::directory_iterator(); listing.increment(error)) {
        if (error) return std::nullopt;
        entries.push_back(listing->path());
    }
    for (const auto& entry : entries) {
        if (entry.extension() == ".mlmodelc") return entry;
    }
    for (const auto& entry : entries) {
        if (entry.extension() == ".mlpackage") return entry / packageModelFile;
    }
    return std::nullopt;
}

std::optional<std::int64_t> ModelUtilities::getModelInputDimension(const platform::coreml::MLModel* model,
                                                                   const std::string& named, std::size_t position) {
    if (model == nullptr) return std::nullopt;
    return dimension(model->modelDescription().inputDescriptionsByName, named, position);
}

std::optional<std::int64_t> ModelUtilities::getModelOutputDimension(const platform::coreml::MLModel* model,
                                                                    const std::string& named, std::size_t position) {
    if (model == nullptr) return std::nullopt;
    return dimension(model->modelDescription().outputDescriptionsByName, named, position);
}

} // namespace pelluxcore
