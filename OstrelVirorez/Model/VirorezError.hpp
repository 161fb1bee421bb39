#pragma once
// The failures the recording pipeline raises itself; the description is the
// text the user sees in the error state.

#include "Platform/Core/Error.hpp"

#include <functional>
#include <string_view>

namespace ostrelvirorez {

enum class VirorezErrorKind { noAudioData, emptyTranscription, clipboardEmpty };

std::string_view description(VirorezErrorKind kind);

class VirorezError : public platform::ErrorOf<VirorezErrorKind> {
public:
    explicit VirorezError(VirorezErrorKind kind);

    static VirorezError noAudioData() { return VirorezError(VirorezErrorKind::noAudioData); }
    static VirorezError emptyTranscription() { return VirorezError(VirorezErrorKind::emptyTranscription); }
    static VirorezError clipboardEmpty() { return VirorezError(VirorezErrorKind::clipboardEmpty); }

    friend bool operator==(const VirorezError& left, const VirorezError& right) {
        return left.kind() == right.kind();
    }
};

} // namespace ostrelvirorez

template <>
struct std::hash<ostrelvirorez::VirorezError> {
    std::size_t operator()(const ostrelvirorez::VirorezError& error) const noexcept {
        return std::hash<ostrelvirorez::VirorezErrorKind>{}(error.kind());
    }
};
