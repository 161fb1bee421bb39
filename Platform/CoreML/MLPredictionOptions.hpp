#pragma once
// Options of one prediction. An output backing is a caller's array that receives
// the output of that name: the runtime writes the values into it (honouring its
// strides) and returns that same array as the output. A backing may also be
// one of the inputs: outputs are complete before any backing is written.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <map>
#include <string>

namespace platform::coreml {

struct MLPredictionOptions {
    std::map<std::string, MLMultiArray> outputBackings;
};

} // namespace platform::coreml
