#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"

#include "Platform/Accel/PanelProduct.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <limits>
#include <vector>

namespace platform::coreml::mil {
namespace {

using accel::Transpose;

// Multiply-adds below which a pool task costs more than it saves.
constexpr std::int64_t minimumTaskWork = std::int64_t{1} << 19;
// Tiles narrower than this lose more to packing than they gain in parallelism.
constexpr std::int64_t minimumTileSide = 16;
// Share of the workers' time a task split must keep busy before we stop refining it.
constexpr double wantedBalance = 0.9;

// How many parts a product's rows and columns are cut into.
struct Tiling {
    std::int64_t rows = 1;
    std::int64_t columns = 1;

    std::int64_t count() const { return rows * columns; }
};

struct TileRange {
    std::int64_t m0, m1, n0, n1;
};

// Reusable buffers of one worker for slices that are not contiguous in place.
struct TileScratch {
    std::vector<float> a, b, c;
};

// Each thread keeps its tile buffers from product to product, so slices
// copied for a tile land in pages already faulted in.
TileScratch& threadScratch() {
    thread_local TileScratch scratch;
    return scratch;
}

std::size_t size(std::int64_t value) { return static_cast<std::size_t>(value); }

float* sized(std::vector<float>& buffer, std::int64_t count) {
    buffer.resize(size(count));
    return buffer.data();
}

// Elements moved besides the multiply-adds when a product is cut this way:
// each tile packs its slices of A and B, gathers slices that are strided in
// place, and copies its part of C out when C's rows are cut.
double tilingCost(const ProductShape& shape, Tiling tiling) {
    const bool gatherA = shape.transA == Transpose::transposed && tiling.rows > 1;
    const bool gatherB = shape.transB == Transpose::none && tiling.columns > 1;
    const bool copyC = tiling.columns > 1 && shape.m > 1;
    const auto k = static_cast<double>(shape.k);
    return k * static_cast<double>(shape.m * tiling.columns) * (gatherA ? 2 : 1) +
           k * static_cast<double>(shape.n * tiling.rows) * (gatherB ? 2 : 1) +
           (copyC ? 2.0 * static_cast<double>(shape.m * shape.n) : 0.0);
}

// The cheapest cut into at most `tiles` parts, none thinner than the minimum side.
Tiling chooseTiling(const ProductShape& shape, std::int64_t tiles) {
    const auto maxRows = std::max<std::int64_t>(1, shape.m / minimumTileSide);
    const auto maxColumns = std::max<std::int64_t>(1, shape.n / minimumTileSide);
    for (auto wanted = tiles; wanted > 1; --wanted) {
        Tiling best;
        auto bestCost = std::numeric_limits<double>::max();
        for (std::int64_t rows = 1; rows <= wanted; ++rows) {
            if (wanted % rows != 0) {
                continue;
            }
            const Tiling candidate{rows, wanted / rows};
            if (candidate.rows > maxRows || candidate.columns > maxColumns) {
                continue;
            }
            if (const auto cost = tilingCost(shape, candidate); cost < bestCost) {
                best = candidate;
                bestCost = cost;
            }
        }
        if (best.count() > 1) {
            return best;
        }
    }
    return {};
}

// Share of the workers' time that `tasks` equal tasks keep busy.
double balance(std::int64_t tasks, std::int64_t workers) {
    const auto chunks = std::min(tasks, workers);
    const auto rounds = (tasks + chunks - 1) / chunks;
    return static_cast<double>(tasks) / static_cast<double>(chunks * rounds);
}

// Cuts each product so that all of them together give the workers even shares.
Tiling planTiling(const ProductShape& shape, std::int64_t products, std::int64_t workers, std::int64_t parts) {
    const auto base = std::max<std::int64_t>(1, (parts + products - 1) / products);
    Tiling best = base == 1 ? Tiling{} : chooseTiling(shape, base);
    auto bestBalance = balance(products * best.count(), workers);
    for (auto wanted = base + 1; wanted <= 4 * base && bestBalance < wantedBalance; ++wanted) {
        const auto candidate = chooseTiling(shape, wanted);
        const auto candidateBalance = balance(products * candidate.count(), workers);
        if (candidateBalance > bestBalance + 1e-9) {
            best = candidate;
            bestBalance = candidateBalance;
        }
    }
    return best;
}

void addBiases(const ProductOperands& product, const TileRange& range, float* c, std::int64_t rowStride) {
    if (product.columnBias == nullptr && product.rowBias == nullptr) {
        return;
    }
    for (auto i = range.m0; i < range.m1; ++i) {
        float* row = c + (i - range.m0) * rowStride;
        const auto width = range.n1 - range.n0;
        if (product.columnBias != nullptr) {
            const float* bias = product.columnBias + range.n0;
            for (std::int64_t j = 0; j < width; ++j) {
                row[j] += bias[j];
            }
        }
        if (product.rowBias != nullptr) {
            const float bias = product.rowBias[i];
            for (std::int64_t j = 0; j < width; ++j) {
                row[j] += bias;
            }
        }
    }
}

// op(A) rows [m0, m1) as a contiguous operand with the same transposition.
const float* sliceOfA(const ProductShape& shape, const ProductOperands& product, const TileRange& range,
                      TileScratch& scratch) {
    const auto rows = range.m1 - range.m0;
    const float* a = product.a;
    if (const auto& packed = product.packedA; packed.matrix != nullptr) {
        float* widened = sized(scratch.a, shape.k * rows);
        packed.matrix->widenRows(packed.firstRow + range.m0, rows, widened);
        return widened;
    }
    if (shape.transA == Transpose::none) {
        return a + range.m0 * shape.k;
    }
    if (rows == shape.m) {
        return a;
    }
    float* gathered = sized(scratch.a, shape.k * rows);
    for (std::int64_t inner = 0; inner < shape.k; ++inner) {
        std::copy_n(a + inner * shape.m + range.m0, rows, gathered + inner * rows);
    }
    return gathered;
}

// op(B) columns [n0, n1) as a contiguous operand with the same transposition.
const float* sliceOfB(const ProductShape& shape, const ProductOperands& product, const TileRange& range,
                      TileScratch& scratch) {
    const auto columns = range.n1 - range.n0;
    const float* b = product.b;
    if (const auto& packed = product.packedB; packed.matrix != nullptr) {
        float* widened = sized(scratch.b, shape.k * columns);
        packed.matrix->widenRows(packed.firstRow + range.n0, columns, widened);
        return widened;
    }
    if (shape.transB == Transpose::transposed) {
        return b + range.n0 * shape.k;
    }
    if (columns == shape.n) {
        return b;
    }
    float* gathered = sized(scratch.b, shape.k * columns);
    for (std::int64_t inner = 0; inner < shape.k; ++inner) {
        std::copy_n(b + inner * shape.n + range.n0, columns, gathered + inner * columns);
    }
    return gathered;
}

void applyEpilogue(const ProductShape& shape, const ProductOperands& product, const TileRange& range, float* c,
                   std::int64_t rowStride) {
    const auto& epilogue = product.epilogue;
    if (epilogue.activation == nullptr && epilogue.residual == nullptr) {
        return;
    }
    const auto width = range.n1 - range.n0;
    for (auto i = range.m0; i < range.m1; ++i) {
        const std::span<float> row{c + (i - range.m0) * rowStride, size(width)};
        if (epilogue.activation != nullptr) {
            epilogue.activation(row, row);
        }
        if (epilogue.residual != nullptr) {
            const float* residual = epilogue.residual + i * shape.n + range.n0;
            for (std::int64_t j = 0; j < width; ++j) {
                row[size(j)] += residual[j];
            }
        }
    }
}

void multiplyBlock(const ProductShape& shape, const ProductOperands& product, const TileRange& range,
                   TileScratch& scratch) {
    const auto rows = range.m1 - range.m0;
    const auto columns = range.n1 - range.n0;
    const float* a = sliceOfA(shape, product, range, scratch);
    const float* b = sliceOfB(shape, product, range, scratch);
    const bool inPlace = columns == shape.n || rows == 1;
    float* c = inPlace ? product.c + range.m0 * shape.n + range.n0 : sized(scratch.c, rows * columns);
    if (rows == 1) {
        // One row is a matrix-vector product; a general product would pack all of B first.
        const bool bRowsAreColumns = shape.transB == Transpose::transposed; // stored columns x k
        // Some BLAS builds scale y by beta rather than overwrite it, so a NaN left in a reused buffer would survive.
        std::fill_n(c, columns, 0.0f);
        accel::sgemv(bRowsAreColumns ? Transpose::none : Transpose::transposed,
                     size(bRowsAreColumns ? columns : shape.k), size(bRowsAreColumns ? shape.k : columns), 1.0f,
                     {b, size(shape.k * columns)}, {a, size(shape.k)}, 0.0f, {c, size(columns)});
    } else {
        accel::sgemm(shape.transA, shape.transB, size(rows), size(columns), size(shape.k), 1.0f,
                     {a, size(rows * shape.k)}, {b, size(shape.k * columns)}, 0.0f, {c, size(rows * columns)});
    }
    addBiases(product, range, c, columns);
    applyEpilogue(shape, product, range, c, columns);
    if (!inPlace) {
        for (std::int64_t i = 0; i < rows; ++i) {
            std::copy_n(c + i * columns, columns, product.c + (range.m0 + i) * shape.n + range.n0);
        }
    }
}

void multiplyTile(const ProductShape& shape, const ProductOperands& product, const TileRange& range,
                  TileScratch& scratch) {
    // With few rows a product reads each weight once: widen a packed B in
    // blocks that stay in cache rather than the tile's whole slice at once.
    constexpr std::int64_t fewRows = 8;
    constexpr std::int64_t widenedBlockBytes = std::int64_t{128} << 10;
    if (product.packedB.matrix != nullptr && range.m1 - range.m0 <= fewRows) {
        const auto step = std::max<std::int64_t>(minimumTileSide, widenedBlockBytes / (std::max<std::int64_t>(shape.k, 1) * 4));
        for (auto n0 = range.n0; n0 < range.n1; n0 += step) {
            multiplyBlock(shape, product, {range.m0, range.m1, n0, std::min(n0 + step, range.n1)}, scratch);
        }
        return;
    }
    multiplyBlock(shape, product, range, scratch);
}

// Whether B lies in column panels that the product can read in place.
bool readsPanels(const ProductShape& shape, const ProductOperands& product) {
    const auto* matrix = product.packedB.matrix;
    return matrix != nullptr && matrix->encoding() == PackedMatrix::Encoding::panels &&
           shape.transA == Transpose::none && product.packedA.matrix == nullptr &&
           product.packedB.firstRow % matrix->panelWidth() == 0;
}

std::int64_t panelCount(const ProductShape& shape, const ProductOperands& product) {
    const auto width = product.packedB.matrix->panelWidth();
    return (shape.n + width - 1) / width;
}

// Rows [m0, m1) of C against panels [p0, p1), each panel's biases and
// epilogue applied while its block of C is in cache.
void multiplyPanels(const ProductShape& shape, const ProductOperands& product, std::int64_t m0, std::int64_t m1,
                    std::int64_t p0, std::int64_t p1) {
    const auto& matrix = *product.packedB.matrix;
    const auto width = matrix.panelWidth();
    const auto firstPanel = product.packedB.firstRow / width;
    for (auto p = p0; p < p1; ++p) {
        const TileRange range{m0, m1, p * width, std::min(shape.n, (p + 1) * width)};
        float* c = product.c + m0 * shape.n + range.n0;
        accel::multiplyPanel(size(m1 - m0), size(range.n1 - range.n0), size(shape.k),
                             {product.a + m0 * shape.k, size(shape.k), matrix.panel(firstPanel + p), size(width), c,
                              size(shape.n)});
        addBiases(product, range, c, shape.n);
        applyEpilogue(shape, product, range, c, shape.n);
    }
}

// Products over panels in parallel: each task is one panel of one block of
// rows, so no task repacks or copies anything; rows are cut only when there
// are too few panels to keep every worker busy.
void multiplyAllPanels(const ProductShape& shape, std::span<const ProductOperands> products, std::int64_t parts) {
    constexpr std::int64_t rowsPerKernelBlock = 64;
    const auto count = static_cast<std::int64_t>(products.size());
    const auto panels = panelCount(shape, products.front());
    const auto maxRowParts = std::max<std::int64_t>(1, shape.m / rowsPerKernelBlock);
    const auto rowParts = std::clamp<std::int64_t>((2 * parts + count * panels - 1) / (count * panels), 1, maxRowParts);
    const auto perProduct = rowParts * panels;
    parallelFor(count * perProduct, 1, [&](std::int64_t begin, std::int64_t end) {
        for (auto task = begin; task < end; ++task) {
            const auto& product = products[size(task / perProduct)];
            const auto rowPart = task % perProduct / panels;
            const auto p = task % panels;
            multiplyPanels(shape, product, shape.m * rowPart / rowParts, shape.m * (rowPart + 1) / rowParts, p, p + 1);
        }
    });
}

// Whether A lies in column panels. C = A · B is then computed as Cᵀ = Bᵀ · Aᵀ,
// whose second factor is the panels, a block of Cᵀ at a time.
bool readsPanelsAsA(const ProductShape& shape, const ProductOperands& product) {
    const auto* matrix = product.packedA.matrix;
    return matrix != nullptr && matrix->encoding() == PackedMatrix::Encoding::panels &&
           shape.transA == Transpose::none && shape.transB == Transpose::none && product.b != nullptr &&
           product.packedB.matrix == nullptr && product.packedA.firstRow % matrix->panelWidth() == 0;
}

// Bᵀ (n x k) of a row-major B (k x n), in blocks that stay in cache.
void transposeInto(const float* b, std::int64_t k, std::int64_t n, float* out, std::int64_t c0, std::int64_t c1) {
    constexpr std::int64_t block = 32;
    for (auto c = c0; c < c1; c += block) {
        const auto cEnd = std::min(c + block, c1);
        for (std::int64_t r = 0; r < k; r += block) {
            const auto rEnd = std::min(r + block, k);
            for (auto column = c; column < cEnd; ++column) {
                for (auto row = r; row < rEnd; ++row) {
                    out[column * k + row] = b[row * n + column];
                }
            }
        }
    }
}

// The row blocks of Cᵀ a panel of A is multiplied in: few enough to keep a
// block of Bᵀ and of Cᵀ in cache, enough to give every worker a share.
std::int64_t columnBlocks(const ProductShape& shape, std::int64_t tasks, std::int64_t parts) {
    constexpr std::int64_t mostColumnsPerBlock = 512;
    constexpr std::int64_t leastColumnsPerBlock = 64;
    const auto forCache = (shape.n + mostColumnsPerBlock - 1) / mostColumnsPerBlock;
    const auto forWorkers = (2 * parts + tasks - 1) / tasks;
    return std::clamp<std::int64_t>(std::max(forCache, forWorkers), 1,
                                    std::max<std::int64_t>(1, shape.n / leastColumnsPerBlock));
}

// Rows [first, first + width) of C from panel `p` of A, for columns [n0, n1):
// the block of Cᵀ is computed into scratch, then written back transposed with
// its biases and epilogue.
void multiplyPanelAsA(const ProductShape& shape, const ProductOperands& product, const float* transposedB,
                      std::int64_t p, std::int64_t n0, std::int64_t n1) {
    const auto& matrix = *product.packedA.matrix;
    const auto width = matrix.panelWidth();
    const TileRange range{p * width, std::min(shape.m, (p + 1) * width), n0, n1};
    const auto rows = range.m1 - range.m0;
    const auto columns = n1 - n0;
    float* block = sized(threadScratch().c, columns * rows);
    accel::multiplyPanel(size(columns), size(rows), size(shape.k),
                         {transposedB + n0 * shape.k, size(shape.k),
                          matrix.panel(product.packedA.firstRow / width + p), size(width), block, size(rows)});
    float* c = product.c + range.m0 * shape.n + n0;
    for (std::int64_t i = 0; i < rows; ++i) {
        for (std::int64_t j = 0; j < columns; ++j) {
            c[i * shape.n + j] = block[j * rows + i];
        }
    }
    addBiases(product, range, c, shape.n);
    applyEpilogue(shape, product, range, c, shape.n);
}

// Products whose A lies in panels: Bᵀ of every product first, then one task
// for each panel of A and block of C's columns.
void multiplyAllPanelsAsA(const ProductShape& shape, std::span<const ProductOperands> products, std::int64_t parts) {
    const auto count = static_cast<std::int64_t>(products.size());
    std::vector<std::vector<float>> transposed(products.size());
    for (auto& values : transposed) {
        values.resize(size(shape.n * shape.k));
    }
    const auto transposeBlocks = std::max<std::int64_t>(1, std::min(parts, shape.n / 64));
    const auto transposeOne = [&](std::int64_t task) {
        const auto item = task / transposeBlocks, part = task % transposeBlocks;
        transposeInto(products[size(item)].b, shape.k, shape.n, transposed[size(item)].data(),
                      shape.n * part / transposeBlocks, shape.n * (part + 1) / transposeBlocks);
    };
    const auto width = products.front().packedA.matrix->panelWidth();
    const auto panels = (shape.m + width - 1) / width;
    const auto blocks = columnBlocks(shape, count * panels, parts);
    const auto perProduct = panels * blocks;
    const auto runTask = [&](std::int64_t task) {
        const auto item = task / perProduct;
        const auto p = task % perProduct / blocks;
        const auto block = task % blocks;
        multiplyPanelAsA(shape, products[size(item)], transposed[size(item)].data(), p, shape.n * block / blocks,
                         shape.n * (block + 1) / blocks);
    };
    if (parts <= 1) {
        for (std::int64_t task = 0; task < count * transposeBlocks; ++task) {
            transposeOne(task);
        }
        for (std::int64_t task = 0; task < count * perProduct; ++task) {
            runTask(task);
        }
        return;
    }
    parallelFor(count * transposeBlocks, 1, [&](std::int64_t begin, std::int64_t end) {
        for (auto task = begin; task < end; ++task) {
            transposeOne(task);
        }
    });
    parallelFor(count * perProduct, 1, [&](std::int64_t begin, std::int64_t end) {
        for (auto task = begin; task < end; ++task) {
            runTask(task);
        }
    });
}

TileRange tileRange(const ProductShape& shape, Tiling tiling, std::int64_t tile) {
    const auto row = tile / tiling.columns;
    const auto column = tile % tiling.columns;
    return {shape.m * row / tiling.rows, shape.m * (row + 1) / tiling.rows, shape.n * column / tiling.columns,
            shape.n * (column + 1) / tiling.columns};
}

} // namespace

void multiplyOnCaller(const ProductShape& shape, const ProductOperands& product) {
    if (readsPanels(shape, product)) {
        multiplyPanels(shape, product, 0, shape.m, 0, panelCount(shape, product));
        return;
    }
    if (readsPanelsAsA(shape, product)) {
        multiplyAllPanelsAsA(shape, {&product, 1}, 1);
        return;
    }
    auto& scratch = threadScratch();
    multiplyTile(shape, product, {0, shape.m, 0, shape.n}, scratch);
}

void multiply(const ProductShape& shape, std::span<const ProductOperands> products) {
    const auto count = static_cast<std::int64_t>(products.size());
    const auto work = shape.m * shape.n * std::max<std::int64_t>(shape.k, 1) * count;
    const auto workers = static_cast<std::int64_t>(ThreadBudget::current());
    const auto parts = std::clamp<std::int64_t>(work / minimumTaskWork, 1, workers);
    if (parts <= 1) {
        for (const auto& product : products) {
            multiplyOnCaller(shape, product);
        }
        return;
    }
    if (std::ranges::all_of(products, [&](const auto& product) { return readsPanels(shape, product); })) {
        multiplyAllPanels(shape, products, parts);
        return;
    }
    if (std::ranges::all_of(products, [&](const auto& product) { return readsPanelsAsA(shape, product); })) {
        multiplyAllPanelsAsA(shape, products, parts);
        return;
    }
    const auto tiling = planTiling(shape, count, workers, parts);
    const auto tiles = tiling.count();
    parallelFor(count * tiles, 1, [&](std::int64_t begin, std::int64_t end) {
        auto& scratch = threadScratch();
        for (auto task = begin; task < end; ++task) {
            multiplyTile(shape, products[size(task / tiles)], tileRange(shape, tiling, task % tiles), scratch);
        }
    });
}

} // namespace platform::coreml::mil
