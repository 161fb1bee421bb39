#include "Platform/CoreML/MIL/Ops/RecurrentResults.hpp"

#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>

namespace platform::coreml::mil {
namespace {

// rows × hidden blocks of each run side by side into rows × directions·hidden.
Tensor sideBySide(const std::vector<std::span<const float>>& blocks, std::int64_t rows, std::int64_t hidden,
                  Shape shape) {
    const auto directions = static_cast<std::int64_t>(blocks.size());
    Tensor result(DataType::fp32, std::move(shape));
    auto out = result.mutableFloatValues();
    for (std::int64_t row = 0; row < rows; ++row) {
        for (std::int64_t d = 0; d < directions; ++d) {
            const auto source = blocks[static_cast<std::size_t>(d)].subspan(static_cast<std::size_t>(row * hidden),
                                                                             static_cast<std::size_t>(hidden));
            std::ranges::copy(source, out.begin() + (row * directions + d) * hidden);
        }
    }
    return result;
}

} // namespace

std::vector<float> directionColumns(std::span<const float> state, const RecurrentShape& shape,
                                    std::int64_t direction) {
    const auto hidden = shape.hiddenSize, width = shape.directions * hidden;
    std::vector<float> columns(static_cast<std::size_t>(shape.batch * hidden));
    for (std::int64_t row = 0; row < shape.batch; ++row) {
        const auto first = state.begin() + row * width + direction * hidden;
        std::copy(first, first + hidden, columns.begin() + row * hidden);
    }
    return columns;
}

std::vector<DirectionRun> runDirections(const RecurrentShape& shape,
                                        const std::function<DirectionRun(std::int64_t direction)>& run) {
    std::vector<DirectionRun> runs(static_cast<std::size_t>(shape.directions));
    parallelFor(shape.directions, 1, [&](std::int64_t begin, std::int64_t end) {
        for (auto d = begin; d < end; ++d) {
            runs[static_cast<std::size_t>(d)] = run(d);
        }
    });
    return runs;
}

std::vector<Tensor> recurrentResults(const std::vector<DirectionRun>& runs, const RecurrentShape& shape,
                                     bool outputSequence) {
    const auto hidden = shape.hiddenSize, width = shape.directions * hidden;
    const auto blocksOf = [&](const auto& select) {
        std::vector<std::span<const float>> blocks;
        for (const auto& run : runs) {
            blocks.emplace_back(select(run));
        }
        return blocks;
    };
    std::vector<Tensor> results;
    if (outputSequence) {
        const auto rows = shape.steps * shape.batch;
        results.push_back(sideBySide(blocksOf([](const DirectionRun& run) -> const std::vector<float>& {
                                         return run.hiddenSequence;
                                     }),
                                     rows, hidden, {shape.steps, shape.batch, width}));
    } else {
        results.push_back(sideBySide(blocksOf([](const DirectionRun& run) -> const std::vector<float>& {
                                         return run.finalStates.front();
                                     }),
                                     shape.batch, hidden, {1, shape.batch, width}));
    }
    const auto stateCount = runs.front().finalStates.size();
    for (std::size_t state = 0; state < stateCount; ++state) {
        results.push_back(sideBySide(blocksOf([state](const DirectionRun& run) -> const std::vector<float>& {
                                         return run.finalStates[state];
                                     }),
                                     shape.batch, hidden, {shape.batch, width}));
    }
    return results;
}

} // namespace platform::coreml::mil
