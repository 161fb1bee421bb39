// Cost of whole layers run through the program interpreter, beside the bare
// matrix products of the same shapes through OpenBLAS on the same threads:
// the ratio shows what the interpreter adds around the products.

#include "Platform/Accel/Blas.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"
#include "bench/PlatformModelRuntime/ConformerLayers.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

using namespace platform::coreml;
using runtimebench::BenchProgramWriter;
using runtimebench::fp32Type;
using namespace runtimebench;

struct Product {
    std::int64_t m, n, k;
    std::int64_t count; // independent products of this shape (attention heads)
};

double flopsOf(const std::vector<Product>& products) {
    double flops = 0;
    for (const auto& p : products) {
        flops += 2.0 * static_cast<double>(p.m * p.n * p.k) * p.count;
    }
    return flops;
}

// The bare products: row blocks of each product spread over the shared pool,
// each block one single-threaded sgemm.
class BareProducts {
public:
    explicit BareProducts(std::vector<Product> products) : products_(std::move(products)) {
        for (const auto& p : products_) {
            a_.emplace_back(static_cast<std::size_t>(p.m * p.k), 0.01f);
            b_.emplace_back(static_cast<std::size_t>(p.k * p.n), 0.02f);
            c_.emplace_back(static_cast<std::size_t>(p.m * p.n * p.count), 0.0f);
        }
    }

    void run() {
        constexpr std::int64_t rowsPerBlock = 64;
        for (std::size_t i = 0; i < products_.size(); ++i) {
            const auto& p = products_[i];
            const auto blocks = (p.m + rowsPerBlock - 1) / rowsPerBlock;
            platform::coreml::mil::parallelFor(blocks * p.count, 1, [&, i](std::int64_t begin, std::int64_t end) {
                for (auto task = begin; task < end; ++task) {
                    const auto product = task / blocks;
                    const auto row = (task % blocks) * rowsPerBlock;
                    const auto rows = std::min(rowsPerBlock, p.m - row);
                    const auto* a = a_[i].data() + row * p.k;
                    auto* c = c_[i].data() + product * p.m * p.n + row * p.n;
                    platform::accel::sgemm(platform::accel::Transpose::none, platform::accel::Transpose::none,
                                           static_cast<std::size_t>(rows), static_cast<std::size_t>(p.n),
                                           static_cast<std::size_t>(p.k), 1.0f,
                                           {a, static_cast<std::size_t>(rows * p.k)}, b_[i], 0.0f,
                                           {c, static_cast<std::size_t>(rows * p.n)});
                }
            });
        }
    }

private:
    std::vector<Product> products_;
    std::vector<std::vector<float>> a_, b_, c_;
};

std::filesystem::path benchFolder(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("ostrel-runtime-bench-" + std::to_string(::getpid())) / name;
}

void runLayer(benchmark::State& state, const std::filesystem::path& folder, const std::string& inputName,
              const std::vector<std::int64_t>& inputShape, const std::vector<Product>& products) {
    const auto model = MLModel::load(folder);
    MLMultiArray x(inputShape, MLMultiArrayDataType::float32);
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    for (std::int64_t i = 0; i < x.count(); ++i) {
        x[i] = distribution(generator);
    }
    const MLDictionaryFeatureProvider input({{inputName, MLFeatureValue(x)}});
    BareProducts bare(products);
    // The first run of each pays for first-touch page faults; time the steady state.
    model.prediction(input);
    bare.run();
    double runtimeSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(model.prediction(input));
        const auto middle = std::chrono::steady_clock::now();
        bare.run();
        const auto end = std::chrono::steady_clock::now();
        runtimeSeconds += std::chrono::duration<double>(middle - start).count();
        bareSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
    }
    const auto flops = flopsOf(products) * static_cast<double>(state.iterations());
    state.counters["runtime_GFLOPs"] = flops / runtimeSeconds / 1e9;
    state.counters["sgemm_GFLOPs"] = flops / bareSeconds / 1e9;
    state.counters["ratio"] = bareSeconds / runtimeSeconds;
    std::filesystem::remove_all(folder.parent_path());
}

void TransformerEncoderLayer(benchmark::State& state) {
    const ConformerBlockSize size{1500, 512, 8, 2048, 9};
    const auto [frames, width, heads, hidden, kernel] = size;
    const std::vector<std::int64_t> rows{1, frames, width};
    BenchProgramWriter w;
    writeConformerConstants(w, size);
    w.text("exact", "EXACT");
    writeLayerNorm(w, "ln1", "x", rows, width);
    const auto attention = writeSelfAttention(w, "attn", "ln1", size);
    w.line(fp32Type(rows) + " r1 = add(x = x, y = " + attention + ")[name = string(\"r1\")];");
    writeLayerNorm(w, "ln2", "r1", rows, width);
    writeLinear(w, "fc1", "ln2", {1, frames, hidden}, width, hidden);
    w.line(fp32Type({1, frames, hidden}) + " act = gelu(mode = exact, x = fc1)[name = string(\"gelu\")];");
    writeLinear(w, "fc2", "act", rows, hidden, width);
    w.line(fp32Type(rows) + " y = add(x = r1, y = fc2)[name = string(\"r2\")];");
    const auto folder = benchFolder("encoder.mlmodelc");
    w.write(folder, fp32Type(rows) + " x", "y");

    runLayer(state, folder, "x", rows,
             {{frames, width, width, 4}, {frames, hidden, width, 1}, {frames, width, hidden, 1},
              {frames, frames, width / heads, heads}, {frames, width / heads, frames, heads}});
}

void ConformerBlock(benchmark::State& state) {
    const ConformerBlockSize size{125, 1024, 8, 4096, 9};
    const auto [frames, width, heads, hidden, kernel] = size;
    BenchProgramWriter w;
    writeConformerConstants(w, size);
    const auto output = writeConformerBlock(w, "", "x", size);
    const auto folder = benchFolder("conformer.mlmodelc");
    w.write(folder, fp32Type({1, frames, width}) + " x", output);

    runLayer(state, folder, "x", {1, frames, width},
             {{frames, hidden, width, 2}, {frames, width, hidden, 2}, {frames, width, width, 4},
              {frames, frames, width / heads, heads}, {frames, width / heads, frames, heads},
              {frames, 2 * width, width, 1}, {frames, width, width, 1}});
}

} // namespace

BENCHMARK(TransformerEncoderLayer)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ConformerBlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
