#include "RazeziRuzer/Shared/ProgressEmitter.hpp"

#include <algorithm>

namespace razeziruzer {

ProgressStream ProgressEmitter::ensureSession() {
    std::lock_guard lock(mutex_);
    if (streamStorage_) return *streamStorage_;
    return startSession();
}

ProgressStream ProgressEmitter::startSession() {
    auto [stream, continuation] = ProgressStream::make();
    continuation_ = continuation;
    streamStorage_ = stream;
    continuation.yield(0.0);
    return stream;
}

void ProgressEmitter::report(double progress) {
    std::lock_guard lock(mutex_);
    if (!continuation_) return;
    continuation_->yield(std::max(0.0, std::min(1.0, progress)));
}

void ProgressEmitter::finishSession() {
    std::lock_guard lock(mutex_);
    if (!continuation_) return;
    continuation_->yield(1.0);
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
}

bool ProgressEmitter::isActive() const {
    std::lock_guard lock(mutex_);
    return streamStorage_.has_value();
}

} // namespace razeziruzer
