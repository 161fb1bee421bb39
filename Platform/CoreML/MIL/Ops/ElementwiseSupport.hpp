#pragma once
// Pieces the element-wise and reduction kernels share: the parallel grain,
// element access by storage kind, numeric inputs with clear errors, and the
// labelling of integer results with their declared type.

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform::coreml::mil {

// Each parallel range holds at least this many elements, so tensors beyond
// about 64k elements are split across the thread pool.
inline constexpr std::int64_t elementwiseGrain = 32768;

// The named argument; fails the call when it holds text.
const Tensor& numericInput(const OpCall& call, std::string_view name);

// The same elements in float, int32 or bool storage (the tensor itself when it
// already has that storage).
Tensor asFloats(const Tensor& tensor);
Tensor asInts(const Tensor& tensor);
Tensor asBools(const Tensor& tensor);

// An integer or bool result relabelled with the declared type of result
// `index` when that type has the same storage; other results unchanged.
Tensor labelled(const OpCall& call, std::size_t index, Tensor result);

// The values an integer type holds: its own range for the narrow types,
// int32's for the wider ones (held as int32 at run time).
std::pair<double, double> integerRange(DataType type);

// Calls visit with the elements of a numeric tensor as a span of float,
// int32 or uint8 (bool).
template <class Visit>
decltype(auto) visitNumbers(const Tensor& tensor, Visit&& visit) {
    switch (tensor.kind()) {
    case StorageKind::int32: return visit(tensor.intValues());
    case StorageKind::boolean: return visit(tensor.boolValues());
    default: return visit(tensor.floatValues());
    }
}

// The mutable elements of a tensor this kernel made, by element type.
template <class T>
std::span<T> mutableValues(Tensor& tensor) {
    if constexpr (std::is_same_v<T, float>) {
        return tensor.mutableFloatValues();
    } else if constexpr (std::is_same_v<T, std::int32_t>) {
        return tensor.mutableIntValues();
    } else {
        return tensor.mutableBoolValues();
    }
}

// out[i] = f(in[i]) over whole spans, in parallel for big tensors.
template <class Out, class In, class F>
void mapElements(std::span<const In> in, std::span<Out> out, F f) {
    parallelFor(static_cast<std::int64_t>(in.size()), elementwiseGrain, [&](std::int64_t begin, std::int64_t end) {
        for (auto i = begin; i < end; ++i) {
            out[static_cast<std::size_t>(i)] = f(in[static_cast<std::size_t>(i)]);
        }
    });
}

// The "x" argument in float storage mapped element by element through f.
template <class F>
std::vector<Tensor> mapInput(const OpCall& call, F f) {
    const auto in = asFloats(numericInput(call, "x"));
    Tensor out(DataType::fp32, in.shape(), Tensor::Unfilled{});
    mapElements(in.floatValues(), out.mutableFloatValues(), f);
    return {std::move(out)};
}

} // namespace platform::coreml::mil
