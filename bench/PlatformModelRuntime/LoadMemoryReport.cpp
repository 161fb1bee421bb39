// Writes a bundle of 100 million half-precision parameters, loads it in a
// fresh process, runs it once and reports that process's peak resident memory
// beside the size of the weight file.

#include "Platform/CoreML/MLModel.hpp"
#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr std::int64_t width = 1000;
constexpr int layers = 100;

int loadAndReport(const std::filesystem::path& folder) {
    using namespace platform::coreml;
    const auto model = MLModel::load(folder);
    MLMultiArray x({1, width}, MLMultiArrayDataType::float32, 0.5);
    model.prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(x)}}));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << usage.ru_maxrss << std::endl; // KiB
    return 0;
}

std::filesystem::path writeBundle() {
    using runtimebench::fp32Type;
    runtimebench::BenchProgramWriter w;
    std::string previous = "x";
    for (int layer = 0; layer < layers; ++layer) {
        const auto name = "w" + std::to_string(layer);
        w.weight(name, {width, width});
        const auto out = "h" + std::to_string(layer);
        w.line(fp32Type({1, width}) + " " + out + " = linear(weight = " + name + ", x = " + previous + ")[name = string(\"" + out + "\")];");
        previous = out;
    }
    const auto folder = std::filesystem::temp_directory_path() / ("ostrel-memory-bench-" + std::to_string(::getpid())) / "large.mlmodelc";
    w.write(folder, fp32Type({1, width}) + " x", previous);
    return folder;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load") {
        return loadAndReport(argv[2]);
    }
    const auto folder = writeBundle();
    const auto weightBytes = std::filesystem::file_size(folder / "weights" / "weight.bin");
    const auto command = std::string(argv[0]) + " --load " + folder.string();
    FILE* child = ::popen(command.c_str(), "r");
    long peakKiB = 0;
    if (child == nullptr || std::fscanf(child, "%ld", &peakKiB) != 1 || ::pclose(child) != 0) {
        std::cerr << "the loading process failed" << std::endl;
        std::filesystem::remove_all(folder.parent_path());
        return 1;
    }
    std::filesystem::remove_all(folder.parent_path());
    const double peakBytes = static_cast<double>(peakKiB) * 1024.0;
    std::cout << "weight.bin: " << weightBytes / (1024 * 1024) << " MiB, peak resident memory: " << peakKiB / 1024
              << " MiB, ratio: " << peakBytes / static_cast<double>(weightBytes) << std::endl;
    return 0;
}
