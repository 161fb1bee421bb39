#pragma once
// Failures of the end-of-utterance RNN-T decoder: a model output it needs is missing.

#include "Platform/Core/Error.hpp"

#include <string>

namespace razeziruzer {

enum class RnntDecoderErrorKind { missingOutput };

class RnntDecoderError : public platform::ErrorOf<RnntDecoderErrorKind> {
public:
    static RnntDecoderError missingOutput(const std::string& name) {
        return RnntDecoderError(RnntDecoderErrorKind::missingOutput, name);
    }
    // The name of the missing output.
    const std::string& outputName() const { return outputName_; }

private:
    RnntDecoderError(RnntDecoderErrorKind kind, const std::string& name)
        : ErrorOf(kind, "RNNT decoder missing expected output: " + name), outputName_(name) {}

    std::string outputName_;
};

} // namespace razeziruzer
