// Cost of whole layers run through the program interpreter, beside the bare
// matrix products of the same shapes through OpenBLAS on the same threads:
// the ratio shows what the interpreter adds around the products.

#include "Platform/Accel/Blas.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "bench/PlatformModelRuntime/BenchProgramWriter.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

using namespace platform::coreml;
using runtimebench::BenchProgramWriter;
using runtimebench::fp32Type;

struct Product {
    std::int64_t m, n, k;
    int count; // independent products of this shape (attention heads)
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

// layer_norm over the last axis with its own gamma and beta.
std::string layerNorm(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& shape,
                      std::int64_t width) {
    w.weight(p + "_gamma", {width});
    w.weight(p + "_beta", {width});
    w.line(fp32Type(shape) + " " + p + " = layer_norm(axes = last_axis, beta = " + p + "_beta, epsilon = eps, gamma = " + p +
           "_gamma, x = " + x + ")[name = string(\"" + p + "\")];");
    return p;
}

std::string linear(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& outShape,
                   std::int64_t in, std::int64_t out) {
    w.weight(p + "_w", {out, in});
    w.weight(p + "_b", {out});
    w.line(fp32Type(outShape) + " " + p + " = linear(bias = " + p + "_b, weight = " + p + "_w, x = " + x + ")[name = string(\"" + p + "\")];");
    return p;
}

// Self-attention with its projections; returns the projected output.
std::string selfAttention(BenchProgramWriter& w, const std::string& p, const std::string& x, std::int64_t frames,
                          std::int64_t width, std::int64_t heads) {
    const std::vector<std::int64_t> rows{1, frames, width};
    const std::vector<std::int64_t> split{1, frames, heads, width / heads};
    const std::vector<std::int64_t> perHead{1, heads, frames, width / heads};
    w.ints(p + "_split", split);
    w.ints(p + "_merge", rows);
    for (const std::string part : {"q", "k", "v"}) {
        linear(w, p + "_" + part, x, rows, width, width);
        w.line(fp32Type(split) + " " + p + "_" + part + "_s = reshape(shape = " + p + "_split, x = " + p + "_" + part + ")[name = string(\"" + p + part + "s\")];");
        w.line(fp32Type(perHead) + " " + p + "_" + part + "_h = transpose(perm = head_perm, x = " + p + "_" + part + "_s)[name = string(\"" + p + part + "h\")];");
    }
    w.line(fp32Type(perHead) + " " + p + "_att = scaled_dot_product_attention(key = " + p + "_k_h, query = " + p + "_q_h, value = " + p +
           "_v_h)[name = string(\"" + p + "att\")];");
    w.line(fp32Type(split) + " " + p + "_back = transpose(perm = head_perm, x = " + p + "_att)[name = string(\"" + p + "back\")];");
    w.line(fp32Type(rows) + " " + p + "_merged = reshape(shape = " + p + "_merge, x = " + p + "_back)[name = string(\"" + p + "merged\")];");
    return linear(w, p + "_o", p + "_merged", rows, width, width);
}

void commonConstants(BenchProgramWriter& w) {
    w.ints("last_axis", {-1});
    w.number("eps", 1e-5);
    w.ints("head_perm", {0, 2, 1, 3});
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
    constexpr std::int64_t frames = 1500, width = 512, heads = 8, hidden = 2048;
    const std::vector<std::int64_t> rows{1, frames, width};
    BenchProgramWriter w;
    commonConstants(w);
    w.text("exact", "EXACT");
    layerNorm(w, "ln1", "x", rows, width);
    const auto attention = selfAttention(w, "attn", "ln1", frames, width, heads);
    w.line(fp32Type(rows) + " r1 = add(x = x, y = " + attention + ")[name = string(\"r1\")];");
    layerNorm(w, "ln2", "r1", rows, width);
    linear(w, "fc1", "ln2", {1, frames, hidden}, width, hidden);
    w.line(fp32Type({1, frames, hidden}) + " act = gelu(mode = exact, x = fc1)[name = string(\"gelu\")];");
    linear(w, "fc2", "act", rows, hidden, width);
    w.line(fp32Type(rows) + " y = add(x = r1, y = fc2)[name = string(\"r2\")];");
    const auto folder = benchFolder("encoder.mlmodelc");
    w.write(folder, fp32Type(rows) + " x", "y");

    runLayer(state, folder, "x", rows,
             {{frames, width, width, 4}, {frames, hidden, width, 1}, {frames, width, hidden, 1},
              {frames, frames, width / heads, heads}, {frames, width / heads, frames, heads}});
}

void ConformerBlock(benchmark::State& state) {
    constexpr std::int64_t frames = 125, width = 1024, heads = 8, hidden = 4096, kernel = 9;
    const std::vector<std::int64_t> rows{1, frames, width};
    const std::vector<std::int64_t> channels{1, width, frames};
    BenchProgramWriter w;
    commonConstants(w);
    w.number("half", 0.5);
    w.ints("to_channels", {0, 2, 1});
    w.ints("one", {1});
    w.ints("no_pad", {0, 0});
    w.integer("single", 1);
    w.integer("depthwise", width);
    w.integer("channel_axis", 1);
    w.integer("two", 2);
    w.text("valid", "valid");
    w.text("same", "same");
    std::string x = "x";
    const auto feedForward = [&](const std::string& p) {
        layerNorm(w, p + "_ln", x, rows, width);
        linear(w, p + "_up", p + "_ln", {1, frames, hidden}, width, hidden);
        w.line(fp32Type({1, frames, hidden}) + " " + p + "_act = silu(x = " + p + "_up)[name = string(\"" + p + "act\")];");
        linear(w, p + "_down", p + "_act", rows, hidden, width);
        w.line(fp32Type(rows) + " " + p + "_half = mul(x = " + p + "_down, y = half)[name = string(\"" + p + "half\")];");
        w.line(fp32Type(rows) + " " + p + "_out = add(x = " + x + ", y = " + p + "_half)[name = string(\"" + p + "out\")];");
        x = p + "_out";
    };
    feedForward("ff1");
    layerNorm(w, "mhsa_ln", x, rows, width);
    const auto attention = selfAttention(w, "mhsa", "mhsa_ln", frames, width, heads);
    w.line(fp32Type(rows) + " after_attention = add(x = " + x + ", y = " + attention + ")[name = string(\"after_attention\")];");
    x = "after_attention";
    layerNorm(w, "conv_ln", x, rows, width);
    w.line(fp32Type(channels) + " conv_in = transpose(perm = to_channels, x = conv_ln)[name = string(\"conv_in\")];");
    w.weight("pw1_w", {2 * width, width, 1});
    w.line(fp32Type({1, 2 * width, frames}) + " pw1 = conv(dilations = one, groups = single, pad = no_pad, pad_type = valid, strides = one, "
                                              "weight = pw1_w, x = conv_in)[name = string(\"pw1\")];");
    w.line(fp32Type(channels) + " glu_a, " + fp32Type(channels) + " glu_b = split(axis = channel_axis, num_splits = two, x = pw1)[name = string(\"glu\")];");
    w.line(fp32Type(channels) + " glu_gate = sigmoid(x = glu_b)[name = string(\"glu_gate\")];");
    w.line(fp32Type(channels) + " glu = mul(x = glu_a, y = glu_gate)[name = string(\"glu_out\")];");
    w.weight("dw_w", {width, 1, kernel});
    w.line(fp32Type(channels) + " dw = conv(dilations = one, groups = depthwise, pad = no_pad, pad_type = same, strides = one, "
                                "weight = dw_w, x = glu)[name = string(\"dw\")];");
    for (const std::string part : {"mean", "variance", "gamma", "beta"}) {
        w.weight("bn_" + part, {width});
    }
    w.line(fp32Type(channels) + " bn = batch_norm(beta = bn_beta, epsilon = eps, gamma = bn_gamma, mean = bn_mean, variance = bn_variance, x = dw)[name = string(\"bn\")];");
    w.line(fp32Type(channels) + " bn_act = silu(x = bn)[name = string(\"bn_act\")];");
    w.weight("pw2_w", {width, width, 1});
    w.line(fp32Type(channels) + " pw2 = conv(dilations = one, groups = single, pad = no_pad, pad_type = valid, strides = one, "
                                "weight = pw2_w, x = bn_act)[name = string(\"pw2\")];");
    w.line(fp32Type(rows) + " conv_out = transpose(perm = to_channels, x = pw2)[name = string(\"conv_out\")];");
    w.line(fp32Type(rows) + " after_conv = add(x = " + x + ", y = conv_out)[name = string(\"after_conv\")];");
    x = "after_conv";
    feedForward("ff2");
    layerNorm(w, "final_ln", x, rows, width);
    const auto folder = benchFolder("conformer.mlmodelc");
    w.write(folder, fp32Type(rows) + " x", "final_ln");

    runLayer(state, folder, "x", rows,
             {{frames, hidden, width, 2}, {frames, width, hidden, 2}, {frames, width, width, 4},
              {frames, frames, width / heads, heads}, {frames, width / heads, frames, heads},
              {frames, 2 * width, width, 1}, {frames, width, width, 1}});
}

} // namespace

BENCHMARK(TransformerEncoderLayer)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ConformerBlock)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
