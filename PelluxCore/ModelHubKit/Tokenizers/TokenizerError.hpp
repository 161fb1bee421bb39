#pragma once
// Failures of loading a tokenizer from its files and of encoding text with it.

#include "Platform/Core/Error.hpp"

namespace modelhubkit {

enum class TokenizerErrorKind {
    missingConfig,          // no "tokenizer_config.json" in the folder
    missingTokenizerData,   // no "tokenizer.json" in the folder
    malformedFile,          // a file that cannot be read or is not JSON
    malformedTokenizer,     // JSON whose content does not describe a usable tokenizer
    unsupportedComponent,   // a model, normalizer, pre-tokenizer, decoder or post-processor type we do not build
    encodingFailed,         // text holds something the vocabulary cannot express
};

class TokenizerError : public platform::ErrorOf<TokenizerErrorKind> {
public:
    using ErrorOf::ErrorOf;
};

} // namespace modelhubkit
