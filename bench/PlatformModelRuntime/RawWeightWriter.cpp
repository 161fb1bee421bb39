#include "bench/PlatformModelRuntime/RawWeightWriter.hpp"

#include <bit>
#include <stdexcept>

namespace runtimebench {
namespace {

constexpr std::uint64_t alignment = 4096;
constexpr const char* fileName = "weights.f32";

} // namespace

RawWeightWriter::RawWeightWriter(const std::filesystem::path& folder) : folder_(folder) {
    static_assert(std::endian::native == std::endian::little, "the raw weights are written as the machine holds them");
    std::filesystem::create_directories(folder);
    file_.open(folder / fileName, std::ios::binary | std::ios::trunc);
    if (!file_) {
        throw std::runtime_error("cannot write " + (folder / fileName).string());
    }
}

void RawWeightWriter::add(const std::string& name, const std::vector<std::int64_t>& shape, std::span<const float> values) {
    const auto padding = (alignment - offset_ % alignment) % alignment;
    const std::vector<char> zeros(padding, 0);
    file_.write(zeros.data(), static_cast<std::streamsize>(padding));
    offset_ += padding;
    const auto length = values.size_bytes();
    file_.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(length));
    if (!file_) {
        throw std::runtime_error("cannot write " + (folder_ / fileName).string());
    }
    tensors_.push_back({{"name", name}, {"shape", shape}, {"offset", offset_}, {"length", length}});
    offset_ += length;
}

void RawWeightWriter::finish(const nlohmann::json& graph) {
    file_.close();
    if (!file_) {
        throw std::runtime_error("cannot write " + (folder_ / fileName).string());
    }
    std::ofstream index(folder_ / "graph.json");
    index << nlohmann::json{{"graph", graph}, {"file", fileName}, {"tensors", tensors_}}.dump(1) << "\n";
    if (!index) {
        throw std::runtime_error("cannot write " + (folder_ / "graph.json").string());
    }
}

} // namespace runtimebench
