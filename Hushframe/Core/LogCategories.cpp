#include "Hushframe/Core/LogCategories.hpp"

#include <string>

namespace hushframe::Logging {

// Function-local statics give each channel its one-time, thread-safe creation;
// a signposter's creation makes sure its logger exists first.

const platform::Logger& AudioEncoding::logger() {
    static const platform::Logger logger(std::string(subsystem), "AudioEncoding");
    return logger;
}

OSSignposter& AudioEncoding::signposter() {
    static OSSignposter signposter(logger());
    return signposter;
}

const platform::Logger& FeatureExtractor::logger() {
    static const platform::Logger logger(std::string(subsystem), "FeatureExtractor");
    return logger;
}

OSSignposter& FeatureExtractor::signposter() {
    static OSSignposter signposter(logger());
    return signposter;
}

const platform::Logger& TranscribeTask::logger() {
    static const platform::Logger logger(std::string(subsystem), "TranscribeTask");
    return logger;
}

OSSignposter& TranscribeTask::signposter() {
    static OSSignposter signposter(logger());
    return signposter;
}

OSSignpostIntervalState beginSignpost(std::string_view, OSSignposter& signposter) {
    // Signposts are never enabled here, so no begin event is emitted; the
    // state is still made so that callers need no special case.
    return OSSignpostIntervalState(signposter.makeSignpostID());
}

void endSignpost(std::string_view, const OSSignpostIntervalState&, OSSignposter&) {
    // With signposts disabled the end emits nothing and the state stays as it is.
}

} // namespace hushframe::Logging
