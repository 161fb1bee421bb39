#include "PelluxCore/ModelInfo.hpp"

#include "PelluxCore/MLComputeUnitsNames.hpp"

#include <iterator>

namespace pelluxcore {

namespace fs = std::filesystem;

std::string ModelInfo::downloadPattern() const {
    return name + "/" + version.value_or("*") + "/" + variant.value_or("*") + "/*";
}

std::string ModelInfo::description() const {
    std::string text = name;
    for (const auto& level : {version, variant}) {
        if (level) text += "/" + *level;
    }
    return text;
}

std::string ModelInfo::debugDescription() const {
    return "ModelInfo(name: " + name + ", version: " + version.value_or("nil") + ", variant: " +
           variant.value_or("nil") + ", computeUnit: " + pelluxcore::description(computeUnits) + ")";
}

fs::path ModelInfo::modelURL(const fs::path& baseURL) const {
    fs::path url = baseURL / name;
    if (version) url /= *version;
    if (variant) url /= *variant;
    return url;
}

std::optional<fs::path> ModelInfo::findBaseFolder(const fs::path& in) const {
    // A trailing separator names the same folder.
    fs::path current = in.has_filename() ? in : in.parent_path();
    while (std::distance(current.begin(), current.end()) >= 2) {
        const fs::path parent = current.parent_path();
        if (current.filename() == name) return parent;
        current = parent;
    }
    return std::nullopt;
}

} // namespace pelluxcore
