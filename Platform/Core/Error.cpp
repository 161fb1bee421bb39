#include "Platform/Core/Error.hpp"

namespace platform {

std::string describeError(const std::exception_ptr& error, const std::string& fallback) {
    if (!error) return fallback;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        return caught.what();
    } catch (...) {
        return fallback;
    }
}

} // namespace platform
