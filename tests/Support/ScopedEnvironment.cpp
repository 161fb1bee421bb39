#include "tests/Support/ScopedEnvironment.hpp"

#include <cstdlib>

namespace testsupport {

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
}

void ScopedEnvironment::remember(const std::string& name) {
    if (saved_.contains(name)) return;
    const char* current = std::getenv(name.c_str());
    saved_[name] = current ? std::optional<std::string>(current) : std::nullopt;
}

void ScopedEnvironment::set(const std::string& name, const std::string& value) {
    remember(name);
    setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnvironment::unset(const std::string& name) {
    remember(name);
    unsetenv(name.c_str());
}

} // namespace testsupport
