// Our runtime against ONNX Runtime on one conformer encoder and one input.
// This program writes the encoder (our bundle, and the same weights raw for
// the other side), times our predictions, compares outputs, and prints the
// table; bench/onnx-peer/run drives it together with the other side's script.
//
//   write   --out DIR --blocks 6 --seconds 10,60 --precision fp32 [--raw]
//   measure --dir DIR --seconds 10 --threads 1 --runs 5
//   table   DIR...
//
// For one thread, run `measure` under `taskset -c 0` with OSTREL_MODEL_THREADS=1.

#include "bench/PlatformModelRuntime/EncoderBundles.hpp"
#include "bench/PlatformModelRuntime/PeerMeasurement.hpp"

#include <sched.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace runtimebench;

// "--key value" pairs and bare "--flag"s; positional words after the mode in "".
struct Arguments {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;

    Arguments(int argc, char** argv) {
        for (int i = 2; i < argc; ++i) {
            const std::string word = argv[i];
            if (!word.starts_with("--")) {
                positional.push_back(word);
            } else if (i + 1 < argc && !std::string(argv[i + 1]).starts_with("--")) {
                options[word.substr(2)] = argv[++i];
            } else {
                options[word.substr(2)] = "";
            }
        }
    }

    std::string text(const std::string& key, const std::string& fallback = {}) const {
        const auto found = options.find(key);
        if (found != options.end()) {
            return found->second;
        }
        if (fallback.empty()) {
            throw std::invalid_argument("--" + key + " is required");
        }
        return fallback;
    }
    int number(const std::string& key, const std::string& fallback = {}) const { return std::stoi(text(key, fallback)); }
    bool has(const std::string& key) const { return options.contains(key); }
};

std::vector<int> numberList(const std::string& text) {
    std::vector<int> values;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        values.push_back(std::stoi(item));
    }
    return values;
}

int write(const Arguments& args) {
    EncoderBundleRequest request;
    request.size.blocks = args.number("blocks", "6");
    request.precision = weightPrecisionFromName(args.text("precision", "fp32"));
    request.seconds = numberList(args.text("seconds", "10"));
    request.rawWeights = args.has("raw");
    writeEncoderBundles(args.text("out"), request);
    return 0;
}

int measure(const Arguments& args) {
    const auto threads = args.number("threads");
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) != threads) {
        std::cerr << "note: " << threads << " thread(s) asked for, but this process may run on " << CPU_COUNT(&allowed)
                  << " cores (use taskset)" << std::endl;
    }
    const std::filesystem::path folder = args.text("dir");
    const auto m = measureAgainstPeer(folder, args.number("seconds"), threads, args.number("runs", "5"));
    saveMeasurement(folder, m);
    std::cout << m.blocks << " blocks, " << m.seconds << " s, " << m.threads << " thread(s): ours " << m.oursMs << " ms, peer "
              << m.peerMs << " ms, max diff " << m.maxDifference << std::endl;
    return 0;
}

int table(const Arguments& args) {
    std::vector<std::filesystem::path> folders(args.positional.begin(), args.positional.end());
    std::printf("ratio = ours / peer (above 1: ours is slower); max diff = largest |ours - peer| over the output\n");
    std::printf("| blocks | seconds | threads | weights | ours ms | peer ms | ratio | max diff | max |peer| |\n");
    std::printf("|-------:|--------:|--------:|:-------:|--------:|--------:|------:|---------:|-----------:|\n");
    for (const auto& m : loadMeasurements(folders)) {
        std::printf("| %6d | %7d | %7d | %7s | %7.1f | %7.1f | %5.2f | %8.2e | %10.3f |\n", m.blocks, m.seconds, m.threads,
                    m.precision.c_str(), m.oursMs, m.peerMs, m.oursMs / m.peerMs, m.maxDifference, m.largestOutput);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        const Arguments args(argc, argv);
        if (mode == "write") {
            return write(args);
        }
        if (mode == "measure") {
            return measure(args);
        }
        if (mode == "table") {
            return table(args);
        }
        std::cerr << "usage: " << argv[0] << " write|measure|table ... (see the head of ConformerEncoderPeer.cpp)" << std::endl;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << mode << ": " << error.what() << std::endl;
        return 1;
    }
}
