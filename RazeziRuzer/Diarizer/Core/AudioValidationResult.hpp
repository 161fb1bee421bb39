#pragma once
// Whether a block of audio may be diarized, and why not.

#include <string>
#include <vector>

namespace razeziruzer {

struct AudioValidationResult {
    bool isValid = false;
    float durationSeconds = 0;
    // One message per problem, in the order found.
    std::vector<std::string> issues;
};

} // namespace razeziruzer
