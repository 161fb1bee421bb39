#pragma once
// Small services on model arrays: filling one with a single number and
// touching its ends before a prediction reads it.

#include "Platform/CoreML/MLMultiArray.hpp"

namespace razeziruzer {

// Every element of a float32 array becomes the value, of an int32 array the
// value truncated toward zero (saturated); other element types stay as they
// are. Elements are reached through the strides, so padding is left alone.
void reset(const platform::coreml::MLMultiArray& array, double to);

// Reads the first and the last element, so their memory is resident.
void prefetchToNeuralEngine(const platform::coreml::MLMultiArray& array);

} // namespace razeziruzer
