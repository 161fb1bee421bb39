#pragma once
// The running operating system as "<name> <major>.<minor>.<patch>", the
// patch number always present: the kernel's name and release on Linux, for
// example "Linux 6.1.0".

#include <string>
#include <string_view>

namespace ostrelvirorez {

std::string currentOperatingSystemVersionText();

// The text for a system name and a release like "6.1.0-18-amd64": its first
// three dot-separated numbers, missing ones as 0.
std::string operatingSystemVersionText(std::string_view name, std::string_view release);

} // namespace ostrelvirorez
