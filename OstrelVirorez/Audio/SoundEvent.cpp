#include "OstrelVirorez/Audio/SoundEvent.hpp"

namespace ostrelvirorez {

std::string_view rawValue(SoundEvent event) {
    switch (event) {
    case SoundEvent::recordingStartClaude: return "recording_start_claude";
    case SoundEvent::recordingStop: return "recording_stop";
    case SoundEvent::done: return "done_tick";
    case SoundEvent::error: return "error_thud";
    }
    return {};
}

template <>
std::optional<SoundEvent> fromRawValue<SoundEvent>(std::string_view raw) {
    for (const SoundEvent event : allSoundEvents) {
        if (rawValue(event) == raw) return event;
    }
    return std::nullopt;
}

} // namespace ostrelvirorez
