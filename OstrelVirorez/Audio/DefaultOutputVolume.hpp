#pragma once
// The volume of the sound server's default output as one number, 0 silent
// and 1 the output's nominal full level; the balance between channels is kept
// when it is changed.

#include <optional>

namespace ostrelvirorez {

class DefaultOutputVolume {
public:
    // Absent when the server or its default output cannot be reached.
    static std::optional<float> read();
    // False when it could not be written.
    static bool write(float volume);
};

} // namespace ostrelvirorez
