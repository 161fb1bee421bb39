#pragma once
// Failures of reading an ARPA language-model file.

#include "Platform/Core/Error.hpp"

#include <cstdint>
#include <filesystem>
#include <string>

namespace razeziruzer {

enum class ARPAErrorKind { cannotOpen, invalidText };

class ARPAError : public platform::ErrorOf<ARPAErrorKind> {
public:
    static ARPAError cannotOpen(const std::string& path);
    // A line that is not UTF-8: the file is damaged, so nothing read is trusted.
    static ARPAError invalidText(const std::string& path, std::int64_t lineNumber);

private:
    ARPAError(ARPAErrorKind kind, const std::string& description) : ErrorOf(kind, description) {}
};

} // namespace razeziruzer
