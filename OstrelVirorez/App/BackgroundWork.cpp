#include "OstrelVirorez/App/BackgroundWork.hpp"

#include "Platform/Concurrency/ThreadPool.hpp"
#include "Platform/Core/Error.hpp"

namespace ostrelvirorez {

Executor sharedPoolExecutor() {
    return [](std::function<void()> task) { platform::ThreadPool::shared().execute(std::move(task)); };
}

std::string describeError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const platform::Error& known) {
        return known.description();
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace ostrelvirorez
