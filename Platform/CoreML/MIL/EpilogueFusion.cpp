#include "Platform/CoreML/MIL/EpilogueFusion.hpp"

#include <algorithm>
#include <optional>
#include <string>

namespace platform::coreml::mil {
namespace {

constexpr SlotIndex noStep = -1;

const PreparedArgument* argumentNamed(const PreparedStep& step, const std::string& name) {
    const auto found = std::ranges::find(step.arguments, name, &PreparedArgument::name);
    return found == step.arguments.end() ? nullptr : &*found;
}

// The activation a step applies, by the name the linear kernel knows it by.
std::optional<std::string> activationOf(const PreparedStep& step, const FusionContext& context) {
    if (step.opType == "relu" || step.opType == "sigmoid" || step.opType == "tanh" || step.opType == "silu") {
        return step.opType;
    }
    if (step.opType != "gelu") {
        return std::nullopt;
    }
    const auto* mode = argumentNamed(step, "mode");
    if (mode == nullptr) {
        return "gelu_exact";
    }
    const auto* value = mode->slots.size() == 1 ? context.constantOf(mode->slots.front()) : nullptr;
    if (value == nullptr || value->kind() != StorageKind::string) {
        return std::nullopt;
    }
    const auto& text = value->textValue();
    if (text == "EXACT") {
        return "gelu_exact";
    }
    if (text == "TANH_APPROXIMATION") {
        return "gelu_tanh";
    }
    if (text == "SIGMOID_APPROXIMATION") {
        return "gelu_sigmoid";
    }
    return std::nullopt;
}

bool isFloatTensor(const ValueType& type) {
    return type.kind == ValueType::Kind::tensor && storageKind(type.dataType) == StorageKind::float32;
}

class Fuser {
public:
    Fuser(std::vector<PreparedStep>& steps, const FusionContext& context) : steps_(steps), context_(context) {
        producer_.assign(context.types.size(), noStep);
        readers_.assign(context.types.size(), 0);
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            for (const auto slot : steps_[i].results) {
                producer_[static_cast<std::size_t>(slot)] = static_cast<SlotIndex>(i);
            }
            for (const auto& argument : steps_[i].arguments) {
                for (const auto slot : argument.slots) {
                    ++readers_[static_cast<std::size_t>(slot)];
                }
            }
            if (steps_[i].stateData >= 0) {
                ++readers_[static_cast<std::size_t>(steps_[i].stateData)];
            }
        }
        for (const auto slot : context.outputs) {
            ++readers_[static_cast<std::size_t>(slot)];
        }
    }

    void run() {
        std::vector<bool> folded(steps_.size(), false);
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            if (steps_[i].opType != "linear" || steps_[i].kind != PreparedStep::Kind::kernel || steps_[i].results.size() != 1) {
                continue;
            }
            if (const auto reader = soleReader(i); reader && !folded[*reader]) {
                if (fold(i, *reader)) {
                    folded[*reader] = true;
                }
            }
        }
        std::vector<PreparedStep> kept;
        kept.reserve(steps_.size());
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            if (!folded[i]) {
                kept.push_back(std::move(steps_[i]));
            }
        }
        steps_ = std::move(kept);
    }

private:
    // The one later step reading step i's result, when nothing else does.
    std::optional<std::size_t> soleReader(std::size_t i) const {
        const auto result = steps_[i].results.front();
        if (readers_[static_cast<std::size_t>(result)] != 1) {
            return std::nullopt;
        }
        for (auto j = i + 1; j < steps_.size(); ++j) {
            for (const auto& argument : steps_[j].arguments) {
                if (std::ranges::find(argument.slots, result) != argument.slots.end()) {
                    if (steps_[j].kind != PreparedStep::Kind::kernel || steps_[j].results.size() != 1) {
                        return std::nullopt;
                    }
                    return j;
                }
            }
        }
        return std::nullopt;
    }

    bool fold(std::size_t i, std::size_t j) {
        auto& linear = steps_[i];
        const auto& reader = steps_[j];
        if (!isFloatTensor(context_.types[static_cast<std::size_t>(reader.results.front())]) ||
            reader.resultTypes.front().shape != linear.resultTypes.front().shape) {
            return false;
        }
        if (argumentNamed(linear, "fused_activation") == nullptr && argumentNamed(linear, "fused_residual") == nullptr) {
            if (const auto activation = activationOf(reader, context_)) {
                const auto* x = argumentNamed(reader, "x");
                if (x == nullptr || x->slots != std::vector{linear.results.front()}) {
                    return false;
                }
                linear.arguments.push_back({"fused_activation", {context_.addConstant(Tensor::text(*activation))}});
                takeOver(linear, reader);
                return true;
            }
        }
        if (reader.opType == "add" && argumentNamed(linear, "fused_residual") == nullptr) {
            const auto residual = residualOf(linear, reader, i);
            if (!residual) {
                return false;
            }
            linear.arguments.push_back({"fused_residual", {*residual}});
            takeOver(linear, reader);
            return true;
        }
        return false;
    }

    // The other operand of an addition, when it has the result's declared
    // shape and is ready before step i runs.
    std::optional<SlotIndex> residualOf(const PreparedStep& linear, const PreparedStep& add, std::size_t i) const {
        const auto* x = argumentNamed(add, "x");
        const auto* y = argumentNamed(add, "y");
        if (x == nullptr || y == nullptr || x->slots.size() != 1 || y->slots.size() != 1) {
            return std::nullopt;
        }
        const auto result = linear.results.front();
        const auto other = x->slots.front() == result ? y->slots.front() : x->slots.front();
        if ((x->slots.front() == result) == (y->slots.front() == result)) {
            return std::nullopt;
        }
        const auto& type = context_.types[static_cast<std::size_t>(other)];
        if (!isFloatTensor(type) || type.shape != linear.resultTypes.front().shape ||
            std::ranges::any_of(type.shape, [](const Dimension& d) { return !d.size && d.symbol.empty(); })) {
            return std::nullopt;
        }
        const auto made = producer_[static_cast<std::size_t>(other)];
        if (made != noStep && static_cast<std::size_t>(made) >= i) {
            return std::nullopt;
        }
        return other;
    }

    static void takeOver(PreparedStep& linear, const PreparedStep& reader) {
        linear.results = reader.results;
        linear.resultTypes = reader.resultTypes;
    }

    std::vector<PreparedStep>& steps_;
    const FusionContext& context_;
    std::vector<SlotIndex> producer_;
    std::vector<int> readers_;
};

} // namespace

void fuseEpilogues(std::vector<PreparedStep>& steps, const FusionContext& context) { Fuser(steps, context).run(); }

} // namespace platform::coreml::mil
