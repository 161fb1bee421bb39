#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace platform::coreml::mil {
namespace {

// Truncates toward zero and saturates at the ends of the target's range; NaN becomes 0.
Tensor toInteger(const Tensor& x, DataType type) {
    // Plain variables: not every compiler lets a lambda capture structured bindings.
    const auto range = integerRange(type);
    const auto low = range.first;
    const auto high = range.second;
    Tensor out(type, x.shape());
    const auto dst = out.mutableIntValues();
    visitNumbers(x, [&](auto values) {
        mapElements(values, dst, [low, high](auto v) {
            const auto d = static_cast<double>(v);
            return std::isnan(d) ? 0 : static_cast<std::int32_t>(std::clamp(std::trunc(d), low, high));
        });
    });
    return out;
}

std::vector<Tensor> cast(const OpCall& call) {
    static constexpr std::array<std::string_view, 10> targets{"fp16",  "fp32",   "fp64",  "int8",  "uint8",
                                                               "int16", "uint16", "int32", "int64", "bool"};
    const auto& x = numericInput(call, "x");
    const auto name = call.textParameter("dtype");
    const auto type = dataTypeFromName(name);
    if (!type || std::ranges::find(targets, name) == targets.end()) {
        call.fail("cannot cast to \"" + name + "\"");
    }
    return {isInteger(*type) ? toInteger(x, *type) : x.convertedTo(*type)};
}

std::vector<Tensor> clip(const OpCall& call) {
    const auto alpha = static_cast<float>(call.floatParameter("alpha"));
    const auto beta = static_cast<float>(call.floatParameter("beta"));
    if (!(alpha <= beta)) {
        call.fail("alpha " + std::to_string(alpha) + " is above beta " + std::to_string(beta));
    }
    return mapInput(call, [alpha, beta](float v) { return std::clamp(v, alpha, beta); });
}

std::vector<Tensor> threshold(const OpCall& call) {
    const auto alpha = static_cast<float>(call.floatParameter("alpha"));
    return mapInput(call, [alpha](float v) { return std::max(v, alpha); });
}

} // namespace

void registerConversionOps(OpRegistry& registry) {
    registry.add("cast", {cast, {"x", "dtype"}});
    registry.add("clip", {clip, {"x", "alpha", "beta"}});
    registry.add("threshold", {threshold, {"x", "alpha"}});
    registry.add("identity", {[](const OpCall& call) { return std::vector{call.input("x")}; }, {"x"}});
}

} // namespace platform::coreml::mil
