#pragma once
// The focused text element of the target application and its text at the
// moment of the snapshot. The element is kept so it can be read again.

#include <memory>
#include <optional>
#include <string>

namespace ostrelvirorez {

// A reference to one accessible element of another application.
class AccessibleElement {
public:
    virtual ~AccessibleElement() = default;
    // Equal for two references to the same element.
    virtual std::string identifier() const = 0;
    // The element's text now; absent when it can no longer be read as text.
    virtual std::optional<std::string> currentValue() const = 0;
};

struct FocusedElementSnapshot {
    std::shared_ptr<const AccessibleElement> element;
    std::string value;
};

} // namespace ostrelvirorez
