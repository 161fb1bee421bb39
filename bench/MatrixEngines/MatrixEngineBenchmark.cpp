// Which engine should compute the runtime's matrix products? Every engine runs
// the products of a 1024-wide conformer speech encoder (fp32, row-major) on
// the calling thread alone and on all cores:
//
//   current_openblas_tiles  the runtime's scheme: single-threaded OpenBLAS
//                           tiles over the shared pool (mil::multiply)
//   openblas_threads        one cblas_sgemm per product, OpenBLAS's own threads
//   openblas_sgemv_tiles    single-row products only: cblas_sgemv on column
//                           slices over the shared pool
//   blis_threads            bli_sgemm_ex with a runtime object asking for n threads (OpenMP)
//   blis_tiles              single-threaded BLIS tiles over the shared pool
//   onednn_sgemm            dnnl_sgemm, OpenMP threads of the calling thread
//   onednn_sgemm_tiles      dnnl_sgemm tiles over the shared pool, each worker
//                           limited to one OpenMP thread
//   onednn_sgemm_nested     the same tiles with workers left at the default
//                           OpenMP team size: what happens without the limit
//   onednn_matmul           the matmul primitive built once; constant weights in
//                           the layout it prefers (format_tag::any, reordered once)
//   onednn_matmul_tiles     one single-threaded matmul primitive per tile over the
//                           shared pool, each with its own scratchpad
//   libxsmm_tiles           libxsmm JIT kernels on blocks of each tile, weights
//                           packed once into column panels
//
// pool_dispatch times the shared pool alone: `tasks` tasks of a fixed spin each.
//
// Each benchmark reports GFLOP/s and, as its label, the kernel that ran. The
// context lines name the kernels each library picked for this processor. Run
// engines against each other in one process with repetitions and random
// interleaving, so that load from elsewhere hits all of them alike:
//
//   MatrixEngineBench --benchmark_repetitions=3 --benchmark_enable_random_interleaving=true
//
// onednn_sgemm_nested leaves an idle OpenMP team behind on every pool worker,
// and every later OpenMP engine in the process runs about 3x slower (most likely
// because libgomp stops spinning at its barriers once it manages more threads
// than there are cores). Run it in a process of its own (--benchmark_filter=nested).
//
// A library whose threads spin after a call (OpenBLAS, OpenMP) steals cores from
// whatever runs next, so a benchmark that follows another threading runtime's
// waits for those threads to go to sleep first.

#include "Platform/Accel/Blas.hpp"
#include "Platform/Concurrency/ThreadPool.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <benchmark/benchmark.h>
#include <cblas.h>
#include <libxsmm.h>
#include <oneapi/dnnl/dnnl.hpp>
#include <omp.h>
// blis.h defines many inline helpers that ignore some of their parameters.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wtype-limits"
#include MATRIX_ENGINES_BLIS_HEADER
#pragma GCC diagnostic pop

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

namespace mil = platform::coreml::mil;
using platform::accel::Transpose;

// ---------------------------------------------------------------------------
// Problems

// nt: C = A·Bᵀ with B stored [N, K], as a linear layer holds its weight.
// nn: C = A·B with B stored [K, N].
enum class Layout { nt, nn };

struct Problem {
    std::string name;
    std::int64_t m = 0, n = 0, k = 0;
    std::int64_t batch = 1;
    Layout layout = Layout::nt;
    // A weight: an engine may repack it once, as a runtime would at load.
    bool constantB = true;

    double flops() const { return 2.0 * double(m) * double(n) * double(k) * double(batch); }
};

std::vector<Problem> makeProblems() {
    std::vector<Problem> problems;
    const auto both = [&](const std::string& name, std::int64_t m, std::int64_t n, std::int64_t k,
                          std::int64_t batch, bool constantB) {
        problems.push_back({name + "_nt", m, n, k, batch, Layout::nt, constantB});
        problems.push_back({name + "_nn", m, n, k, batch, Layout::nn, constantB});
    };
    // Frames of 10 s and 60 s of audio after the encoder's subsampling.
    for (const std::int64_t frames : {125, 750}) {
        const auto suffix = "_M" + std::to_string(frames);
        both("ff_up" + suffix, frames, 4096, 1024, 1, true);
        both("ff_down" + suffix, frames, 1024, 4096, 1, true);
        both("attn_proj" + suffix, frames, 1024, 1024, 1, true);
        both("pw_conv" + suffix, frames, 2048, 1024, 1, true);
        // Eight heads of 128: scores Q·Kᵀ, then the weighted values P·V.
        both("attn_scores" + suffix, frames, frames, 128, 8, false);
        both("attn_values" + suffix, frames, 128, frames, 8, false);
    }
    // One step of the joint network: memory-bound, one row.
    both("joint_m1", 1, 6144, 1024, 1, true);
    return problems;
}

const std::vector<Problem>& problems() {
    static const auto all = makeProblems();
    return all;
}

// Operands of every product of a problem, with the answer to check engines against.
struct Workload {
    Problem p;
    std::vector<float> a, b, c, expected;

    const float* aOf(std::int64_t i) const { return a.data() + i * p.m * p.k; }
    const float* bOf(std::int64_t i) const { return b.data() + i * p.n * p.k; }
    float* cOf(std::int64_t i) { return c.data() + i * p.m * p.n; }
    std::int64_t ldb() const { return p.layout == Layout::nt ? p.k : p.n; }
    // op(B)'s element (row r of K, column j of N).
    float bAt(std::int64_t i, std::int64_t r, std::int64_t j) const {
        return p.layout == Layout::nt ? bOf(i)[j * p.k + r] : bOf(i)[r * p.n + j];
    }
};

std::vector<float> noise(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(-1.0f, 1.0f);
    std::vector<float> values(count);
    for (auto& value : values) value = distribution(generator);
    return values;
}

Workload& workload(std::size_t index) {
    static std::map<std::size_t, std::unique_ptr<Workload>> cache;
    auto& slot = cache[index];
    if (!slot) {
        slot = std::make_unique<Workload>();
        auto& w = *slot;
        w.p = problems()[index];
        const auto& p = w.p;
        w.a = noise(std::size_t(p.batch * p.m * p.k), 1);
        w.b = noise(std::size_t(p.batch * p.n * p.k), 2);
        w.c.assign(std::size_t(p.batch * p.m * p.n), 0.0f);
        w.expected.assign(w.c.size(), 0.0f);
        openblas_set_num_threads(int(std::thread::hardware_concurrency()));
        for (std::int64_t i = 0; i < p.batch; ++i) {
            cblas_sgemm(CblasRowMajor, CblasNoTrans, p.layout == Layout::nt ? CblasTrans : CblasNoTrans, int(p.m),
                        int(p.n), int(p.k), 1.0f, w.aOf(i), int(p.k), w.bOf(i), int(w.ldb()), 0.0f,
                        w.expected.data() + i * p.m * p.n, int(p.n));
        }
    }
    return *slot;
}

// Largest difference from the reference, relative to the reference's largest value.
double relativeError(const Workload& w) {
    double worst = 0.0, scale = 0.0;
    for (std::size_t i = 0; i < w.c.size(); ++i) {
        const double difference = std::fabs(double(w.c[i]) - double(w.expected[i]));
        worst = std::isnan(difference) ? std::numeric_limits<double>::infinity() : std::max(worst, difference);
        scale = std::max(scale, std::fabs(double(w.expected[i])));
    }
    return worst / std::max(scale, 1e-30);
}

// ---------------------------------------------------------------------------
// Tiles over the shared pool

struct Tile {
    std::int64_t product, m0, m1, n0, n1;
};

// Columns are cut on multiples of this many, so tiles start on whole vectors.
constexpr std::int64_t columnAlignment = 16;
// Tiles thinner than this lose more to packing than they gain.
constexpr std::int64_t minimumTileSide = 16;

// Cuts each product into workers / batch tiles (at least one), choosing the
// rows x columns grid that moves the fewest operand elements, as the runtime does.
std::vector<Tile> planTiles(const Problem& p, std::int64_t workers) {
    const auto parts = std::max<std::int64_t>(1, workers / p.batch);
    std::int64_t rows = 1, columns = 1;
    auto bestCost = std::numeric_limits<double>::max();
    for (std::int64_t r = 1; r <= parts; ++r) {
        if (parts % r != 0) continue;
        const auto c = parts / r;
        if ((r > 1 && p.m / r < minimumTileSide) || (c > 1 && p.n / c < minimumTileSide)) continue;
        const auto cost = double(p.k) * double(p.m * c + p.n * r);
        if (cost < bestCost) {
            bestCost = cost;
            rows = r;
            columns = c;
        }
    }
    const auto columnEdge = [&](std::int64_t c) {
        if (c == columns) return p.n;
        return p.n * c / columns / columnAlignment * columnAlignment;
    };
    std::vector<Tile> tiles;
    for (std::int64_t i = 0; i < p.batch; ++i) {
        for (std::int64_t r = 0; r < rows; ++r) {
            for (std::int64_t c = 0; c < columns; ++c) {
                const Tile tile{i, p.m * r / rows, p.m * (r + 1) / rows, columnEdge(c), columnEdge(c + 1)};
                if (tile.m1 > tile.m0 && tile.n1 > tile.n0) tiles.push_back(tile);
            }
        }
    }
    return tiles;
}

void runTiles(const std::vector<Tile>& tiles, int threads, const std::function<void(const Tile&)>& body) {
    if (threads == 1) {
        for (const auto& tile : tiles) body(tile);
        return;
    }
    mil::parallelFor(std::int64_t(tiles.size()), 1, [&](std::int64_t begin, std::int64_t end) {
        for (auto t = begin; t < end; ++t) body(tiles[std::size_t(t)]);
    });
}

// ---------------------------------------------------------------------------
// Engines

enum class Engine {
    currentOpenblasTiles,
    openblasThreads,
    openblasSgemvTiles,
    blisThreads,
    blisTiles,
    onednnSgemm,
    onednnSgemmTiles,
    onednnSgemmNested,
    onednnMatmul,
    onednnMatmulTiles,
    libxsmmTiles,
};

// Whose threads a benchmark runs on; used to let another runtime's threads go idle.
enum class Threading { caller, pool, openblas, openmp, openmpPerWorker };

struct EngineInfo {
    Engine id;
    const char* name;
    Threading threading;
    bool onOneThread; // also measured on the calling thread alone
    bool rowOnly;     // only for products whose A is one row
};

constexpr EngineInfo engines[] = {
    {Engine::currentOpenblasTiles, "current_openblas_tiles", Threading::pool, true, false},
    {Engine::openblasThreads, "openblas_threads", Threading::openblas, false, false},
    {Engine::openblasSgemvTiles, "openblas_sgemv_tiles", Threading::pool, true, true},
    {Engine::blisThreads, "blis_threads", Threading::openmp, true, false},
    {Engine::blisTiles, "blis_tiles", Threading::pool, false, false},
    {Engine::onednnSgemm, "onednn_sgemm", Threading::openmp, true, false},
    {Engine::onednnSgemmTiles, "onednn_sgemm_tiles", Threading::pool, false, false},
    {Engine::onednnSgemmNested, "onednn_sgemm_nested", Threading::openmpPerWorker, false, false},
    {Engine::onednnMatmul, "onednn_matmul", Threading::openmp, true, false},
    {Engine::onednnMatmulTiles, "onednn_matmul_tiles", Threading::pool, false, false},
    {Engine::libxsmmTiles, "libxsmm_tiles", Threading::pool, true, false},
};

struct Prepared {
    std::function<void()> run;
    std::string kernel;
    std::string unsupported;
};

std::string openblasKernel() { return std::string("OpenBLAS ") + openblas_get_corename(); }

std::string blisKernel() { return std::string("BLIS ") + bli_arch_string(bli_arch_query_id()); }

const char* onednnIsa() {
    switch (dnnl::get_effective_cpu_isa()) {
    case dnnl::cpu_isa::sse41: return "sse41";
    case dnnl::cpu_isa::avx: return "avx";
    case dnnl::cpu_isa::avx2: return "avx2";
    case dnnl::cpu_isa::avx512_core: return "avx512_core";
    case dnnl::cpu_isa::avx512_core_vnni: return "avx512_core_vnni";
    case dnnl::cpu_isa::avx512_core_bf16: return "avx512_core_bf16";
    case dnnl::cpu_isa::avx512_core_amx: return "avx512_core_amx";
    default: return "other";
    }
}

// --- OpenBLAS

Prepared currentOpenblasTiles(Workload& w, int threads) {
    const auto& p = w.p;
    openblas_set_num_threads(1);
    const mil::ProductShape shape{p.m, p.n, p.k, Transpose::none,
                                  p.layout == Layout::nt ? Transpose::transposed : Transpose::none};
    std::vector<mil::ProductOperands> products;
    for (std::int64_t i = 0; i < p.batch; ++i) products.push_back({w.aOf(i), w.bOf(i), w.cOf(i), nullptr, nullptr});
    return {[shape, products, threads] {
                if (threads == 1) {
                    for (const auto& product : products) mil::multiplyOnCaller(shape, product);
                } else {
                    mil::multiply(shape, products);
                }
            },
            openblasKernel(), {}};
}

Prepared openblasThreads(Workload& w, int threads) {
    openblas_set_num_threads(threads);
    return {[&w] {
                const auto& p = w.p;
                for (std::int64_t i = 0; i < p.batch; ++i) {
                    cblas_sgemm(CblasRowMajor, CblasNoTrans, p.layout == Layout::nt ? CblasTrans : CblasNoTrans,
                                int(p.m), int(p.n), int(p.k), 1.0f, w.aOf(i), int(p.k), w.bOf(i), int(w.ldb()), 0.0f,
                                w.cOf(i), int(p.n));
                }
            },
            openblasKernel(), {}};
}

// OpenBLAS's gemm packs all of B even for one row of A; its gemv streams B once.
Prepared openblasSgemvTiles(Workload& w, int threads) {
    openblas_set_num_threads(1);
    auto tiles = planTiles(w.p, threads);
    return {[&w, tiles, threads] {
                runTiles(tiles, threads, [&](const Tile& t) {
                    const auto& p = w.p;
                    const auto columns = int(t.n1 - t.n0);
                    if (p.layout == Layout::nt) {
                        cblas_sgemv(CblasRowMajor, CblasNoTrans, columns, int(p.k), 1.0f, w.bOf(t.product) + t.n0 * p.k,
                                    int(p.k), w.aOf(t.product), 1, 0.0f, w.cOf(t.product) + t.n0, 1);
                    } else {
                        cblas_sgemv(CblasRowMajor, CblasTrans, int(p.k), columns, 1.0f, w.bOf(t.product) + t.n0,
                                    int(p.n), w.aOf(t.product), 1, 0.0f, w.cOf(t.product) + t.n0, 1);
                    }
                });
            },
            openblasKernel() + " sgemv x" + std::to_string(tiles.size()) + " tiles", {}};
}

// --- BLIS: strides address op(B) in either layout, so no transposition flag is needed.

void blisTile(Workload& w, const Tile& t, dim_t threads) {
    const auto& p = w.p;
    rntm_t rntm = BLIS_RNTM_INITIALIZER;
    bli_rntm_set_num_threads(threads, &rntm);
    float one = 1.0f, zero = 0.0f;
    const bool nt = p.layout == Layout::nt;
    auto* a = const_cast<float*>(w.aOf(t.product)) + t.m0 * p.k;
    auto* b = const_cast<float*>(w.bOf(t.product)) + (nt ? t.n0 * p.k : t.n0);
    bli_sgemm_ex(BLIS_NO_TRANSPOSE, BLIS_NO_TRANSPOSE, t.m1 - t.m0, t.n1 - t.n0, p.k, &one, a, p.k, 1, b,
                 nt ? 1 : p.n, nt ? p.k : 1, &zero, w.cOf(t.product) + t.m0 * p.n + t.n0, p.n, 1, nullptr, &rntm);
}

Prepared blisThreads(Workload& w, int threads) {
    return {[&w, threads] {
                for (std::int64_t i = 0; i < w.p.batch; ++i) blisTile(w, {i, 0, w.p.m, 0, w.p.n}, threads);
            },
            blisKernel(), {}};
}

Prepared blisTiles(Workload& w, int threads) {
    auto tiles = planTiles(w.p, threads);
    return {[&w, tiles, threads] { runTiles(tiles, threads, [&](const Tile& t) { blisTile(w, t, 1); }); },
            blisKernel() + " x" + std::to_string(tiles.size()) + " tiles", {}};
}

// --- oneDNN sgemm: the OpenMP team size is the calling thread's omp_get_max_threads().

void onednnSgemmTile(Workload& w, const Tile& t) {
    const auto& p = w.p;
    const bool nt = p.layout == Layout::nt;
    const float* b = w.bOf(t.product) + (nt ? t.n0 * p.k : t.n0);
    dnnl_sgemm('N', nt ? 'T' : 'N', t.m1 - t.m0, t.n1 - t.n0, p.k, 1.0f, w.aOf(t.product) + t.m0 * p.k, p.k, b,
               w.ldb(), 0.0f, w.cOf(t.product) + t.m0 * p.n + t.n0, p.n);
}

Prepared onednnSgemm(Workload& w, int threads) {
    omp_set_num_threads(threads);
    return {[&w] {
                for (std::int64_t i = 0; i < w.p.batch; ++i) onednnSgemmTile(w, {i, 0, w.p.m, 0, w.p.n});
            },
            std::string("oneDNN sgemm ") + onednnIsa(), {}};
}

// `perWorkerTeam` is the OpenMP team each worker asks for: 1 keeps oneDNN on
// the worker; the default (all cores) opens a team per worker.
Prepared onednnSgemmTiles(Workload& w, int threads, int perWorkerTeam) {
    auto tiles = planTiles(w.p, threads);
    return {[&w, tiles, threads, perWorkerTeam] {
                runTiles(tiles, threads, [&](const Tile& t) {
                    omp_set_num_threads(perWorkerTeam);
                    onednnSgemmTile(w, t);
                });
            },
            std::string("oneDNN sgemm ") + onednnIsa() + " x" + std::to_string(tiles.size()) + " tiles, team " +
                std::to_string(perWorkerTeam),
            {}};
}

// --- oneDNN matmul primitive

using dnnl::memory;
using Dims = memory::dims;

const dnnl::engine& cpuEngine() {
    static const dnnl::engine engine(dnnl::engine::kind::cpu, 0);
    return engine;
}

// One product (or one tile) ready to execute: primitive, operands, scratchpad.
struct MatmulCall {
    dnnl::matmul primitive;
    dnnl::stream stream;
    std::unordered_map<int, memory> arguments;
    std::shared_ptr<std::vector<float>> packedWeights;
    std::shared_ptr<std::vector<std::uint8_t>> scratchpad;
    std::string implementation;

    void execute() {
        primitive.execute(stream, arguments);
        stream.wait();
    }
};

// A call on the given operand descriptions; the weights are reordered once into
// the layout the primitive prefers when they are constant.
MatmulCall makeMatmul(const memory::desc& source, const float* a, const memory::desc& weights, const float* b,
                      bool constantWeights, const memory::desc& destination, float* c, bool ownScratchpad) {
    const auto& engine = cpuEngine();
    MatmulCall call;
    call.stream = dnnl::stream(engine);
    dnnl::primitive_attr attributes;
    if (ownScratchpad) attributes.set_scratchpad_mode(dnnl::scratchpad_mode::user);
    const auto anyWeights = memory::desc(weights.dims(), memory::data_type::f32, memory::format_tag::any);
    const dnnl::matmul::desc description(source, constantWeights ? anyWeights : weights, destination);
    const dnnl::matmul::primitive_desc primitiveDesc(description, attributes, engine);
    call.primitive = dnnl::matmul(primitiveDesc);
    call.implementation = primitiveDesc.impl_info_str();
    memory userWeights(weights, engine, const_cast<float*>(b));
    memory usedWeights = userWeights;
    if (constantWeights && primitiveDesc.weights_desc() != weights) {
        call.packedWeights = std::make_shared<std::vector<float>>(primitiveDesc.weights_desc().get_size() / sizeof(float) + 16);
        usedWeights = memory(primitiveDesc.weights_desc(), engine, call.packedWeights->data());
        dnnl::reorder(userWeights, usedWeights).execute(call.stream, userWeights, usedWeights);
        call.stream.wait();
        call.implementation += " (weights reordered)";
    }
    call.arguments = {{DNNL_ARG_SRC, memory(source, engine, const_cast<float*>(a))},
                      {DNNL_ARG_WEIGHTS, usedWeights},
                      {DNNL_ARG_DST, memory(destination, engine, c)}};
    if (ownScratchpad) {
        const auto scratch = primitiveDesc.scratchpad_desc();
        call.scratchpad = std::make_shared<std::vector<std::uint8_t>>(scratch.get_size() + 64);
        call.arguments.insert({DNNL_ARG_SCRATCHPAD, memory(scratch, engine, call.scratchpad->data())});
    }
    return call;
}

// `columns` columns of op(B), as they lie in memory.
memory::desc weightsOf(const Problem& p, std::int64_t columns) {
    return p.layout == Layout::nt ? memory::desc({p.k, columns}, memory::data_type::f32, Dims{1, p.k})
                                  : memory::desc({p.k, columns}, memory::data_type::f32, Dims{p.n, 1});
}

Prepared onednnMatmul(Workload& w, int threads) {
    // The team size is read when the primitive is built and when it runs.
    omp_set_num_threads(threads);
    const auto& p = w.p;
    const auto f32 = memory::data_type::f32;
    std::shared_ptr<MatmulCall> call;
    if (p.batch == 1) {
        call = std::make_shared<MatmulCall>(makeMatmul(
            memory::desc({p.m, p.k}, f32, memory::format_tag::ab), w.aOf(0), weightsOf(p, p.n), w.bOf(0),
            p.constantB, memory::desc({p.m, p.n}, f32, memory::format_tag::ab), w.cOf(0), false));
    } else {
        const auto weights = memory::desc({p.batch, p.k, p.n}, f32,
                                          p.layout == Layout::nt ? memory::format_tag::acb : memory::format_tag::abc);
        call = std::make_shared<MatmulCall>(makeMatmul(
            memory::desc({p.batch, p.m, p.k}, f32, memory::format_tag::abc), w.aOf(0), weights, w.bOf(0),
            p.constantB, memory::desc({p.batch, p.m, p.n}, f32, memory::format_tag::abc), w.cOf(0), false));
    }
    return {[call, threads] {
                omp_set_num_threads(threads);
                call->execute();
            },
            "oneDNN matmul " + call->implementation, {}};
}

Prepared onednnMatmulTiles(Workload& w, int threads) {
    const auto& p = w.p;
    const auto f32 = memory::data_type::f32;
    const auto tiles = planTiles(p, threads);
    // Built for one thread: such a primitive runs on the thread that executes it.
    omp_set_num_threads(1);
    auto calls = std::make_shared<std::vector<MatmulCall>>();
    for (const auto& t : tiles) {
        const auto rows = t.m1 - t.m0, columns = t.n1 - t.n0;
        const bool nt = p.layout == Layout::nt;
        calls->push_back(makeMatmul(memory::desc({rows, p.k}, f32, Dims{p.k, 1}), w.aOf(t.product) + t.m0 * p.k,
                                    weightsOf(p, columns), w.bOf(t.product) + (nt ? t.n0 * p.k : t.n0),
                                    p.constantB, memory::desc({rows, columns}, f32, Dims{p.n, 1}),
                                    w.cOf(t.product) + t.m0 * p.n + t.n0, true));
    }
    auto kernel = "oneDNN matmul " + calls->front().implementation + " x" + std::to_string(tiles.size()) + " tiles";
    return {[calls, threads] {
                const auto count = std::int64_t(calls->size());
                const auto body = [&](std::int64_t begin, std::int64_t end) {
                    omp_set_num_threads(1);
                    for (auto i = begin; i < end; ++i) (*calls)[std::size_t(i)].execute();
                };
                if (threads == 1) {
                    body(0, count);
                } else {
                    mil::parallelFor(count, 1, body);
                }
            },
            kernel, {}};
}

// --- libxsmm: column-major kernels. Row-major C = A·B is column-major
// Cᵀ = Bᵀ·Aᵀ, so the kernel's first operand is a slice of B, its second A.

struct XsmmPlan {
    std::int64_t panelWidth = 64; // columns of op(B) per kernel call
    std::int64_t rowBlock = 64;   // rows of A per kernel call
    std::vector<float> panels;    // constant B as [panel][K][panelWidth]
};

void xsmmBlock(std::int64_t width, std::int64_t rows, std::int64_t k, const float* b, libxsmm_blasint ldb,
               const float* a, float* c, libxsmm_blasint ldc, std::int64_t rowBlock) {
    const float alpha = 1.0f, beta = 0.0f;
    const int flags = LIBXSMM_GEMM_FLAG_NONE;
    const libxsmm_blasint lda = libxsmm_blasint(k);
    for (std::int64_t r = 0; r < rows; r += rowBlock) {
        const auto count = std::min(rowBlock, rows - r);
        const auto kernel = libxsmm_smmdispatch(libxsmm_blasint(width), libxsmm_blasint(count), libxsmm_blasint(k),
                                                &ldb, &lda, &ldc, &alpha, &beta, &flags, nullptr);
        if (kernel == nullptr) std::abort();
        kernel(b, a + r * k, c + r * ldc);
    }
}

void xsmmTile(Workload& w, const XsmmPlan& plan, const Tile& t, std::vector<float>& scratch) {
    const auto& p = w.p;
    const float* a = w.aOf(t.product) + t.m0 * p.k;
    float* c = w.cOf(t.product) + t.m0 * p.n;
    const auto rows = t.m1 - t.m0;
    const auto ldc = libxsmm_blasint(p.n);
    if (!plan.panels.empty()) {
        for (auto n = t.n0; n < t.n1;) {
            const auto panel = n / plan.panelWidth, offset = n % plan.panelWidth;
            const auto width = std::min(plan.panelWidth - offset, t.n1 - n);
            xsmmBlock(width, rows, p.k, plan.panels.data() + panel * p.k * plan.panelWidth + offset,
                      libxsmm_blasint(plan.panelWidth), a, c + n, ldc, plan.rowBlock);
            n += width;
        }
        return;
    }
    // A B computed at run time: rows of Bᵀ are transposed into [K, columns] first.
    const float* b = w.bOf(t.product) + t.n0;
    auto ldb = libxsmm_blasint(p.n);
    if (p.layout == Layout::nt) {
        const auto columns = t.n1 - t.n0;
        scratch.resize(std::size_t(p.k * columns));
        const float* source = w.bOf(t.product) + t.n0 * p.k;
        for (std::int64_t j = 0; j < columns; ++j)
            for (std::int64_t r = 0; r < p.k; ++r) scratch[std::size_t(r * columns + j)] = source[j * p.k + r];
        b = scratch.data();
        ldb = libxsmm_blasint(columns);
    }
    for (auto n = t.n0; n < t.n1; n += plan.panelWidth) {
        const auto width = std::min(plan.panelWidth, t.n1 - n);
        xsmmBlock(width, rows, p.k, b + (n - t.n0), ldb, a, c + n, ldc, plan.rowBlock);
    }
}

Prepared libxsmmTiles(Workload& w, int threads) {
    const auto& p = w.p;
    auto plan = std::make_shared<XsmmPlan>();
    // Keep a panel of B within L2 (at most 512 KiB) while the rows of A pass.
    plan->panelWidth = p.k > 2048 ? 32 : 64;
    if (p.constantB) {
        const auto panels = (p.n + plan->panelWidth - 1) / plan->panelWidth;
        plan->panels.assign(std::size_t(panels * p.k * plan->panelWidth), 0.0f);
        for (std::int64_t j = 0; j < p.n; ++j) {
            const auto panel = j / plan->panelWidth, offset = j % plan->panelWidth;
            for (std::int64_t r = 0; r < p.k; ++r)
                plan->panels[std::size_t((panel * p.k + r) * plan->panelWidth + offset)] = w.bAt(0, r, j);
        }
    }
    auto tiles = planTiles(p, threads);
    return {[&w, plan, tiles, threads] {
                runTiles(tiles, threads, [&](const Tile& t) {
                    thread_local std::vector<float> scratch;
                    xsmmTile(w, *plan, t, scratch);
                });
            },
            std::string("libxsmm JIT ") + libxsmm_get_target_arch() + " x" + std::to_string(tiles.size()) + " tiles",
            {}};
}

Prepared prepare(Engine engine, Workload& w, int threads) {
    switch (engine) {
    case Engine::currentOpenblasTiles: return currentOpenblasTiles(w, threads);
    case Engine::openblasThreads: return openblasThreads(w, threads);
    case Engine::openblasSgemvTiles: return openblasSgemvTiles(w, threads);
    case Engine::blisThreads: return blisThreads(w, threads);
    case Engine::blisTiles: return blisTiles(w, threads);
    case Engine::onednnSgemm: return onednnSgemm(w, threads);
    case Engine::onednnSgemmTiles: return onednnSgemmTiles(w, threads, 1);
    case Engine::onednnSgemmNested: return onednnSgemmTiles(w, threads, omp_get_num_procs());
    case Engine::onednnMatmul: return onednnMatmul(w, threads);
    case Engine::onednnMatmulTiles: return onednnMatmulTiles(w, threads);
    case Engine::libxsmmTiles: return libxsmmTiles(w, threads);
    }
    return {};
}

// Waits for the threads of the runtime that ran last to stop spinning
// (OpenBLAS's spin for up to ~2^28 cycles, OpenMP's for a few milliseconds),
// unless this benchmark runs on those same threads.
void settle(Threading now, int threads) {
    static Threading last = Threading::caller;
    static int lastThreads = 1;
    const bool spinning = lastThreads > 1 && (last == Threading::openblas || last == Threading::openmp ||
                                              last == Threading::openmpPerWorker);
    if (spinning && last != now) std::this_thread::sleep_for(std::chrono::milliseconds(150));
    last = now;
    lastThreads = threads;
}

void measure(benchmark::State& state, std::size_t problemIndex, const EngineInfo& engine, int threads) {
    auto& w = workload(problemIndex);
    settle(engine.threading, threads);
    auto prepared = prepare(engine.id, w, threads);
    if (!prepared.unsupported.empty()) {
        state.SkipWithError(prepared.unsupported.c_str());
        return;
    }
    std::fill(w.c.begin(), w.c.end(), std::numeric_limits<float>::quiet_NaN());
    prepared.run();
    if (const auto error = relativeError(w); !(error < 1e-4)) {
        static std::string message;
        message = "wrong result, relative error " + std::to_string(error);
        state.SkipWithError(message.c_str());
        return;
    }
    prepared.run();
    for (auto _ : state) {
        prepared.run();
        benchmark::ClobberMemory();
    }
    state.counters["GFLOP"] = benchmark::Counter(w.p.flops() * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(prepared.kernel);
}

// What handing `tasks` tasks of `micros` microseconds of work each to the shared
// pool costs, against the ideal of one task's time: the floor under every product
// the pool splits. Slow wake-ups show as the caller running queued tasks itself.
void poolDispatch(benchmark::State& state) {
    const auto tasks = state.range(0);
    const auto work = std::chrono::microseconds(state.range(1));
    for (auto _ : state) {
        mil::parallelFor(tasks, 1, [work](std::int64_t, std::int64_t) {
            const auto start = std::chrono::steady_clock::now();
            while (std::chrono::steady_clock::now() - start < work) {
            }
        });
    }
}

// Which library answers cblas_sgemm: OpenBLAS must, though BLIS exports it too.
std::string sgemmProvider() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&cblas_sgemm), &info) == 0 || info.dli_fname == nullptr) return "unknown";
    return info.dli_fname;
}

int registerAll() {
    // The runtime's wrapper sets OpenBLAS to one thread on its first call; make
    // that happen now, before any benchmark sets its own count.
    float one = 1.0f, product = 0.0f;
    platform::accel::sgemm(Transpose::none, Transpose::none, 1, 1, 1, 1.0f, {&one, 1}, {&one, 1}, 0.0f, {&product, 1});
    libxsmm_init();

    const auto provider = sgemmProvider();
    if (provider.find("openblas") == std::string::npos) {
        std::fprintf(stderr, "cblas_sgemm resolves to %s, not OpenBLAS: fix the link order\n", provider.c_str());
        std::exit(1);
    }
    const auto version = dnnl::version();
    benchmark::AddCustomContext("cblas_sgemm", provider);
    benchmark::AddCustomContext("openblas", std::string(openblas_get_config()) + ", core " + openblas_get_corename());
    benchmark::AddCustomContext("blis", blisKernel() + (bli_info_get_enable_openmp() ? ", OpenMP" : ", no OpenMP"));
    benchmark::AddCustomContext("onednn", std::to_string(version->major) + "." + std::to_string(version->minor) + "." +
                                              std::to_string(version->patch) + ", isa " + onednnIsa() +
                                              ", cpu runtime " + (version->cpu_runtime == DNNL_RUNTIME_OMP ? "OpenMP" : "other"));
    benchmark::AddCustomContext("libxsmm", std::string(LIBXSMM_CONFIG_VERSION) + ", target " + libxsmm_get_target_arch());
    benchmark::AddCustomContext("pool_workers", std::to_string(platform::ThreadPool::shared().threadCount()));

    const int allCores = int(std::thread::hardware_concurrency());
    benchmark::RegisterBenchmark("pool_dispatch", poolDispatch)
        ->Args({allCores, 0})
        ->Args({allCores, 50})
        ->Args({allCores, 200})
        ->UseRealTime()->Unit(benchmark::kMicrosecond);
    for (std::size_t index = 0; index < problems().size(); ++index) {
        for (const int threads : {1, allCores}) {
            for (const auto& engine : engines) {
                if (threads == 1 && !engine.onOneThread) continue;
                if (engine.rowOnly && problems()[index].m != 1) continue;
                const auto name = problems()[index].name + "/" + engine.name + "/threads:" + std::to_string(threads);
                benchmark::RegisterBenchmark(name.c_str(),
                                             [index, &engine, threads](benchmark::State& state) {
                                                 measure(state, index, engine, threads);
                                             })
                    ->UseRealTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    return 0;
}

const int registered = registerAll();

} // namespace
