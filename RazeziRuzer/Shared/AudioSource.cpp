#include "RazeziRuzer/Shared/AudioSource.hpp"

namespace razeziruzer {

std::string_view description(AudioSource source) {
    switch (source) {
    case AudioSource::microphone: return "microphone";
    case AudioSource::system: return "system";
    }
    return "microphone";
}

} // namespace razeziruzer
