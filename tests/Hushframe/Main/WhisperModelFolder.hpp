#pragma once
// A folder holding the three compiled Whisper models, run by scripted backends
// that declare the sizes the pipeline reads (vocabulary, encoder width,
// window), and a tiny tokenizer's files.

#include "Platform/CoreML/MLModelBackendRegistry.hpp"

#include <filesystem>
#include <vector>

namespace hushframe::testing {

struct ModelSizes {
    int logits = 51865;
    int encoderWidth = 384;
};

class WhisperModelFolder {
public:
    // Writes the models into `folder` and registers their backends until destroyed.
    explicit WhisperModelFolder(const std::filesystem::path& folder, ModelSizes sizes = {});

    const std::filesystem::path& path() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

// "tokenizer.json" and "tokenizer_config.json" of a tiny tokenizer.
void writeTokenizerFiles(const std::filesystem::path& folder);

} // namespace hushframe::testing
