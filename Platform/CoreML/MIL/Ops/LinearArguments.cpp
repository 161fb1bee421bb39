#include "Platform/CoreML/MIL/Ops/LinearArguments.hpp"

#include "Platform/CoreML/MIL/Parallel.hpp"

#include <algorithm>
#include <string>

namespace platform::coreml::mil {
namespace {

// Elements worth handing to a pool thread.
constexpr std::int64_t workPerTask = std::int64_t{1} << 15;

} // namespace

const Tensor& floatTensor(const OpCall& call, std::string_view name) {
    const auto& tensor = call.input(name);
    if (tensor.kind() != StorageKind::float32) {
        call.fail("\"" + std::string(name) + "\" must hold floats, not " + std::string(dataTypeName(tensor.dataType())));
    }
    return tensor;
}

std::span<const float> optionalVector(const OpCall& call, std::string_view name, std::int64_t count) {
    if (!call.has(name)) {
        return {};
    }
    return requiredVector(call, name, count);
}

std::span<const float> requiredVector(const OpCall& call, std::string_view name, std::int64_t count) {
    const auto& tensor = floatTensor(call, name);
    if (tensor.count() != count) {
        call.fail("\"" + std::string(name) + "\" has the shape " + describeShape(tensor.shape()) + " but " +
                  std::to_string(count) + " values are needed");
    }
    return tensor.floatValues();
}

std::int64_t workerCount() { return static_cast<std::int64_t>(ThreadBudget::current()); }

std::int64_t grainFor(std::int64_t workPerItem) {
    return std::max<std::int64_t>(1, workPerTask / std::max<std::int64_t>(workPerItem, 1));
}

} // namespace platform::coreml::mil
