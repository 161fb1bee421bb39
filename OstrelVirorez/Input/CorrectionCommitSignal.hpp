#pragma once
// A key that commits what the user typed in a field: Return (or keypad
// Enter) and Tab. Correction learning ends its watch on either.

namespace ostrelvirorez {

enum class CorrectionCommitSignal { returnKey, tabKey };

} // namespace ostrelvirorez
