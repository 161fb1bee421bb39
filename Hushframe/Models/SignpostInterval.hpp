#pragma once
// A signpost interval that is open while the object lives, so that it is
// closed on every way out of a stage, errors included.

#include "Hushframe/Core/LogCategories.hpp"

#include <string_view>

namespace hushframe {

class SignpostInterval {
public:
    // `name` must outlive the interval.
    SignpostInterval(std::string_view name, OSSignposter& signposter)
        : name_(name), signposter_(signposter), state_(Logging::beginSignpost(name, signposter)) {}
    ~SignpostInterval() { Logging::endSignpost(name_, state_, signposter_); }
    SignpostInterval(const SignpostInterval&) = delete;
    SignpostInterval& operator=(const SignpostInterval&) = delete;

private:
    std::string_view name_;
    OSSignposter& signposter_;
    OSSignpostIntervalState state_;
};

} // namespace hushframe
