#include "Platform/CoreML/MIL/Ops/RecurrentActivation.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string>
#include <utility>

namespace platform::coreml::mil {
namespace {

// The fixed constants of the parametrised activations: scaled_tanh is
// alpha·tanh(beta·x), hard_sigmoid is min(1, max(0, alpha·x + beta)).
constexpr float scaledTanhAlpha = 1.0F;
constexpr float scaledTanhBeta = 1.0F;
constexpr float hardSigmoidAlpha = 0.2F;
constexpr float hardSigmoidBeta = 0.5F;

std::string lowercased(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

RecurrentActivation RecurrentActivation::named(const OpCall& call, std::string_view parameter,
                                               std::string_view fallback) {
    static constexpr std::array<std::pair<std::string_view, Kind>, 6> names{{
        {"sigmoid", Kind::sigmoid},
        {"tanh", Kind::tanh},
        {"relu", Kind::relu},
        {"linear", Kind::linear},
        {"scaled_tanh", Kind::scaledTanh},
        {"hard_sigmoid", Kind::hardSigmoid},
    }};
    const auto name = lowercased(call.textParameter(parameter, std::string(fallback)));
    const auto found = std::ranges::find(names, std::string_view(name), &std::pair<std::string_view, Kind>::first);
    if (found == names.end()) {
        call.fail("the " + std::string(parameter) + " \"" + name +
                  "\" is not one of sigmoid, tanh, relu, linear, scaled_tanh, hard_sigmoid");
    }
    return RecurrentActivation(found->second);
}

void RecurrentActivation::applyTo(std::span<float> values) const {
    switch (kind_) {
    case Kind::sigmoid:
        for (auto& v : values) v = 1.0F / (1.0F + std::exp(-v));
        break;
    case Kind::tanh:
        for (auto& v : values) v = std::tanh(v);
        break;
    case Kind::relu:
        for (auto& v : values) v = std::max(v, 0.0F);
        break;
    case Kind::linear:
        break;
    case Kind::scaledTanh:
        for (auto& v : values) v = scaledTanhAlpha * std::tanh(scaledTanhBeta * v);
        break;
    case Kind::hardSigmoid:
        for (auto& v : values) v = std::clamp(hardSigmoidAlpha * v + hardSigmoidBeta, 0.0F, 1.0F);
        break;
    }
}

} // namespace platform::coreml::mil
