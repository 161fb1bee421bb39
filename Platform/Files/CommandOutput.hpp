#pragma once
// Runs a program found on PATH (no shell) and collects what it prints.

#include <optional>
#include <string>
#include <vector>

namespace platform::files {

// Standard output of `arguments[0]` run with the rest as its arguments, when
// the program exists and exits with status 0; nullopt otherwise.
std::optional<std::string> commandOutput(const std::vector<std::string>& arguments);

} // namespace platform::files
