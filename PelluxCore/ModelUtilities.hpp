#pragma once
// Finding a named model's file in a folder (compiled model first, model
// package second) and reading one dimension of a loaded model's input or
// output. Lookups never fail: a mismatch is an absent result.

#include "Platform/CoreML/MLModel.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelluxcore {

struct ModelUtilities {
    ModelUtilities() = delete;

    // Where the model of that name is to be loaded from: the package's model
    // file when only the package exists, else the compiled folder (whether or
    // not anything is there).
    static std::filesystem::path detectModelURL(const std::filesystem::path& inFolder, const std::string& named);
    // With recursive set, a compiled folder of that exact name anywhere below
    // the folder when there is none directly in it; packages are not searched.
    static std::filesystem::path detectModelURL(const std::filesystem::path& inFolder, const std::string& named,
                                                bool recursive);
    // The first compiled model directly in the folder, else the model file of
    // the first package; absent when there is neither or the folder cannot be read.
    static std::optional<std::filesystem::path> detectModelURL(const std::filesystem::path& inFolder);

    // Dimension `position` of the named multi-array feature; absent for no
    // model, an unknown name, a feature of another kind, a feature without
    // an array constraint, or a position outside its shape.
    static std::optional<std::int64_t> getModelInputDimension(const platform::coreml::MLModel* model,
                                                              const std::string& named, std::size_t position);
    static std::optional<std::int64_t> getModelOutputDimension(const platform::coreml::MLModel* model,
                                                               const std::string& named, std::size_t position);

    // Inside a model package, the model file to load.
    static constexpr const char* packageModelFile = "Data/zar.apple.CoreML/model.mlmodel";
};

} // namespace pelluxcore
