#include "RazeziRuzer/Shared/SystemInfo.hpp"

#include "RazeziRuzer/Shared/SystemInfoReporter.hpp"

#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace razeziruzer::SystemInfo {

namespace {

constexpr std::string_view whitespace = " \t\r\n";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(whitespace);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(whitespace);
    return text.substr(first, last - first + 1);
}

std::string_view unquoted(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// Calls visit(key, value) for each "key<separator>value" line until it returns true.
template <typename Visit>
void forEachKeyedLine(std::string_view text, char separator, Visit visit) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        const auto line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const auto split = line.find(separator);
        if (split == std::string_view::npos) continue;
        if (visit(trimmed(line.substr(0, split)), trimmed(line.substr(split + 1)))) return;
    }
}

std::optional<std::string> readText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return text;
}

std::string builtArchitecture() {
#if defined(__x86_64__)
    return "x86_64";
#elif defined(__aarch64__)
    return "aarch64";
#elif defined(__i386__)
    return "i386";
#elif defined(__arm__)
    return "arm";
#else
    utsname names{};
    if (uname(&names) == 0) return names.machine;
    return "unknown";
#endif
}

std::string kernelRelease() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.release;
}

// The processor's marketing name, else the machine model, else "UnknownChip".
std::string chipName() {
    if (const auto cpuInfo = readText("/proc/cpuinfo")) {
        if (auto name = processorNameFromCpuInfo(*cpuInfo)) return *name;
    }
    for (const char* path : {"/sys/firmware/devicetree/base/model", "/sys/devices/virtual/dmi/id/product_name"}) {
        if (const auto raw = readText(path)) {
            if (auto model = firmwareText(*raw)) return *model;
        }
    }
    return "UnknownChip";
}

std::uint64_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::optional<std::uint64_t> ownStatusMemory(std::string_view key) {
    const auto status = readText("/proc/self/status");
    if (!status) return std::nullopt;
    return statusMemoryBytes(*status, key);
}

std::string withoutTrailingZeros(std::string number) {
    if (number.find('.') == std::string::npos) return number;
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}

} // namespace

std::optional<std::string> processorNameFromCpuInfo(std::string_view cpuInfo) {
    std::optional<std::string> name;
    forEachKeyedLine(cpuInfo, ':', [&](std::string_view key, std::string_view value) {
        if (key != "model name" || value.empty()) return false;
        name = std::string(value);
        return true;
    });
    return name;
}

std::optional<std::string> firmwareText(std::string_view raw) {
    const auto text = trimmed(raw.substr(0, raw.find('\0')));
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

std::optional<std::uint64_t> statusMemoryBytes(std::string_view status, std::string_view key) {
    std::optional<std::uint64_t> bytes;
    forEachKeyedLine(status, ':', [&](std::string_view lineKey, std::string_view value) {
        if (lineKey != key) return false;
        std::uint64_t kilobytes = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), kilobytes);
        if (error == std::errc{} && trimmed(std::string_view(end, value.data() + value.size() - end)) == "kB") {
            bytes = kilobytes * 1024;
        }
        return true;
    });
    return bytes;
}

std::optional<std::string> distributionName(std::string_view osRelease) {
    std::string prettyName, name, version;
    forEachKeyedLine(osRelease, '=', [&](std::string_view key, std::string_view value) {
        if (key == "PRETTY_NAME") prettyName = unquoted(value);
        if (key == "NAME") name = unquoted(value);
        if (key == "VERSION") version = unquoted(value);
        return false;
    });
    if (!prettyName.empty()) return prettyName;
    if (name.empty()) return std::nullopt;
    return version.empty() ? name : name + " " + version;
}

std::string osVersionString(std::optional<std::string> distribution, std::string_view release) {
    const std::string kernel = release.empty() ? std::string() : "Kernel " + std::string(release);
    if (!distribution) return kernel;
    if (kernel.empty()) return *distribution;
    return *distribution + " (" + kernel + ")";
}

std::string formatMemoryByteCount(std::uint64_t bytes) {
    if (bytes == 0) return "Zero KB";
    if (bytes == 1) return "1 byte";
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    constexpr std::array<const char*, 5> units{"KB", "MB", "GB", "TB", "PB"};
    constexpr std::array<int, 5> fractionDigits{0, 1, 2, 2, 2};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < units.size()) {
        value /= 1024.0;
        ++unit;
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.*f", fractionDigits[unit], value);
    return withoutTrailingZeros(number) + " " + units[unit];
}

std::string formatSummary(const HostFacts& facts) {
    return "Linux " + facts.osVersion + ", arch=" + facts.architecture + ", chip=" + facts.chip +
           ", cores=" + std::to_string(facts.activeProcessorCount) + "/" + std::to_string(facts.processorCount) +
           ", mem=" + formatMemoryByteCount(facts.physicalMemory) + ", rosetta=" + (facts.translated ? "true" : "false");
}

std::string summary() {
    HostFacts facts;
    const auto osRelease = readText("/etc/os-release");
    facts.osVersion = osVersionString(osRelease ? distributionName(*osRelease) : std::nullopt, kernelRelease());
    facts.architecture = builtArchitecture();
    facts.chip = chipName();
    facts.activeProcessorCount = sysconf(_SC_NPROCESSORS_ONLN);
    facts.processorCount = sysconf(_SC_NPROCESSORS_CONF);
    facts.physicalMemory = physicalMemoryBytes();
    // Linux has no binary-translation flag for a process; it never reads as translated.
    facts.translated = false;
    return formatSummary(facts);
}

void logOnce(const AppLogger& logger) {
    SystemInfoReporter::shared().logIfNeeded(logger);
}

std::optional<std::uint64_t> currentResidentMemoryBytes() {
    return ownStatusMemory("VmRSS");
}

std::optional<std::uint64_t> peakResidentMemoryBytes() {
    return ownStatusMemory("VmHWM");
}

} // namespace razeziruzer::SystemInfo
