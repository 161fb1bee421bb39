#pragma once
// Base of every error the system throws: a readable description that is the
// system's own text, and (through ErrorOf) the kind a test can match on.

#include <exception>
#include <stdexcept>
#include <string>

namespace platform {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& description) : std::runtime_error(description) {}

    std::string description() const { return what(); }
};

// An error enumeration of the system: one exception class whose kind() says
// which case it is. Cases with associated values keep them as extra members
// of the derived class.
template <typename Kind>
class ErrorOf : public Error {
public:
    ErrorOf(Kind kind, const std::string& description) : Error(description), kind_(kind) {}

    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// The description of a caught error: its what() text, or `fallback` when
// there is no error or it is not a std::exception.
std::string describeError(const std::exception_ptr& error, const std::string& fallback = "Unknown error");

} // namespace platform
