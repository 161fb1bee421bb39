#pragma once
// A question a settings editor asks before a destructive change: the alert's
// texts and the action its destructive button runs. Open while a view-model
// holds one; either button closes it.

#include <functional>
#include <string>

namespace ostrelvirorez {

struct ConfirmationRequest {
    std::string title;
    std::string message;
    std::string confirmTitle; // the destructive button; "Cancel" is the other
    std::function<void()> confirm;
};

} // namespace ostrelvirorez
