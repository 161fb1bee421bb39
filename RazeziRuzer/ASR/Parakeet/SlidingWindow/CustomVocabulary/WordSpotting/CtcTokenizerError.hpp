#pragma once
// Failures of loading the tokenizer of a CTC model folder.

#include "Platform/Core/Error.hpp"

#include <exception>
#include <filesystem>
#include <string>

namespace razeziruzer {

enum class CtcTokenizerErrorKind { tokenizerNotFound, missingFile, initializationFailed, applicationSupportNotFound };

class CtcTokenizerError : public platform::ErrorOf<CtcTokenizerErrorKind> {
public:
    static CtcTokenizerError tokenizerNotFound(const std::filesystem::path& file);
    static CtcTokenizerError missingFile(const std::string& name, const std::filesystem::path& folder);
    // Keeps the error of the tokenizer file; shows its description.
    static CtcTokenizerError initializationFailed(std::exception_ptr underlying);
    static CtcTokenizerError applicationSupportNotFound();

    std::exception_ptr underlying() const { return underlying_; }

private:
    CtcTokenizerError(CtcTokenizerErrorKind kind, const std::string& description, std::exception_ptr underlying = {})
        : ErrorOf(kind, description), underlying_(std::move(underlying)) {}

    std::exception_ptr underlying_;
};

} // namespace razeziruzer
