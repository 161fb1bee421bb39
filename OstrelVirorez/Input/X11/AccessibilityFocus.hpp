#pragma once
// Finds the focused text element of a running application through the
// accessibility bus.

#include "OstrelVirorez/Input/FocusedElementSnapshot.hpp"

#include <optional>
#include <sys/types.h>

namespace ostrelvirorez::x11 {

// Absent when no accessibility bus answers, the application exposes no
// focused element, or that element offers no text.
std::optional<FocusedElementSnapshot> focusedTextElement(pid_t processId);

} // namespace ostrelvirorez::x11
