#include "OstrelVirorez/App/BackgroundWork.hpp"

#include "Platform/Concurrency/ThreadPool.hpp"
#include "Platform/Core/Error.hpp"

namespace ostrelvirorez {

Executor sharedPoolExecutor() {
    return [](std::function<void()> task) { platform::ThreadPool::shared().execute(std::move(task)); };
}

} // namespace ostrelvirorez
