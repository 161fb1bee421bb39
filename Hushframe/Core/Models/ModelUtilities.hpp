#pragma once
// What the pipeline knows about Whisper models: the device's model support,
// the variant of a loaded model, the tokenizer repository of a variant, where
// its tokenizer is found, and the model folders of a repository listing.

#include "Hushframe/Core/Models/ModelSupportConfig.hpp"
#include "Hushframe/Core/Models/ModelVariant.hpp"
#include "Hushframe/Core/Models/WhisperTokenizer.hpp"
#include "PelluxCore/ModelHubKit/Tokenizers/Tokenizer.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hushframe {

// The model-hub half of tokenizer loading: where a repository's files live
// locally, and the tokenizer of a repository, downloaded there when needed.
class TokenizerHub {
public:
    virtual ~TokenizerHub() = default;

    virtual std::filesystem::path localRepoLocation(const std::string& repoId) const = 0;
    // Throws the hub's own error.
    virtual std::shared_ptr<const modelhubkit::Tokenizer> fromPretrained(const std::string& repoId) const = 0;
};

struct ModelUtilities {
    ModelUtilities() = delete;

    // From `config`, or from the built-in configuration when none is given.
    static ModelSupport modelSupport(const std::string& deviceName,
                                     const std::optional<ModelSupportConfig>& config = std::nullopt);

    // From the decoder's vocabulary size and the encoder's output width; an
    // unknown vocabulary gives `base`, logged at error level.
    static ModelVariant detectVariant(int logitsDim, int encoderDim);

    // "openai/whisper-" followed by the variant's text form.
    static std::string tokenizerNameForVariant(ModelVariant variant);

    // The first of the folders, in order, that holds a "tokenizer.json".
    static std::optional<std::filesystem::path> findLocalTokenizer(const std::vector<std::filesystem::path>& folders);

    // The variant's tokenizer from the first local folder that has one (the
    // hub's location of its repository, then `tokenizerFolder`, then the
    // further folders), else from the hub. A missing or broken local tokenizer
    // falls through to the hub; only the hub's error reaches the caller.
    // `hub` stores its downloads below `tokenizerFolder` when one is given.
    static std::shared_ptr<WhisperTokenizer> loadTokenizer(
        ModelVariant variant, const std::optional<std::filesystem::path>& tokenizerFolder,
        const std::vector<std::filesystem::path>& additionalSearchPaths, const TokenizerHub& hub);

    // The distinct top-level folders of repository paths that name a model
    // size, ordered by size family, then by name.
    static std::vector<std::string> formatModelFiles(const std::vector<std::string>& modelFiles);
};

} // namespace hushframe
