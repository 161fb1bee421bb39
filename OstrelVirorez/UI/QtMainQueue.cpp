#include "OstrelVirorez/UI/QtMainQueue.hpp"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <utility>

namespace ostrelvirorez {
namespace {

void postTo(QObject* context, platform::MainQueue::Task task) {
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

} // namespace

QtMainQueue::QtMainQueue() : context_(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(Task task) {
    postTo(context_.get(), std::move(task));
}

platform::TimerHandle QtMainQueue::postAfter(platform::Clock::Duration delay, Task task) {
    const auto handle = platform::TimerHandle::make();
    auto guarded = [handle, task = std::move(task)] {
        if (!handle.isCancelled()) task();
    };
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
    if (milliseconds.count() <= 0) {
        postTo(context_.get(), std::move(guarded));
        return handle;
    }
    // Timers belong to the context's thread, so they are started there.
    QObject* context = context_.get();
    postTo(context, [context, milliseconds, guarded = std::move(guarded)] {
        QTimer::singleShot(milliseconds, Qt::PreciseTimer, context, guarded);
    });
    return handle;
}

bool QtMainQueue::isCurrent() const {
    return QThread::currentThread() == context_->thread();
}

} // namespace ostrelvirorez
