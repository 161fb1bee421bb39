#pragma once
// Writes weights as plain little-endian float32 for another runtime to read:
// one file of tensors back to back (each starting on a 4096-byte boundary, so
// it can be mapped), and a JSON index with each tensor's name, shape, offset
// and length beside a description of the graph they belong to.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

namespace runtimebench {

class RawWeightWriter {
public:
    // Creates `folder` and opens "weights.f32" in it; throws std::runtime_error on failure.
    explicit RawWeightWriter(const std::filesystem::path& folder);

    void add(const std::string& name, const std::vector<std::int64_t>& shape, std::span<const float> values);
    // Writes "graph.json": {"graph": graph, "file": "weights.f32", "tensors": [...]}.
    void finish(const nlohmann::json& graph);

private:
    std::filesystem::path folder_;
    std::ofstream file_;
    std::uint64_t offset_ = 0;
    nlohmann::json tensors_ = nlohmann::json::array();
};

} // namespace runtimebench
