#pragma once
// One object kept for the whole life of the process: built in place and never
// destroyed, so that code running while static objects are torn down at exit
// (exit handlers, destructors of other statics, pool threads finishing) still
// finds it intact. For the few process-wide services that such code reaches,
// such as the log channels and their sink.

#include <memory>
#include <utility>

namespace platform {

template <typename T>
class Immortal {
public:
    template <typename... Arguments>
    explicit Immortal(Arguments&&... arguments) {
        std::construct_at(&value_, std::forward<Arguments>(arguments)...);
    }
    // Leaves the object in place on purpose.
    ~Immortal() {}
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;

    T& get() { return value_; }
    const T& get() const { return value_; }

private:
    union {
        T value_;
    };
};

} // namespace platform
