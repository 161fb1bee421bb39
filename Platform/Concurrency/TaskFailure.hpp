#pragma once
// Runs a fire-and-forget task whose caller cannot receive its error: an
// exception is logged as a fault instead of ending the worker thread.

#include <functional>
#include <string_view>

namespace platform {

void runReportingFailure(const std::function<void()>& task, std::string_view where);

} // namespace platform
