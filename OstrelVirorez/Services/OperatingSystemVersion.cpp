#include "OstrelVirorez/Services/OperatingSystemVersion.hpp"

#include <sys/utsname.h>

#include <array>
#include <cctype>
#include <charconv>

namespace ostrelvirorez {

namespace {

// Reads the leading digits of `text` (0 when there are none) and moves past them.
unsigned long takeNumber(std::string_view& text) {
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{}) return 0;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

} // namespace

std::string operatingSystemVersionText(std::string_view name, std::string_view release) {
    std::array<unsigned long, 3> numbers{};
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        if (release.empty() || !std::isdigit(static_cast<unsigned char>(release.front()))) break;
        numbers[index] = takeNumber(release);
        if (release.empty() || release.front() != '.') break;
        release.remove_prefix(1);
    }
    return std::string(name) + " " + std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
           std::to_string(numbers[2]);
}

std::string currentOperatingSystemVersionText() {
    utsname system{};
    if (uname(&system) != 0) return operatingSystemVersionText("Linux", "");
    return operatingSystemVersionText(system.sysname, system.release);
}

} // namespace ostrelvirorez
