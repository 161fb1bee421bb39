#include "Platform/Defaults/DefaultsValue.hpp"

namespace platform {

bool operator==(const DefaultsValue& left, const DefaultsValue& right) { return left.storage_ == right.storage_; }

} // namespace platform
