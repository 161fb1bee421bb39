#include "RazeziRuzer/Shared/AppLogger.hpp"
#include "RazeziRuzer/Shared/SystemInfo.hpp"
#include "RazeziRuzer/Shared/SystemInfoReporter.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace razeziruzer {
namespace {

constexpr std::string_view cpuInfo =
    "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel\t\t: 85\n"
    "model name\t: Intel(R) Xeon(R) Gold 6148 CPU @ 2.40GHz\nflags\t\t: fpu vme\n\n"
    "processor\t: 1\nmodel name\t: Second Name\n";

TEST(SystemInfoTests, ProcessorNameIsTheFirstModelName) {
    EXPECT_EQ(SystemInfo::processorNameFromCpuInfo(cpuInfo), "Intel(R) Xeon(R) Gold 6148 CPU @ 2.40GHz");
    EXPECT_EQ(SystemInfo::processorNameFromCpuInfo("processor\t: 0\nCPU part\t: 0xd0c\n"), std::nullopt);
    EXPECT_EQ(SystemInfo::processorNameFromCpuInfo("model name\t:\n"), std::nullopt);
}

TEST(SystemInfoTests, FirmwareTextEndsAtTheFirstZeroByte) {
    using namespace std::string_view_literals;
    EXPECT_EQ(SystemInfo::firmwareText("Raspberry Pi 4 Model B Rev 1.4\0junk"sv), "Raspberry Pi 4 Model B Rev 1.4");
    EXPECT_EQ(SystemInfo::firmwareText("Standard PC (Q35 + ICH9, 2009)\n"), "Standard PC (Q35 + ICH9, 2009)");
    EXPECT_EQ(SystemInfo::firmwareText("\0"sv), std::nullopt);
    EXPECT_EQ(SystemInfo::firmwareText(""), std::nullopt);
}

TEST(SystemInfoTests, StatusMemoryFiguresAreKilobytes) {
    constexpr std::string_view status = "Name:\ttests\nVmPeak:\t  900000 kB\nVmHWM:\t   20480 kB\nVmRSS:\t   10240 kB\n";
    EXPECT_EQ(SystemInfo::statusMemoryBytes(status, "VmRSS"), 10240u * 1024u);
    EXPECT_EQ(SystemInfo::statusMemoryBytes(status, "VmHWM"), 20480u * 1024u);
    EXPECT_EQ(SystemInfo::statusMemoryBytes(status, "VmSwap"), std::nullopt);
    EXPECT_EQ(SystemInfo::statusMemoryBytes("VmRSS:\tmany kB\n", "VmRSS"), std::nullopt);
}

TEST(SystemInfoTests, OwnResidentMemoryIsKnownAndPeakIsAtLeastCurrent) {
    const auto current = SystemInfo::currentResidentMemoryBytes();
    const auto peak = SystemInfo::peakResidentMemoryBytes();
    ASSERT_TRUE(current && peak);
    EXPECT_GT(*current, 0u);
    EXPECT_GE(*peak, *current);
}

TEST(SystemInfoTests, DistributionAndVersionText) {
    EXPECT_EQ(SystemInfo::distributionName("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(SystemInfo::distributionName("NAME=Alpine\nVERSION='3.19'\n"), "Alpine 3.19");
    EXPECT_EQ(SystemInfo::distributionName("# nothing\n"), std::nullopt);
    EXPECT_EQ(SystemInfo::osVersionString("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64"),
              "Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0-18-amd64)");
    EXPECT_EQ(SystemInfo::osVersionString(std::nullopt, "6.1.0"), "Kernel 6.1.0");
}

TEST(SystemInfoTests, MemoryTextUsesMultiplesOf1024) {
    const std::pair<std::uint64_t, std::string_view> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {512, "512 bytes"},
        {1536, "2 KB"},
        {512ull << 20, "512 MB"},
        {1536ull << 20, "1.5 GB"},
        {16ull << 30, "16 GB"},
        {(31ull << 30) + (280ull << 20), "31.27 GB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(SystemInfo::formatMemoryByteCount(bytes), text) << bytes;
}

TEST(SystemInfoTests, SummaryShape) {
    SystemInfo::HostFacts facts;
    facts.osVersion = "Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0)";
    facts.architecture = "x86_64";
    facts.chip = "UnknownChip";
    facts.activeProcessorCount = 6;
    facts.processorCount = 8;
    facts.physicalMemory = 16ull << 30;
    EXPECT_EQ(SystemInfo::formatSummary(facts),
              "Linux Debian GNU/Linux 12 (bookworm) (Kernel 6.1.0), arch=x86_64, chip=UnknownChip, cores=6/8, "
              "mem=16 GB, rosetta=false");

    const auto live = SystemInfo::summary();
    EXPECT_TRUE(live.starts_with("Linux ")) << live;
    EXPECT_TRUE(live.ends_with(", rosetta=false")) << live;
    EXPECT_NE(live.find(", chip="), std::string::npos);
}

TEST(SystemInfoTests, ReporterLogsOnceAcrossConcurrentCallers) {
    platform::ScopedLogCapture capture;
    SystemInfoReporter reporter;
    const AppLogger first("AsrModels");
    const AppLogger second("DownloadUtils");
    std::thread a([&] { reporter.logIfNeeded(first); });
    std::thread b([&] { reporter.logIfNeeded(second); });
    a.join();
    b.join();
    reporter.logIfNeeded(first);

    const auto records = capture.sink().records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].message.starts_with("Host environment: Linux "));
    EXPECT_EQ(records[0].level, platform::LogLevel::info);
}

} // namespace
} // namespace razeziruzer
