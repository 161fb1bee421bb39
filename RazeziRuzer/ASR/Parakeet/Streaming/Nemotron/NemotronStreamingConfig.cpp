#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/Core/BoundedRead.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"

#include <fstream>
#include <system_error>

namespace razeziruzer {
namespace {

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw std::filesystem::filesystem_error("Cannot read metadata file", path,
                                                std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return platform::readAtMost(stream, NemotronStreamingConfig::maximumFileBytes, path.string());
}

void readInteger(const nlohmann::json& json, const char* key, std::int64_t& field) {
    const auto found = json.find(key);
    if (found != json.end() && found->is_number_integer()) field = found->get<std::int64_t>();
}

void readShape(const nlohmann::json& json, const char* key, std::vector<std::int64_t>& field) {
    const auto found = json.find(key);
    if (found == json.end() || !found->is_array()) return;
    std::vector<std::int64_t> shape;
    for (const auto& element : *found) {
        if (!element.is_number_integer()) return;
        shape.push_back(element.get<std::int64_t>());
    }
    field = std::move(shape);
}

} // namespace

nlohmann::json NemotronStreamingConfig::readMetadata(const std::filesystem::path& url) {
    return platform::parseBoundedJson(readWholeFile(url));
}

NemotronStreamingConfig NemotronStreamingConfig::from(const std::filesystem::path& url) {
    const auto json = readMetadata(url);
    if (!json.is_object()) throw ASRError::processingFailed("Invalid metadata.json format");
    NemotronStreamingConfig config;
    // The fallbacks for missing chunk keys are the 1120 ms geometry.
    config.chunkMelFrames = 112;
    config.chunkMs = 1120;
    config.totalMelFrames = 121;
    readInteger(json, "sample_rate", config.sampleRate);
    readInteger(json, "mel_features", config.melFeatures);
    readInteger(json, "chunk_mel_frames", config.chunkMelFrames);
    readInteger(json, "chunk_ms", config.chunkMs);
    readInteger(json, "pre_encode_cache", config.preEncodeCache);
    readInteger(json, "total_mel_frames", config.totalMelFrames);
    readInteger(json, "vocab_size", config.vocabSize);
    readInteger(json, "blank_idx", config.blankIdx);
    readInteger(json, "encoder_dim", config.encoderDim);
    readInteger(json, "decoder_hidden", config.decoderHidden);
    readInteger(json, "decoder_layers", config.decoderLayers);
    readShape(json, "cache_channel_shape", config.cacheChannelShape);
    readShape(json, "cache_time_shape", config.cacheTimeShape);
    return config;
}

} // namespace razeziruzer
