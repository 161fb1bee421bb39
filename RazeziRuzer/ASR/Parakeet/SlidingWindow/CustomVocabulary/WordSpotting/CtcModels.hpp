#pragma once
// The loaded CTC model of vocabulary boosting: front end, encoder with its CTC
// head, the configuration both were loaded with, the token vocabulary and the
// variant; and the loaders that bring it from the models cache.

#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"
#include "RazeziRuzer/ASR/Parakeet/SlidingWindow/CustomVocabulary/WordSpotting/CtcModelVariant.hpp"
#include "RazeziRuzer/ASR/Parakeet/Vocabulary.hpp"

#include <filesystem>
#include <optional>

namespace razeziruzer {

struct CtcModels {
    platform::coreml::MLModel melSpectrogram;
    platform::coreml::MLModel encoder;
    platform::coreml::MLModelConfiguration configuration;
    Vocabulary vocabulary;
    CtcModelVariant variant;

    static std::filesystem::path defaultCacheDirectory(CtcModelVariant variant);
    // CPU and Neural Engine, low-precision GPU accumulation allowed; new on each call.
    static platform::coreml::MLModelConfiguration defaultConfiguration();
    // Both model bundles and "vocab.json" are in the folder.
    static bool modelsExist(const std::filesystem::path& directory);

    // Makes sure the variant's files are in the cache and returns the model folder.
    static std::filesystem::path download(const std::optional<std::filesystem::path>& directory,
                                          CtcModelVariant variant, bool force);
    // Through the package's model loader, which downloads what is missing;
    // "vocab.json" is read from `directory` itself.
    static CtcModels load(const std::filesystem::path& directory, CtcModelVariant variant);
    // Straight from the folder, compiling a bundle that cannot be opened.
    static CtcModels loadDirect(const std::filesystem::path& directory, CtcModelVariant variant);
    static CtcModels downloadAndLoad(const std::optional<std::filesystem::path>& directory, CtcModelVariant variant);

    // Ids as decimal keys; keys that do not parse are skipped; JSON of another
    // shape gives an empty vocabulary. Throws AsrModelsError when the file is
    // missing, platform::FileTooLargeError when it is larger than any
    // vocabulary, platform::JsonNestingError when it nests deeper than one.
    static Vocabulary loadVocabulary(const std::filesystem::path& directory);
};

} // namespace razeziruzer
