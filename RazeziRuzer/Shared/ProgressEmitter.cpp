#include "RazeziRuzer/Shared/ProgressEmitter.hpp"

#include <algorithm>

namespace razeziruzer {

ProgressStream ProgressEmitter::ensureSession() {
    std::lock_guard lock(mutex_);
    if (streamStorage_) return *streamStorage_;
    return startSession();
}

ProgressStream ProgressEmitter::startSession() {
    if (streamStorage_) return *streamStorage_;
    auto [stream, continuation] = ProgressStream::make();
    continuation_ = continuation;
    streamStorage_ = stream;
    isActive_ = true;
    continuation.yield(0.0);
    return stream;
}

void ProgressEmitter::report(double progress) {
    std::lock_guard lock(mutex_);
    if (!isActive_ || !continuation_) return;
    continuation_->yield(std::max(0.0, std::min(1.0, progress)));
}

void ProgressEmitter::finishSession() {
    std::lock_guard lock(mutex_);
    if (!isActive_) return;
    if (continuation_) continuation_->yield(1.0);
    endSession(nullptr);
}

void ProgressEmitter::failSession(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    endSession(std::move(error));
}

void ProgressEmitter::endSession(std::exception_ptr error) {
    if (continuation_) continuation_->finish(std::move(error));
    continuation_.reset();
    streamStorage_.reset();
    isActive_ = false;
}

bool ProgressEmitter::isActive() const {
    std::lock_guard lock(mutex_);
    return isActive_;
}

} // namespace razeziruzer
