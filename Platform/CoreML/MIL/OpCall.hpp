#pragma once
// What an operation's kernel sees of one call: its arguments by name (each a
// tensor, or several for a tuple argument such as concat's `values`), the
// result types the program declares, and its operation type for messages.
// Parameters may arrive as inputs or as attributes (older weight-decompression
// operations write them as attributes); both are arguments here.

#include "Platform/CoreML/MIL/ProgramSyntax.hpp"
#include "Platform/CoreML/MIL/Tensor.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::coreml::mil {

struct OpArgument {
    std::string name;
    std::vector<const Tensor*> values; // one, or the members of a tuple in order
};

class OpCall {
public:
    // The tensors pointed to must outlive the call.
    OpCall(std::string_view opType, std::vector<OpArgument> arguments, std::span<const ValueType> results);

    const std::string& opType() const { return opType_; }

    bool has(std::string_view name) const;
    // The single tensor bound to `name`; throws when it is absent.
    const Tensor& input(std::string_view name) const;
    const Tensor* optionalInput(std::string_view name) const;
    // Every tensor bound to `name` (a tuple argument), in order; empty when absent.
    std::vector<const Tensor*> inputs(std::string_view name) const;

    // Scalar and list parameters, with the operation's default when absent.
    std::int64_t intParameter(std::string_view name, std::optional<std::int64_t> fallback = std::nullopt) const;
    double floatParameter(std::string_view name, std::optional<double> fallback = std::nullopt) const;
    bool boolParameter(std::string_view name, std::optional<bool> fallback = std::nullopt) const;
    std::string textParameter(std::string_view name, std::optional<std::string> fallback = std::nullopt) const;
    std::vector<std::int64_t> intsParameter(std::string_view name,
                                            std::optional<std::vector<std::int64_t>> fallback = std::nullopt) const;

    // Declared result types, in order (may be fewer than the kernel returns for
    // result-less operations; never more).
    std::span<const ValueType> results() const { return results_; }
    // Element type of result i as declared; `fallback` when not declared.
    DataType resultDataType(std::size_t index, DataType fallback) const;

    // Throws MLModelError (featureType) naming the operation: for arguments a
    // kernel cannot work with (mismatched shapes, out-of-range axes, ...).
    [[noreturn]] void fail(const std::string& message) const;

private:
    const OpArgument* find(std::string_view name) const;
    // The tensor bound to a parameter, null when absent and a fallback exists;
    // fails when absent without one, or when `single` and it is not one element.
    const Tensor* parameter(std::string_view name, bool hasFallback, bool single, const char* wanted) const;

    std::string opType_;
    std::vector<OpArgument> arguments_;
    std::span<const ValueType> results_;
};

// Normalises an axis that may count from the end; fails the call when it is out of range.
std::int64_t normaliseAxis(const OpCall& call, std::int64_t axis, std::int64_t rank);

} // namespace platform::coreml::mil
