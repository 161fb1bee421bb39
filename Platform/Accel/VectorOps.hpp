#pragma once
// Element-wise and reducing operations over float and double vectors, as plain
// loops the compiler vectorises. Inputs and outputs of one call have the same
// length (checked; a mismatch throws std::invalid_argument). An element-wise
// output may be one of its inputs (in place) but must not partly overlap one.

#include <cstddef>
#include <span>

namespace platform::accel {

// A value and its position, as returned by argMax/argMin.
template <typename T>
struct IndexedValue {
    T value;
    std::size_t index;
    bool operator==(const IndexedValue&) const = default;
};

// out = a + b, a - b, a * b (element by element).
void add(std::span<const float> a, std::span<const float> b, std::span<float> out);
void add(std::span<const double> a, std::span<const double> b, std::span<double> out);
void subtract(std::span<const float> a, std::span<const float> b, std::span<float> out);
void subtract(std::span<const double> a, std::span<const double> b, std::span<double> out);
void multiply(std::span<const float> a, std::span<const float> b, std::span<float> out);
void multiply(std::span<const double> a, std::span<const double> b, std::span<double> out);

// out = a * scalar, a + scalar, a * a.
void scale(std::span<const float> a, float scalar, std::span<float> out);
void scale(std::span<const double> a, double scalar, std::span<double> out);
void addScalar(std::span<const float> a, float scalar, std::span<float> out);
void addScalar(std::span<const double> a, double scalar, std::span<double> out);
void square(std::span<const float> a, std::span<float> out);
void square(std::span<const double> a, std::span<double> out);

// out = a limited to [low, high]; low must not exceed high. NaN stays NaN.
void clip(std::span<const float> a, float low, float high, std::span<float> out);
void clip(std::span<const double> a, double low, double high, std::span<double> out);

// out = e^a, ln a, ln(1 + a).
void exp(std::span<const float> a, std::span<float> out);
void exp(std::span<const double> a, std::span<double> out);
void log(std::span<const float> a, std::span<float> out);
void log(std::span<const double> a, std::span<double> out);
void log1p(std::span<const float> a, std::span<float> out);
void log1p(std::span<const double> a, std::span<double> out);

// Every element set to value.
void fill(std::span<float> out, float value);
void fill(std::span<double> out, double value);

// Sums in the element type (single precision for float). Empty input gives 0.
float sum(std::span<const float> a);
double sum(std::span<const double> a);
float sumOfSquares(std::span<const float> a);
double sumOfSquares(std::span<const double> a);
float dot(std::span<const float> a, std::span<const float> b);
double dot(std::span<const double> a, std::span<const double> b);

// Arithmetic mean and root mean square; 0 for empty input.
float mean(std::span<const float> a);
double mean(std::span<const double> a);
float rootMeanSquare(std::span<const float> a);
double rootMeanSquare(std::span<const double> a);

// Extremes; NaN elements are skipped. Empty (or all-NaN) input gives -inf for
// the maximum, +inf for the minimum, 0 for the largest magnitude and +inf for
// the smallest magnitude.
float maxValue(std::span<const float> a);
double maxValue(std::span<const double> a);
float minValue(std::span<const float> a);
double minValue(std::span<const double> a);
float maxMagnitude(std::span<const float> a);
double maxMagnitude(std::span<const double> a);
float minMagnitude(std::span<const float> a);
double minMagnitude(std::span<const double> a);

// The extreme value and its index; ties go to the lowest index. Empty (or
// all-NaN) input gives index 0 with -inf (argMax) or +inf (argMin).
IndexedValue<float> argMax(std::span<const float> a);
IndexedValue<double> argMax(std::span<const double> a);
IndexedValue<float> argMin(std::span<const float> a);
IndexedValue<double> argMin(std::span<const double> a);

// out (columns x rows) = the transpose of the row-major rows x columns matrix
// in; out must not overlap in.
void transpose(std::span<const float> in, std::size_t rows, std::size_t columns, std::span<float> out);
void transpose(std::span<const double> in, std::size_t rows, std::size_t columns, std::span<double> out);

} // namespace platform::accel
