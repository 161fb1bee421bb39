#include "RazeziRuzer/ModelNamesLSEEND.hpp"

#include <array>
#include <ostream>

namespace razeziruzer {

namespace ModelNames::LSEEND {

namespace {

constexpr std::array<Variant, 4> variants{Variant::ami, Variant::callhome, Variant::dihard2, Variant::dihard3};
constexpr std::array<StepSize, 5> steps{StepSize::step100ms, StepSize::step200ms, StepSize::step300ms,
                                        StepSize::step400ms, StepSize::step500ms};

} // namespace

Repo repo(Variant variant) {
    switch (variant) {
    case Variant::ami: return Repo::lseendAmi;
    case Variant::callhome: return Repo::lseendCallHome;
    case Variant::dihard2: return Repo::lseendDihard2;
    case Variant::dihard3: return Repo::lseendDihard3;
    }
    return Repo::lseendDihard3;
}

std::string_view name(Variant variant) {
    switch (variant) {
    case Variant::ami: return "ls_eend_ami";
    case Variant::callhome: return "ls_eend_ch";
    case Variant::dihard2: return "ls_eend_dih2";
    case Variant::dihard3: return "ls_eend_dih3";
    }
    return "";
}

std::string_view description(Variant variant) {
    return name(variant);
}

int rawValue(StepSize step) {
    return static_cast<int>(step);
}

std::string_view description(StepSize step) {
    switch (step) {
    case StepSize::step100ms: return "100ms";
    case StepSize::step200ms: return "200ms";
    case StepSize::step300ms: return "300ms";
    case StepSize::step400ms: return "400ms";
    case StepSize::step500ms: return "500ms";
    }
    return "";
}

std::string name(Variant variant, StepSize step) {
    return std::string(name(variant)) + "_" + std::string(description(step));
}

std::string fileName(Variant variant, StepSize step) {
    return std::string(description(step)) + "/" + name(variant, step) + ".mlmodelc";
}

std::ostream& operator<<(std::ostream& stream, Variant variant) {
    return stream << description(variant);
}

std::ostream& operator<<(std::ostream& stream, StepSize step) {
    return stream << description(step);
}

std::vector<std::string> bundle(Variant variant, StepSize step) {
    return {fileName(variant, step)};
}

const std::vector<std::string>& defaultBundle() {
    static const auto names = bundle(defaultVariant, defaultStep);
    return names;
}

const ModelNameSet& requiredModels() {
    static const auto names = [] {
        ModelNameSet result;
        for (const auto variant : variants) {
            for (const auto step : steps) result.insert(fileName(variant, step));
        }
        return result;
    }();
    return names;
}

} // namespace ModelNames::LSEEND

template <>
std::optional<ModelNames::LSEEND::StepSize> fromRawValue<ModelNames::LSEEND::StepSize>(int raw) {
    for (const auto step : ModelNames::LSEEND::steps) {
        if (ModelNames::LSEEND::rawValue(step) == raw) return step;
    }
    return std::nullopt;
}

template <>
std::span<const ModelNames::LSEEND::StepSize> allCases<ModelNames::LSEEND::StepSize>() {
    return ModelNames::LSEEND::steps;
}

template <>
std::span<const ModelNames::LSEEND::Variant> allCases<ModelNames::LSEEND::Variant>() {
    return ModelNames::LSEEND::variants;
}

} // namespace razeziruzer
