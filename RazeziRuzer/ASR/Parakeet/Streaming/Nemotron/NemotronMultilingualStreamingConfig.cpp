#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronMultilingualStreamingConfig.hpp"

#include "Platform/Text/CaseMapping.hpp"
#include "RazeziRuzer/ASR/Parakeet/ASRError.hpp"
#include "RazeziRuzer/ASR/Parakeet/Streaming/Nemotron/NemotronStreamingConfig.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>

namespace razeziruzer {
namespace {

constexpr std::int64_t samplesPerMelFrame = 160;
constexpr std::int64_t millisecondsPerMelFrame = 10;
constexpr std::int64_t defaultPreEncodeFrames = 9;

// A JSON number whose value is an exact 64-bit integer (12 and 12.0 alike).
std::optional<std::int64_t> exactInteger(const nlohmann::json& value) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) {
            return std::nullopt;
        }
        return value.get<std::int64_t>();
    }
    if (!value.is_number_float()) return std::nullopt;
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::trunc(number) != number) return std::nullopt;
    if (number < -9.2233720368547758e18 || number >= 9.2233720368547758e18) return std::nullopt;
    return static_cast<std::int64_t>(number);
}

std::optional<std::int64_t> integerAt(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found == json.end() ? std::nullopt : exactInteger(*found);
}

std::optional<std::vector<std::int64_t>> integersAt(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end() || !found->is_array()) return std::nullopt;
    std::vector<std::int64_t> values;
    for (const auto& element : *found) {
        const auto value = exactInteger(element);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

std::optional<std::map<std::string, std::int64_t>> promptsAt(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end() || !found->is_object()) return std::nullopt;
    std::map<std::string, std::int64_t> prompts;
    for (const auto& [code, value] : found->items()) {
        const auto id = exactInteger(value);
        if (!id) return std::nullopt;
        prompts[code] = *id;
    }
    return prompts;
}

bool productFits(std::int64_t value, std::int64_t factor) {
    return value <= std::numeric_limits<std::int64_t>::max() / factor &&
           value >= std::numeric_limits<std::int64_t>::min() / factor;
}

} // namespace

NemotronMultilingualStreamingConfig NemotronMultilingualStreamingConfig::from(const std::filesystem::path& url) {
    const auto json = NemotronStreamingConfig::readMetadata(url);
    if (!json.is_object()) throw ASRError::processingFailed("Invalid multilingual metadata.json format");
    NemotronMultilingualStreamingConfig config;
    config.chunkMelFrames = integerAt(json, "chunk_mel_frames").value_or(112);
    // The derived sizes are products and sums of the chunk length; a length
    // whose derived sizes overflow describes no model at all.
    if (!productFits(config.chunkMelFrames, samplesPerMelFrame) ||
        config.chunkMelFrames > std::numeric_limits<std::int64_t>::max() - defaultPreEncodeFrames) {
        throw ASRError::processingFailed("Invalid multilingual metadata.json: chunk_mel_frames out of range");
    }
    config.sampleRate = integerAt(json, "sample_rate").value_or(16000);
    config.melFeatures = integerAt(json, "mel_features").value_or(128);
    config.chunkMs = integerAt(json, "chunk_ms").value_or(config.chunkMelFrames * millisecondsPerMelFrame);
    config.preEncodeCache = integerAt(json, "pre_encode_cache").value_or(defaultPreEncodeFrames);
    config.totalMelFrames = integerAt(json, "total_mel_frames").value_or(config.chunkMelFrames + defaultPreEncodeFrames);
    config.vocabSize = integerAt(json, "vocab_size").value_or(13087);
    config.blankIdx = integerAt(json, "blank_idx").value_or(config.vocabSize);
    config.encoderDim = integerAt(json, "encoder_dim").value_or(1024);
    config.decoderHidden = integerAt(json, "decoder_hidden").value_or(640);
    config.decoderLayers = integerAt(json, "decoder_layers").value_or(2);
    if (auto shape = integersAt(json, "cache_channel_shape")) config.cacheChannelShape = std::move(*shape);
    if (auto shape = integersAt(json, "cache_time_shape")) config.cacheTimeShape = std::move(*shape);
    config.numPrompts = integerAt(json, "num_prompts").value_or(128);
    config.defaultPromptId = integerAt(json, "default_prompt_id").value_or(101);
    if (auto prompts = promptsAt(json, "prompt_dictionary")) config.promptDictionary = std::move(*prompts);
    if (auto tags = integersAt(json, "lang_tag_token_ids")) config.langTagTokenIds = {tags->begin(), tags->end()};
    return config;
}

std::int64_t NemotronMultilingualStreamingConfig::promptId(const std::optional<std::string>& forLanguage) const {
    if (!forLanguage || forLanguage->empty()) return defaultPromptId;
    const auto lookup = [this](const std::string& code) -> std::optional<std::int64_t> {
        const auto found = promptDictionary.find(code);
        return found == promptDictionary.end() ? std::nullopt : std::optional(found->second);
    };
    if (const auto id = lookup(*forLanguage)) return *id;
    std::string dashed = *forLanguage;
    std::replace(dashed.begin(), dashed.end(), '_', '-');
    if (const auto id = lookup(dashed)) return *id;

    const auto start = dashed.find_first_not_of('-');
    if (start == std::string::npos) return defaultPromptId;
    const auto dash = dashed.find('-', start);
    const auto language = platform::text::lowercased(dashed.substr(start, dash - start));
    if (dash != std::string::npos && dash + 1 < dashed.size()) {
        const auto region = dashed.substr(dash + 1);
        if (const auto id = lookup(language + "-" + platform::text::uppercased(region))) return *id;
    }
    if (const auto id = lookup(language)) return *id;
    return defaultPromptId;
}

} // namespace razeziruzer
