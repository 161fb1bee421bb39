// Upsampling of the last two dimensions (height, width) by scale factors.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeKernelSupport.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform::coreml::mil::shapeops {
namespace {

constexpr std::int64_t upsampleGrain = 1 << 14;

struct Plane {
    std::int64_t height;
    std::int64_t width;
    std::int64_t outHeight;
    std::int64_t outWidth;
    std::int64_t planes; // product of the leading dimensions
};

// Output sizes floor(H·scale_factor_height) and floor(W·scale_factor_width).
Plane upsampledPlane(const OpCall& call, const Tensor& x, double scaleHeight, double scaleWidth) {
    if (x.rank() < 2) {
        call.fail("x must have at least two dimensions, not " + describeShape(x.shape()));
    }
    if (!(scaleHeight > 0) || !(scaleWidth > 0) || !std::isfinite(scaleHeight) || !std::isfinite(scaleWidth)) {
        call.fail("the scale factors " + std::to_string(scaleHeight) + " and " + std::to_string(scaleWidth) +
                  " must be positive");
    }
    const auto height = x.dim(-2);
    const auto width = x.dim(-1);
    Plane plane{height, width, static_cast<std::int64_t>(std::floor(static_cast<double>(height) * scaleHeight)),
                static_cast<std::int64_t>(std::floor(static_cast<double>(width) * scaleWidth)),
                countBetween(x.shape(), 0, x.shape().size() - 2)};
    Shape shape{plane.planes, plane.outHeight, plane.outWidth};
    checkedCount(call, shape);
    return plane;
}

Shape upsampledShape(const Tensor& x, const Plane& plane) {
    auto shape = x.shape();
    shape[shape.size() - 2] = plane.outHeight;
    shape.back() = plane.outWidth;
    return shape;
}

// Output position o copies input position floor(o / scale), kept inside the input.
std::vector<std::int64_t> nearestPositions(std::int64_t outSize, std::int64_t inSize, double scale) {
    std::vector<std::int64_t> positions(static_cast<std::size_t>(outSize));
    for (std::size_t o = 0; o < positions.size(); ++o) {
        const auto position = static_cast<std::int64_t>(std::floor(static_cast<double>(o) / scale));
        positions[o] = std::min(position, inSize - 1);
    }
    return positions;
}

std::vector<Tensor> upsampleNearest(const OpCall& call) {
    const auto& x = call.input("x");
    const auto scaleHeight = call.floatParameter("scale_factor_height", 1);
    const auto scaleWidth = call.floatParameter("scale_factor_width", 1);
    const auto plane = upsampledPlane(call, x, scaleHeight, scaleWidth);
    Tensor result(x.dataType(), upsampledShape(x, plane));
    const auto rowsFrom = nearestPositions(plane.outHeight, plane.height, scaleHeight);
    const auto columnsFrom = nearestPositions(plane.outWidth, plane.width, scaleWidth);
    withElementType(call, x, [&]<class T>(std::type_identity<T>) {
        const auto source = elementsOf<T>(x);
        const auto target = mutableElementsOf<T>(result);
        const auto rows = plane.planes * plane.outHeight;
        parallelFor(rows, std::max<std::int64_t>(1, upsampleGrain / std::max<std::int64_t>(plane.outWidth, 1)),
                    [&](std::int64_t begin, std::int64_t end) {
                        for (auto row = begin; row < end; ++row) {
                            const auto p = row / plane.outHeight;
                            const auto from = rowsFrom[static_cast<std::size_t>(row % plane.outHeight)];
                            const auto inRow = (p * plane.height + from) * plane.width;
                            for (std::int64_t o = 0; o < plane.outWidth; ++o) {
                                target[static_cast<std::size_t>(row * plane.outWidth + o)] =
                                    source[static_cast<std::size_t>(inRow + columnsFrom[static_cast<std::size_t>(o)])];
                            }
                        }
                    });
    });
    return {result};
}

// One output coordinate mapped onto the input: its lower neighbour and the weight of the upper one.
struct Sample {
    std::int64_t lower;
    std::int64_t upper;
    float weight;
};

std::vector<Sample> bilinearSamples(std::int64_t outSize, std::int64_t inSize, bool alignCorners, bool halfPixel) {
    std::vector<Sample> samples(static_cast<std::size_t>(outSize));
    const auto in = static_cast<double>(inSize);
    const auto out = static_cast<double>(outSize);
    const auto ratio = alignCorners ? (outSize > 1 ? (in - 1) / (out - 1) : 0.0) : in / out;
    for (std::size_t o = 0; o < samples.size(); ++o) {
        auto position = halfPixel ? (static_cast<double>(o) + 0.5) * ratio - 0.5 : static_cast<double>(o) * ratio;
        position = std::clamp(position, 0.0, static_cast<double>(inSize - 1));
        const auto lower = static_cast<std::int64_t>(std::floor(position));
        samples[o] = {lower, std::min(lower + 1, inSize - 1), static_cast<float>(position - static_cast<double>(lower))};
    }
    return samples;
}

// Grid: align_corners maps the corner samples onto each other (o·(in−1)/(out−1));
// half-pixel centres use (o + 0.5)·in/out − 0.5; otherwise o·in/out.
std::vector<Tensor> upsampleBilinear(const OpCall& call) {
    const auto& x = call.input("x");
    if (x.kind() != StorageKind::float32) {
        call.fail("x must hold floats, not " + std::string(dataTypeName(x.dataType())));
    }
    const auto alignCorners = call.boolParameter("align_corners", true);
    const auto halfPixel = call.boolParameter("half_pixel_centers", !alignCorners);
    if (alignCorners && halfPixel) {
        call.fail("align_corners and half_pixel_centers cannot both be set");
    }
    const auto plane = upsampledPlane(call, x, call.floatParameter("scale_factor_height", 1),
                                      call.floatParameter("scale_factor_width", 1));
    Tensor result(x.dataType(), upsampledShape(x, plane));
    if (result.count() == 0 || x.count() == 0) {
        return {result};
    }
    const auto rowSamples = bilinearSamples(plane.outHeight, plane.height, alignCorners, halfPixel);
    const auto columnSamples = bilinearSamples(plane.outWidth, plane.width, alignCorners, halfPixel);
    const auto source = x.floatValues();
    const auto target = result.mutableFloatValues();
    parallelFor(plane.planes * plane.outHeight,
                std::max<std::int64_t>(1, upsampleGrain / std::max<std::int64_t>(plane.outWidth, 1)),
                [&](std::int64_t begin, std::int64_t end) {
                    for (auto row = begin; row < end; ++row) {
                        const auto& r = rowSamples[static_cast<std::size_t>(row % plane.outHeight)];
                        const auto base = row / plane.outHeight * plane.height;
                        const auto* top = source.data() + (base + r.lower) * plane.width;
                        const auto* bottom = source.data() + (base + r.upper) * plane.width;
                        for (std::int64_t o = 0; o < plane.outWidth; ++o) {
                            const auto& c = columnSamples[static_cast<std::size_t>(o)];
                            const auto topValue = top[c.lower] + c.weight * (top[c.upper] - top[c.lower]);
                            const auto bottomValue = bottom[c.lower] + c.weight * (bottom[c.upper] - bottom[c.lower]);
                            target[static_cast<std::size_t>(row * plane.outWidth + o)] =
                                topValue + r.weight * (bottomValue - topValue);
                        }
                    }
                });
    return {result};
}

} // namespace

void registerUpsampleOps(OpRegistry& registry) {
    registry.add("upsample_nearest_neighbor", {upsampleNearest, {"x"}});
    registry.add("upsample_bilinear", {upsampleBilinear, {"x"}});
}

} // namespace platform::coreml::mil::shapeops
