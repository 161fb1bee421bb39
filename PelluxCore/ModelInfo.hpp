#pragma once
// One build of a model family in a repository, laid out as
// name / version / variant / model file; absent levels are left out.

#include "Platform/CoreML/MLComputeUnits.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace pelluxcore {

struct ModelInfo {
    std::optional<std::string> version;
    std::optional<std::string> variant;
    std::string name;
    platform::coreml::MLComputeUnits computeUnits = platform::coreml::MLComputeUnits::all;

    // name/(version or *)/(variant or *)/*
    std::string downloadPattern() const;
    // The present ones of name, version and variant joined with "/".
    std::string description() const;
    std::string debugDescription() const;
    // baseURL/name[/version][/variant]
    std::filesystem::path modelURL(const std::filesystem::path& baseURL) const;
    // The folder that holds the nearest enclosing folder called `name`;
    // absent when there is none.
    std::optional<std::filesystem::path> findBaseFolder(const std::filesystem::path& in) const;

    bool operator==(const ModelInfo&) const = default;
};

} // namespace pelluxcore
