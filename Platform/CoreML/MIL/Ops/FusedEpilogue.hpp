#pragma once
// What a linear step applies to its product's tiles when an activation or a
// residual addition was folded into it at load (see EpilogueFusion).

#include "Platform/CoreML/MIL/OpCall.hpp"
#include "Platform/CoreML/MIL/Ops/MatrixProduct.hpp"

namespace platform::coreml::mil {

// Fails the call for an unknown activation or a residual not of `result`'s shape.
ProductEpilogue fusedEpilogue(const OpCall& call, const Tensor& result);

} // namespace platform::coreml::mil
