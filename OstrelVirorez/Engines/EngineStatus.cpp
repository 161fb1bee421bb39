#include "OstrelVirorez/Engines/EngineStatus.hpp"

namespace ostrelvirorez {

std::string describe(const EngineStatus& status) {
    switch (status.kind()) {
    case EngineStatus::Kind::idle: return "idle";
    case EngineStatus::Kind::downloading: return "downloading";
    case EngineStatus::Kind::loading: return "loading";
    case EngineStatus::Kind::ready: return "ready";
    case EngineStatus::Kind::error: return "error(" + status.message() + ")";
    }
    return {};
}

} // namespace ostrelvirorez
