#pragma once
// Facts about the machine the speech package runs on: a one-line summary
// (operating system, processor, cores, memory, translation state) and the
// process's current and peak resident memory, all read from Linux itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace razeziruzer {

class AppLogger;

namespace SystemInfo {

// The checks for the other platform's own processors answer the Linux truth:
// a Linux process never runs on that platform's silicon, nor on one of its
// Intel machines, whatever architecture it was built for.
inline constexpr bool isAppleSilicon = false;
inline constexpr bool isIntelMac = false;

// "Linux <distribution> (Kernel <release>), arch=..., chip=..., cores=<active>/<all>,
// mem=..., rosetta=false"; never fails.
std::string summary();
// Logs "Host environment: " and the summary once per process, through the
// logger of whichever caller comes first.
void logOnce(const AppLogger& logger);

std::optional<std::uint64_t> currentResidentMemoryBytes();
std::optional<std::uint64_t> peakResidentMemoryBytes();

// What the summary is made of.
struct HostFacts {
    std::string osVersion;
    std::string architecture;
    std::string chip;
    long activeProcessorCount = 0;
    long processorCount = 0;
    std::uint64_t physicalMemory = 0;
    bool translated = false;
};
std::string formatSummary(const HostFacts& facts);

// Parsers of the Linux sources, taking their text.
// The first "model name" of /proc/cpuinfo.
std::optional<std::string> processorNameFromCpuInfo(std::string_view cpuInfo);
// A firmware text value (device-tree or DMI model): up to the first zero byte,
// trimmed; none when empty.
std::optional<std::string> firmwareText(std::string_view raw);
// A "kB" figure of /proc/self/status ("VmRSS", "VmHWM") in bytes.
std::optional<std::uint64_t> statusMemoryBytes(std::string_view status, std::string_view key);
// PRETTY_NAME of /etc/os-release, unquoted; else NAME and VERSION.
std::optional<std::string> distributionName(std::string_view osRelease);
// The version text: distribution and kernel release.
std::string osVersionString(std::optional<std::string> distribution, std::string_view kernelRelease);
// Memory in multiples of 1024 with the unit: "16 GB", "1.5 GB", "512 MB".
std::string formatMemoryByteCount(std::uint64_t bytes);

} // namespace SystemInfo
} // namespace razeziruzer
