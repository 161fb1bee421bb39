#pragma once
// Facts about the machine the process runs on, read from the kernel's own
// files: kernel parameters by dotted name, the processor's description, and
// the hardware model identifier used to choose models. Each fact is read once.

#include <filesystem>
#include <string>
#include <string_view>

namespace pelluxcore {

struct ProcessInfo {
    // The kernel parameter of that dotted name ("kernel.ostype" reads
    // /proc/sys/kernel/ostype) up to its first zero byte, without the final
    // line break; empty when there is none.
    static std::string stringFromSysctl(std::string_view named);

    static const std::string& processor(); // model name of the first processor
    static const std::string& cores();     // physical cores of one package
    static const std::string& threads();   // logical processors
    static const std::string& vendor();
    static const std::string& family();
    // The firmware's product name (DMI), else the device-tree model; empty
    // when the machine reports neither.
    static const std::string& hwModel();

    // The value of the first "key : value" line of /proc/cpuinfo text; empty
    // when absent.
    static std::string cpuInfoField(std::string_view cpuInfo, std::string_view key);
    // Number of "processor" entries in /proc/cpuinfo text.
    static int cpuInfoProcessorCount(std::string_view cpuInfo);
    // A firmware text file's contents up to the first zero byte, trimmed.
    static std::string firmwareText(const std::filesystem::path& path);
};

} // namespace pelluxcore
