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

// The real adapter of each engine type (parakeet for any other value); the
// system speech engine runs over this platform's analyzer.
EngineFactory defaultEngineFactory();

} // namespace ostrelvirorez
