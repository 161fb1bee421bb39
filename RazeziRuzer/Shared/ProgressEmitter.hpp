#pragma once
// Publishes the progress of one long transcription at a time as a stream of
// fractions: 0 when a session starts, clamped reports, 1 when it finishes.
// Operations run one at a time.

#include "RazeziRuzer/Shared/ProgressStream.hpp"

#include <exception>
#include <mutex>
#include <optional>

namespace razeziruzer {

class ProgressEmitter {
public:
    ProgressEmitter() = default;
    ProgressEmitter(const ProgressEmitter&) = delete;
    ProgressEmitter& operator=(const ProgressEmitter&) = delete;

    // The current stream, starting a session first when there is none.
    ProgressStream ensureSession();
    void report(double progress);
    void finishSession();
    void failSession(std::exception_ptr error);

    bool isActive() const;

private:
    ProgressStream startSession();  // requires mutex_ held and no session
    void endSession(std::exception_ptr error);  // requires mutex_ held

    mutable std::mutex mutex_;
    std::optional<ProgressStream::Continuation> continuation_;
    std::optional<ProgressStream> streamStorage_; // present exactly while a session is active
};

} // namespace razeziruzer
