#include "tests/Support/TestHost.hpp"

#include <cstdlib>

namespace testsupport {

bool testHostsMustStart() {
    const char* value = std::getenv("CI");
    return value != nullptr && *value != '\0';
}

} // namespace testsupport
