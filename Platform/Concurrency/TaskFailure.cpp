#include "Platform/Concurrency/TaskFailure.hpp"

#include "Platform/Core/Logger.hpp"

#include <exception>
#include <string>

namespace platform {

void runReportingFailure(const std::function<void()>& task, std::string_view where) {
    try {
        task();
    } catch (const std::exception& error) {
        Logger("platform", "concurrency").fault(std::string("Task on ") + std::string(where) + " failed: " + error.what());
    } catch (...) {
        Logger("platform", "concurrency").fault(std::string("Task on ") + std::string(where) + " failed with an unknown error");
    }
}

} // namespace platform
