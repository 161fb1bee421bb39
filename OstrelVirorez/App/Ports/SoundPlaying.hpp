#pragma once
// What the application state needs of the confirmation sounds.

#include "OstrelVirorez/Audio/SoundEvent.hpp"

namespace ostrelvirorez {

class SoundPlaying {
public:
    virtual ~SoundPlaying() = default;

    virtual void preload() = 0;
    // Returns at once; an event without a loaded sound plays its fallback.
    virtual void play(SoundEvent event) = 0;
};

} // namespace ostrelvirorez
