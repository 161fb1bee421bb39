// Program text ("model.mil"): parsed, prepared (which runs every operation
// whose arguments are constants), and run once on small zero inputs.

#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"
#include "Platform/CoreML/MIL/ProgramRunner.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace {

using namespace platform::coreml::mil;

// Inputs larger than this are not made: the run is about the program, not the data.
constexpr std::int64_t largestInput = 4096;

std::optional<Tensor> smallValueOf(const ValueType& type) {
    Shape shape;
    for (const auto& dimension : type.shape) {
        shape.push_back(dimension.size.value_or(1));
    }
    if (std::ranges::any_of(shape, [](auto size) { return size < 0 || size > largestInput; }) ||
        elementCount(shape) > largestInput || type.dataType == DataType::string) {
        return std::nullopt;
    }
    return Tensor(type.dataType, shape);
}

void prepareAndRun(const Function& function) {
    const PreparedFunction prepared(function, OpRegistry::standard(), [](const ConstantValue& value) {
        if (!value.tensor) throw std::runtime_error("only inline constants here");
        return *value.tensor;
    });
    std::map<std::string, Tensor> inputs;
    for (const auto& input : prepared.inputs()) {
        auto value = smallValueOf(input.type);
        if (!value) return;
        inputs.emplace(input.name, std::move(*value));
    }
    std::vector<Tensor> states;
    for (const auto& state : prepared.states()) {
        auto value = smallValueOf(state.type);
        if (!value) return;
        states.push_back(std::move(*value));
    }
    ProgramRunner(prepared).run(inputs, states);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto program = parseProgram(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const auto& function : program.functions) {
            prepareAndRun(function);
        }
    } catch (const std::exception&) {
        // Every refusal is a thrown error; only crashes and sanitizer reports are findings.
    }
    return 0;
}
