#pragma once
// Shape settings of a Nemotron streaming model set: audio rate, mel geometry,
// chunk and cache lengths, vocabulary, prediction-network sizes and the
// encoder caches' shapes. A model folder carries them in "metadata.json".

#include <cstdint>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <vector>

namespace razeziruzer {

struct NemotronStreamingConfig {
    std::int64_t sampleRate = 16000;
    std::int64_t melFeatures = 128;
    std::int64_t chunkMelFrames = 224;   // new mel frames per chunk, 160 samples each
    std::int64_t chunkMs = 2240;
    std::int64_t preEncodeCache = 9;     // mel frames of the previous chunk put in front
    std::int64_t totalMelFrames = 233;   // the encoder's input window, cache included
    std::int64_t vocabSize = 1024;
    std::int64_t blankIdx = 1024;
    std::int64_t encoderDim = 1024;
    std::int64_t decoderHidden = 640;
    std::int64_t decoderLayers = 2;
    std::vector<std::int64_t> cacheChannelShape{1, 24, 70, 1024};
    std::vector<std::int64_t> cacheTimeShape{1, 24, 1024, 8};

    // The built-in set: the 2240 ms model.
    NemotronStreamingConfig() = default;

    // "metadata.json" holds a few numbers; a larger file is refused unread.
    static constexpr std::uintmax_t maximumFileBytes = 1u << 20;

    // The parsed "metadata.json" of a variant (the multilingual variants'
    // too): at most maximumFileBytes and bounded nesting, else
    // platform::FileTooLargeError or platform::JsonNestingError.
    static nlohmann::json readMetadata(const std::filesystem::path& url);

    // Reads "metadata.json". Each key is taken when it holds an integer (an
    // array of integers for the shapes); otherwise the field keeps the
    // 1120 ms fallback. Read and parse errors are passed on (with
    // platform::FileTooLargeError and platform::JsonNestingError for files no
    // model writes); a top level other than an object is
    // ASRError.processingFailed.
    static NemotronStreamingConfig from(const std::filesystem::path& url);

    std::int64_t chunkSamples() const { return chunkMelFrames * 160; }

    bool operator==(const NemotronStreamingConfig&) const = default;
};

} // namespace razeziruzer
