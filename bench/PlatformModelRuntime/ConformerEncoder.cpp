#include "bench/PlatformModelRuntime/ConformerEncoder.hpp"

#include <stdexcept>

namespace runtimebench {
namespace {

std::string blockPrefix(int block) { return "b" + std::to_string(block) + "_"; }

} // namespace

EncoderProgram writeConformerEncoder(BenchProgramWriter& w, const ConformerEncoderSize& size, std::int64_t inputFrames) {
    if (size.melBins * size.stack != size.width || inputFrames % size.stack != 0) {
        throw std::invalid_argument("stacked frames must fill one row of the block width exactly");
    }
    const ConformerBlockSize block{inputFrames / size.stack, size.width, size.heads, size.hidden, size.kernel};
    writeConformerConstants(w, block);
    w.ints("time_major", {0, 2, 1});
    w.ints("stacked", {1, block.frames, size.width});
    w.line(fp32Type({1, inputFrames, size.melBins}) + " frames = transpose(perm = time_major, x = features)[name = string(\"frames\")];");
    w.line(fp32Type({1, block.frames, size.width}) + " stacked_frames = reshape(shape = stacked, x = frames)[name = string(\"stacked_frames\")];");
    auto x = writeLinear(w, "front", "stacked_frames", {1, block.frames, size.width}, size.width, size.width);
    for (int b = 0; b < size.blocks; ++b) {
        x = writeConformerBlock(w, blockPrefix(b), x, block);
    }
    return {fp32Type({1, size.melBins, inputFrames}) + " features", x};
}

nlohmann::json describeConformerEncoder(const ConformerEncoderSize& size) {
    return {{"kind", "conformer-encoder"},
            {"blocks", size.blocks},
            {"melBins", size.melBins},
            {"stack", size.stack},
            {"width", size.width},
            {"heads", size.heads},
            {"hidden", size.hidden},
            {"kernel", size.kernel},
            {"epsilon", 1e-5},
            {"input", "features"},
            {"front", "front"},
            {"blockPrefix", "b<index>_"}};
}

} // namespace runtimebench
