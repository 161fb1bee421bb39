#pragma once
// What the application state needs of the Caps Lock mapping: switch it on or
// off, and have it removed when the application terminates.

namespace ostrelvirorez {

class CapsLockRemapping {
public:
    virtual ~CapsLockRemapping() = default;

    // Both report failure through their own log lines and result only.
    virtual bool apply() = 0;
    virtual bool revert() = 0;
    virtual void installTerminationGuard() = 0;
};

} // namespace ostrelvirorez
