#pragma once
// The groups that make up the element-wise family, each in its own file.

namespace platform::coreml::mil {

class OpRegistry;

void registerBinaryOps(OpRegistry& registry);     // arithmetic, comparisons and logic with broadcasting; select
void registerUnaryOps(OpRegistry& registry);      // one-argument math and logical_not
void registerActivationOps(OpRegistry& registry); // parameterised activations and softmax
void registerConversionOps(OpRegistry& registry); // cast, clip, threshold, identity

} // namespace platform::coreml::mil
