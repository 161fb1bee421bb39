#include "Platform/CoreML/MIL/OpCall.hpp"

#include "Platform/CoreML/MLModelError.hpp"

#include <algorithm>

namespace platform::coreml::mil {

OpCall::OpCall(std::string_view opType, std::vector<OpArgument> arguments, std::span<const ValueType> results)
    : opType_(opType), arguments_(std::move(arguments)), results_(results) {}

const OpArgument* OpCall::find(std::string_view name) const {
    const auto found = std::ranges::find(arguments_, name, &OpArgument::name);
    return found == arguments_.end() || found->values.empty() ? nullptr : &*found;
}

bool OpCall::has(std::string_view name) const { return find(name) != nullptr; }

const Tensor& OpCall::input(std::string_view name) const {
    const auto* tensor = optionalInput(name);
    if (tensor == nullptr) {
        fail("the argument \"" + std::string(name) + "\" is missing");
    }
    return *tensor;
}

const Tensor* OpCall::optionalInput(std::string_view name) const {
    const auto* argument = find(name);
    if (argument == nullptr) {
        return nullptr;
    }
    if (argument->values.size() != 1) {
        fail("the argument \"" + std::string(name) + "\" must be one value, not a tuple");
    }
    return argument->values.front();
}

std::vector<const Tensor*> OpCall::inputs(std::string_view name) const {
    const auto* argument = find(name);
    return argument == nullptr ? std::vector<const Tensor*>{} : argument->values;
}

const Tensor* OpCall::parameter(std::string_view name, bool hasFallback, bool single, const char* wanted) const {
    const auto* tensor = optionalInput(name);
    if (tensor == nullptr) {
        if (!hasFallback) {
            input(name);
        }
        return nullptr;
    }
    if (single && tensor->count() != 1) {
        fail("the argument \"" + std::string(name) + "\" must be " + wanted);
    }
    return tensor;
}

std::int64_t OpCall::intParameter(std::string_view name, std::optional<std::int64_t> fallback) const {
    const auto* tensor = parameter(name, fallback.has_value(), true, "a single number");
    return tensor == nullptr ? *fallback : static_cast<std::int64_t>(tensor->numberAt(0));
}

double OpCall::floatParameter(std::string_view name, std::optional<double> fallback) const {
    const auto* tensor = parameter(name, fallback.has_value(), true, "a single number");
    return tensor == nullptr ? *fallback : tensor->numberAt(0);
}

bool OpCall::boolParameter(std::string_view name, std::optional<bool> fallback) const {
    const auto* tensor = parameter(name, fallback.has_value(), true, "a single truth value");
    return tensor == nullptr ? *fallback : tensor->numberAt(0) != 0;
}

std::string OpCall::textParameter(std::string_view name, std::optional<std::string> fallback) const {
    const auto* tensor = parameter(name, fallback.has_value(), false, "text");
    if (tensor == nullptr) {
        return *fallback;
    }
    if (tensor->kind() != StorageKind::string) {
        fail("the argument \"" + std::string(name) + "\" must be text");
    }
    return tensor->textValue();
}

std::vector<std::int64_t> OpCall::intsParameter(std::string_view name,
                                                std::optional<std::vector<std::int64_t>> fallback) const {
    const auto* tensor = parameter(name, fallback.has_value(), false, "numbers");
    if (tensor == nullptr) {
        return *fallback;
    }
    if (tensor->kind() == StorageKind::string) {
        fail("the argument \"" + std::string(name) + "\" must be numbers");
    }
    return tensor->toInt64s();
}

DataType OpCall::resultDataType(std::size_t index, DataType fallback) const {
    if (index >= results_.size() || results_[index].kind != ValueType::Kind::tensor) {
        return fallback;
    }
    return results_[index].dataType;
}

void OpCall::fail(const std::string& message) const {
    throw MLModelError(MLModelErrorKind::featureType, "The operation " + opType_ + " cannot run: " + message);
}

std::int64_t normaliseAxis(const OpCall& call, std::int64_t axis, std::int64_t rank) {
    const auto normalised = axis < 0 ? axis + rank : axis;
    if (normalised < 0 || normalised >= rank) {
        call.fail("axis " + std::to_string(axis) + " is outside rank " + std::to_string(rank));
    }
    return normalised;
}

} // namespace platform::coreml::mil
