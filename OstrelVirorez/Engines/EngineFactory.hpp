#pragma once
// How the engine manager gets a fresh, unloaded adapter for an engine type.
// Tests hand the manager scripted engines through it; the application passes
// defaultEngineFactory().

#include "OstrelVirorez/Model/SettingEnums.hpp"

#include <functional>
#include <memory>

namespace ostrelvirorez {

class TranscriptionEngine;

using EngineFactory = std::function<std::shared_ptr<TranscriptionEngine>(EngineType type)>;

// The adapters of this build: the system speech engine over this platform's
// analyzer; an engine whose adapter is not part of the build comes as an
// UnavailableEngine with the adapter's name and languages.
EngineFactory defaultEngineFactory();

} // namespace ostrelvirorez
