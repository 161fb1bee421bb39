#pragma once
// Model variants and step sizes of the LS-EEND streaming diarizer; each bundle
// lies in a folder named after its step.

#include "RazeziRuzer/ModelNameSet.hpp"
#include "RazeziRuzer/Repo.hpp"
#include "RazeziRuzer/Shared/RawValue.hpp"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace razeziruzer {

namespace ModelNames::LSEEND {

enum class Variant : std::uint8_t { ami, callhome, dihard2, dihard3 };

// Hundreds of milliseconds between outputs.
enum class StepSize : std::uint8_t { step100ms = 1, step200ms, step300ms, step400ms, step500ms };

Repo repo(Variant variant);
std::string_view name(Variant variant);
std::string_view description(Variant variant);
// e.g. "100ms/ls_eend_ami_100ms.mlmodelc"
std::string fileName(Variant variant, StepSize step);
// e.g. "ls_eend_dih2_300ms"
std::string name(Variant variant, StepSize step);

int rawValue(StepSize step);
std::string_view description(StepSize step);

inline constexpr Variant defaultVariant = Variant::dihard3;
inline constexpr StepSize defaultStep = StepSize::step100ms;

// Both enumerations print as their description.
std::ostream& operator<<(std::ostream& stream, Variant variant);
std::ostream& operator<<(std::ostream& stream, StepSize step);

std::vector<std::string> bundle(Variant variant, StepSize step);
const std::vector<std::string>& defaultBundle();
// Every variant with every step, whichever LS-EEND repository is fetched.
const ModelNameSet& requiredModels();

} // namespace ModelNames::LSEEND

template <>
std::optional<ModelNames::LSEEND::StepSize> fromRawValue<ModelNames::LSEEND::StepSize>(int rawValue);
template <>
std::span<const ModelNames::LSEEND::StepSize> allCases<ModelNames::LSEEND::StepSize>();
template <>
std::span<const ModelNames::LSEEND::Variant> allCases<ModelNames::LSEEND::Variant>();

} // namespace razeziruzer
