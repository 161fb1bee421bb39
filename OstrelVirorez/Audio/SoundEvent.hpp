#pragma once
// The moments of a dictation that are confirmed by a sound; the raw value
// names the sound's resource.

#include <array>
#include <optional>
#include <string_view>

namespace ostrelvirorez {

enum class SoundEvent { recordingStartClaude, recordingStop, done, error };

inline constexpr std::array<SoundEvent, 4> allSoundEvents{SoundEvent::recordingStartClaude,
                                                          SoundEvent::recordingStop, SoundEvent::done,
                                                          SoundEvent::error};

std::string_view rawValue(SoundEvent event);

template <typename Enum>
std::optional<Enum> fromRawValue(std::string_view raw);
// Exactly the four raw values; anything else is no event.
template <>
std::optional<SoundEvent> fromRawValue<SoundEvent>(std::string_view raw);

} // namespace ostrelvirorez
