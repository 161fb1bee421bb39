// Bundle metadata ("metadata.json"), read the way loading reads it, against a
// small program with a flexible input and a state.

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/CoreML/MIL/BundleDescription.hpp"
#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

namespace {

using namespace platform::coreml::mil;

constexpr std::string_view programText = R"(program(1.3)
{
    func main<ios18>(tensor<fp32, [1, ?]> x, state<tensor<fp16, [1, 4]>> cache) {
        tensor<fp32, [1, ?]> y = relu(x = x)[name = string("y")];
    } -> (y);
}
)";

const PreparedFunction& preparedFunction() {
    static const Program program = parseProgram(programText);
    static const PreparedFunction prepared(program.functions.front(), OpRegistry::standard(),
                                           [](const ConstantValue& value) { return *value.tensor; });
    return prepared;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& prepared = preparedFunction();
    try {
        const auto metadata = platform::parseBoundedJson(std::string_view(reinterpret_cast<const char*>(data), size));
        describeBundle(prepared, metadata);
    } catch (const std::exception&) {
    }
    return 0;
}
