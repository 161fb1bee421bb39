// Peak resident memory of loading a bundle and running it once, each bundle in
// a fresh process, beside the size of its weight file.
//
//   PlatformModelRuntimeMemory                   a bundle of 100 million half-precision parameters
//   PlatformModelRuntimeMemory --bundles B...    the given bundles (inputs filled from their descriptions)

#include "Platform/CoreML/MLModel.hpp"
#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child side: prints the peak after loading and the peak after one prediction, in KiB.
int loadAndReport(const std::filesystem::path& folder) {
    using namespace platform::coreml;
    const auto model = MLModel::load(folder);
    const auto afterLoad = peakKiB();
    std::map<std::string, MLFeatureValue> features;
    std::mt19937 generator(7);
    std::normal_distribution<float> distribution(0.0f, 1.0f);
    for (const auto& [name, description] : model.modelDescription().inputDescriptionsByName) {
        MLMultiArray x(description.multiArrayConstraint->shape, MLMultiArrayDataType::float32);
        auto* values = x.dataPointer<float>();
        for (std::int64_t i = 0; i < x.count(); ++i) {
            values[i] = distribution(generator);
        }
        features.emplace(name, MLFeatureValue(x));
    }
    model.prediction(MLDictionaryFeatureProvider(features));
    std::cout << afterLoad << " " << peakKiB() << std::endl;
    return 0;
}

std::filesystem::path writeLargeBundle(const std::filesystem::path& folder) {
    constexpr std::int64_t width = 1000;
    constexpr int layers = 100;
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
    w.write(folder, fp32Type({1, width}) + " x", previous);
    return folder;
}

struct Peaks {
    long afterLoadKiB = 0;
    long afterPredictionKiB = 0;
};

// Runs this program again on one bundle; false when that process failed.
bool measureInFreshProcess(const std::string& self, const std::filesystem::path& bundle, Peaks& peaks) {
    const auto command = self + " --load '" + bundle.string() + "'";
    FILE* child = ::popen(command.c_str(), "r");
    if (child == nullptr) {
        return false;
    }
    const auto read = std::fscanf(child, "%ld %ld", &peaks.afterLoadKiB, &peaks.afterPredictionKiB);
    return ::pclose(child) == 0 && read == 2;
}

std::string label(const std::filesystem::path& bundle) {
    return (bundle.parent_path().filename() / bundle.filename()).string();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load") {
        return loadAndReport(argv[2]);
    }
    std::vector<std::filesystem::path> bundles;
    std::filesystem::path scratch;
    if (argc > 2 && std::string(argv[1]) == "--bundles") {
        bundles.assign(argv + 2, argv + argc);
    } else {
        scratch = std::filesystem::temp_directory_path() / ("ostrel-memory-bench-" + std::to_string(::getpid()));
        bundles.push_back(writeLargeBundle(scratch / "large.mlmodelc"));
    }
    std::printf("| bundle | weight.bin MiB | peak after load MiB | peak after prediction MiB | peak / weight.bin |\n");
    std::printf("|:-------|---------------:|--------------------:|--------------------------:|------------------:|\n");
    int status = 0;
    for (const auto& bundle : bundles) {
        const auto weightBytes = std::filesystem::file_size(bundle / "weights" / "weight.bin");
        Peaks peaks;
        if (!measureInFreshProcess(argv[0], bundle, peaks)) {
            std::cerr << "the loading process failed for " << bundle << std::endl;
            status = 1;
            continue;
        }
        const auto mib = [](double bytes) { return bytes / (1024.0 * 1024.0); };
        std::printf("| %s | %.0f | %.0f | %.0f | %.2f |\n", label(bundle).c_str(), mib(static_cast<double>(weightBytes)),
                    mib(peaks.afterLoadKiB * 1024.0), mib(peaks.afterPredictionKiB * 1024.0),
                    peaks.afterPredictionKiB * 1024.0 / static_cast<double>(weightBytes));
    }
    if (!scratch.empty()) {
        std::filesystem::remove_all(scratch);
    }
    return status;
}
