#include "PelluxCore/ProcessInfo.hpp"

#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <string>

namespace pelluxcore {
namespace {

TEST(ProcessInfo, CpuInfoFields) {
    const std::string cpuInfo =
        "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel name\t: Test CPU @ 2.00GHz\n"
        "cpu cores\t: 2\n\nprocessor\t: 1\nvendor_id\t: GenuineIntel\nmodel name\t: Test CPU @ 2.00GHz\n";
    EXPECT_EQ(ProcessInfo::cpuInfoField(cpuInfo, "model name"), "Test CPU @ 2.00GHz");
    EXPECT_EQ(ProcessInfo::cpuInfoField(cpuInfo, "cpu family"), "6");
    EXPECT_EQ(ProcessInfo::cpuInfoField(cpuInfo, "cpu MHz"), "");
    EXPECT_EQ(ProcessInfo::cpuInfoProcessorCount(cpuInfo), 2);
}

TEST(ProcessInfo, FirmwareTextStopsAtZeroByteAndIsTrimmed) {
    testsupport::TemporaryDirectory folder;
    EXPECT_EQ(ProcessInfo::firmwareText(folder.write("product_name", "Laptop 13\n")), "Laptop 13");
    EXPECT_EQ(ProcessInfo::firmwareText(folder.write("model", std::string("Board v2\0junk", 13))), "Board v2");
    EXPECT_EQ(ProcessInfo::firmwareText(folder / "missing"), "");
}

TEST(ProcessInfo, KernelParametersByDottedName) {
    EXPECT_EQ(ProcessInfo::stringFromSysctl("kernel.ostype"), "Linux");
    EXPECT_EQ(ProcessInfo::stringFromSysctl("no.such.parameter"), "");
    for (const char* outside : {"..........etc.passwd", "/etc/passwd", "kernel..ostype", "", "kernel.ostype."}) {
        EXPECT_EQ(ProcessInfo::stringFromSysctl(outside), "") << outside;
    }
    EXPECT_FALSE(ProcessInfo::threads().empty());
    EXPECT_EQ(&ProcessInfo::hwModel(), &ProcessInfo::hwModel());
}

} // namespace
} // namespace pelluxcore
