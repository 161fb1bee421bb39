#pragma once
// Pipeline-wide values: window and token limits, word-timing punctuation, the
// Whisper languages, the model-support file name and the built-in
// model-support configuration.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace hushframe {

struct ModelSupportConfig;

struct Constants {
    Constants() = delete;

    static constexpr int maxTokenContext = 224;
    static constexpr int defaultWindowSamples = 480000;
    static constexpr std::uint32_t defaultAudioReadFrameSize = 1323000;
    static constexpr std::string_view defaultLanguageCode = "en";
    // Attach to the following word in word timings.
    static constexpr std::string_view defaultPrependPunctuations = "\"'\u201C\u00A1\u00BF([{-";
    // Attach to the preceding word in word timings.
    static constexpr std::string_view defaultAppendPunctuations =
        "\"'.\u3002,\uFF0C!\uFF01?\uFF1F:\uFF1A\u201D)]}\u3001";
    // Trimmed from both ends of a special token's text.
    static constexpr std::string_view specialTokenCharacters = "<|>";
    static constexpr std::string_view defaultRemoteConfigName = "config.json";
    static constexpr std::string_view defaultRemoteEndpoint = "https://huggingface.co";

    // Lower-case language name to code; several names share a code.
    static const std::map<std::string, std::string>& languages();
    // The distinct codes of languages().
    static const std::set<std::string>& languageCodes();
    static const ModelSupportConfig& fallbackModelSupportConfig();
    static const std::vector<std::string>& knownModels();
};

} // namespace hushframe
