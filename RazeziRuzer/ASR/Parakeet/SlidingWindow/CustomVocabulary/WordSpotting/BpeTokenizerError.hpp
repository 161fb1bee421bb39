#pragma once
// Failures of reading a BPE "tokenizer.json".

#include "Platform/Core/Error.hpp"

#include <filesystem>
#include <string>

namespace razeziruzer {

enum class BpeTokenizerErrorKind { fileNotFound, invalidJSON, missingField, unsupportedTokenizerType };

class BpeTokenizerError : public platform::ErrorOf<BpeTokenizerErrorKind> {
public:
    static BpeTokenizerError fileNotFound(const std::filesystem::path& file);
    static BpeTokenizerError invalidJSON(const std::string& text);
    static BpeTokenizerError missingField(const std::string& dottedName);
    static BpeTokenizerError unsupportedTokenizerType(const std::string& type);

private:
    BpeTokenizerError(BpeTokenizerErrorKind kind, const std::string& description) : ErrorOf(kind, description) {}
};

} // namespace razeziruzer
