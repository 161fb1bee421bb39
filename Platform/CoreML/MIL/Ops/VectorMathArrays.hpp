#pragma once
// The vector math functions over whole arrays, and the pieces of a softmax
// row. Each is compiled for several x86-64 levels (AVX-512, AVX2 with FMA, and
// the portable baseline) and the widest the processor runs is chosen once at
// load. `out` has the size of `in` and may be the same array.

#include <span>

namespace platform::coreml::mil::vmath {

void exp(std::span<const float> in, std::span<float> out);
void log(std::span<const float> in, std::span<float> out);
void sigmoid(std::span<const float> in, std::span<float> out);
void tanh(std::span<const float> in, std::span<float> out);
void erf(std::span<const float> in, std::span<float> out);
void softplus(std::span<const float> in, std::span<float> out);
void silu(std::span<const float> in, std::span<float> out);
void geluErf(std::span<const float> in, std::span<float> out);
void geluTanh(std::span<const float> in, std::span<float> out);
void geluSigmoid(std::span<const float> in, std::span<float> out);

// The largest value, -inf for none; NaN values are passed over.
float largestOf(std::span<const float> values);

// out[i] = e^(in[i] - shift); returns the sum of the results, added in double.
double expShifted(std::span<const float> in, std::span<float> out, float shift);

// values[i] *= factor
void scale(std::span<float> values, float factor);

} // namespace platform::coreml::mil::vmath
