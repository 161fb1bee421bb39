// The package's file conversion beside the sox program doing the same work
// on the same file in the same run: a 2-minute 44.1 kHz stereo file to 16 kHz
// mono float at sox's very high quality ("rate -v"), sox timed as a whole
// process. Reports both times per file and their ratio (ours / sox); below 1
// means the package is the faster. Needs the Debian package sox.

#include "RazeziRuzer/Shared/AudioConverter.hpp"

#include "bench/RazeziRuzer/StereoWavFile.hpp"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Wall and processor seconds of one piece of work.
struct Cost {
    double wall = 0;
    double cpu = 0;

    Cost& operator+=(const Cost& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; }

double childrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double threadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs sox with its terminal output discarded, adding its wall and processor
// time to `cost`; false when it cannot be started or fails.
bool runSox(const std::vector<std::string>& arguments, Cost& cost) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const double cpuBefore = childrenCpuSeconds();
    const auto wallBefore = Clock::now();
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    cost.wall += std::chrono::duration<double>(Clock::now() - wallBefore).count();
    cost.cpu += childrenCpuSeconds() - cpuBefore;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ConvertFileBesideSox(benchmark::State& state) {
    constexpr double audioSeconds = 120;
    const razaudiobench::StereoWavFile file(audioSeconds);
    const auto soxOutput = std::filesystem::path(file.path()).replace_extension(".sox.wav");
    const std::vector<std::string> sox{"sox",  file.path().string(), "-r", "16000", "-c",  "1",
                                       "-e",   "floating-point",     "-b", "32",    soxOutput.string(), "rate", "-v"};
    const razeziruzer::AudioConverter converter;
    Cost ours;
    Cost theirs;
    for (auto _ : state) {
        const auto wallBefore = Clock::now();
        const double cpuBefore = threadCpuSeconds();
        benchmark::DoNotOptimize(converter.resampleAudioFile(file.path()));
        ours += {std::chrono::duration<double>(Clock::now() - wallBefore).count(), threadCpuSeconds() - cpuBefore};
        if (!runSox(sox, theirs)) {
            state.SkipWithError("sox could not convert the file (is the Debian package sox installed?)");
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(soxOutput, ignored);
    const auto runs = static_cast<double>(state.iterations());
    if (runs == 0 || theirs.wall <= 0 || theirs.cpu <= 0) return;
    state.counters["ours_ms"] = 1000 * ours.wall / runs;
    state.counters["sox_ms"] = 1000 * theirs.wall / runs;
    state.counters["ratio"] = ours.wall / theirs.wall;
    state.counters["ours_cpu_ms"] = 1000 * ours.cpu / runs;
    state.counters["sox_cpu_ms"] = 1000 * theirs.cpu / runs;
    state.counters["cpu_ratio"] = ours.cpu / theirs.cpu;
}
BENCHMARK(ConvertFileBesideSox)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace
