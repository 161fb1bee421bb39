#pragma once
// Life-cycle state of a set of models, with the text shown for it and whether
// it is a transition in progress. The transitions belong to its owners.

#include <string>

namespace pelluxcore {

enum class ModelState {
    unloading,
    unloaded,
    loading,
    loaded,
    prewarming,
    prewarmed,
    downloading,
    downloaded,
};

std::string description(ModelState state);
// True for the four transitional states.
bool isBusy(ModelState state);

} // namespace pelluxcore
