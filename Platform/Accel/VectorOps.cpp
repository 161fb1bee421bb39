#include "Platform/Accel/VectorOps.hpp"

#include "Platform/Accel/BufferOverlap.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace platform::accel {

namespace {

void requireSameLength(std::size_t a, std::size_t b, const char* operation) {
    if (a != b)
        throw std::invalid_argument(std::string(operation) + ": lengths differ (" + std::to_string(a) + " and " +
                                    std::to_string(b) + ")");
}

// In place is fine; a shifted overlap would read values already overwritten.
template <typename T>
void requireNoPartialOverlap(std::span<const T> in, std::span<T> out, const char* operation) {
    if (in.data() != out.data() && buffersOverlap(in, out))
        throw std::invalid_argument(std::string(operation) + ": output partly overlaps an input");
}

template <typename T, typename Function>
void map(const char* operation, std::span<const T> a, std::span<T> out, Function function) {
    requireSameLength(a.size(), out.size(), operation);
    requireNoPartialOverlap(a, out, operation);
    for (std::size_t i = 0; i < a.size(); ++i) out[i] = function(a[i]);
}

template <typename T, typename Function>
void zip(const char* operation, std::span<const T> a, std::span<const T> b, std::span<T> out, Function function) {
    requireSameLength(a.size(), b.size(), operation);
    requireSameLength(a.size(), out.size(), operation);
    requireNoPartialOverlap(a, out, operation);
    requireNoPartialOverlap(b, out, operation);
    for (std::size_t i = 0; i < a.size(); ++i) out[i] = function(a[i], b[i]);
}

// Sum of term(i) over i < count, kept in eight running lanes so the loop
// vectorises without reassociating a single accumulator.
template <typename T, typename Term>
T accumulate(std::size_t count, Term term) {
    constexpr std::size_t lanes = 8;
    std::array<T, lanes> partial{};
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes)
        for (std::size_t lane = 0; lane < lanes; ++lane) partial[lane] += term(i + lane);
    for (std::size_t lane = 0; i < count; ++i, ++lane) partial[lane] += term(i);
    T total = 0;
    for (const T value : partial) total += value;
    return total;
}

template <typename T>
T sumOf(std::span<const T> a) {
    return accumulate<T>(a.size(), [a](std::size_t i) { return a[i]; });
}

template <typename T>
T sumOfSquaresOf(std::span<const T> a) {
    return accumulate<T>(a.size(), [a](std::size_t i) { return a[i] * a[i]; });
}

template <typename T>
T dotOf(std::span<const T> a, std::span<const T> b) {
    requireSameLength(a.size(), b.size(), "dot");
    return accumulate<T>(a.size(), [a, b](std::size_t i) { return a[i] * b[i]; });
}

template <typename T>
T meanOf(std::span<const T> a) {
    return a.empty() ? T(0) : sumOf(a) / static_cast<T>(a.size());
}

template <typename T>
T rootMeanSquareOf(std::span<const T> a) {
    return a.empty() ? T(0) : std::sqrt(sumOfSquaresOf(a) / static_cast<T>(a.size()));
}

// The first element for which better(element, best) holds against every
// earlier one; NaN never compares better, so it is skipped.
template <typename T, typename Better>
IndexedValue<T> extreme(std::span<const T> a, T start, Better better) {
    IndexedValue<T> best{start, 0};
    for (std::size_t i = 0; i < a.size(); ++i)
        if (better(a[i], best.value)) best = {a[i], i};
    return best;
}

template <typename T>
IndexedValue<T> argMaxOf(std::span<const T> a) {
    return extreme(a, -std::numeric_limits<T>::infinity(), [](T x, T best) { return x > best; });
}

template <typename T>
IndexedValue<T> argMinOf(std::span<const T> a) {
    return extreme(a, std::numeric_limits<T>::infinity(), [](T x, T best) { return x < best; });
}

template <typename T>
T maxValueOf(std::span<const T> a) {
    T best = -std::numeric_limits<T>::infinity();
    for (const T x : a) best = x > best ? x : best;
    return best;
}

template <typename T>
T minValueOf(std::span<const T> a) {
    T best = std::numeric_limits<T>::infinity();
    for (const T x : a) best = x < best ? x : best;
    return best;
}

template <typename T>
T maxMagnitudeOf(std::span<const T> a) {
    T best = 0;
    for (const T x : a) best = std::abs(x) > best ? std::abs(x) : best;
    return best;
}

template <typename T>
T minMagnitudeOf(std::span<const T> a) {
    T best = std::numeric_limits<T>::infinity();
    for (const T x : a) best = std::abs(x) < best ? std::abs(x) : best;
    return best;
}

template <typename T>
void clipOf(std::span<const T> a, T low, T high, std::span<T> out) {
    if (!(low <= high)) throw std::invalid_argument("clip: low bound above high bound");
    map("clip", a, out, [low, high](T x) { return x < low ? low : (x > high ? high : x); });
}

template <typename T>
void transposeOf(std::span<const T> in, std::size_t rows, std::size_t columns, std::span<T> out) {
    if (columns != 0 && rows > std::numeric_limits<std::size_t>::max() / columns)
        throw std::invalid_argument("transpose: matrix too large");
    requireSameLength(in.size(), rows * columns, "transpose");
    requireSameLength(out.size(), rows * columns, "transpose");
    if (buffersOverlap(in, out)) throw std::invalid_argument("transpose: output overlaps input");
    // Tiles keep both the reads and the writes within a few cache lines.
    constexpr std::size_t tile = 32;
    for (std::size_t r0 = 0; r0 < rows; r0 += tile)
        for (std::size_t c0 = 0; c0 < columns; c0 += tile)
            for (std::size_t r = r0; r < std::min(rows, r0 + tile); ++r)
                for (std::size_t c = c0; c < std::min(columns, c0 + tile); ++c) out[c * rows + r] = in[r * columns + c];
}

} // namespace

void add(std::span<const float> a, std::span<const float> b, std::span<float> out) {
    zip("add", a, b, out, [](float x, float y) { return x + y; });
}
void add(std::span<const double> a, std::span<const double> b, std::span<double> out) {
    zip("add", a, b, out, [](double x, double y) { return x + y; });
}
void subtract(std::span<const float> a, std::span<const float> b, std::span<float> out) {
    zip("subtract", a, b, out, [](float x, float y) { return x - y; });
}
void subtract(std::span<const double> a, std::span<const double> b, std::span<double> out) {
    zip("subtract", a, b, out, [](double x, double y) { return x - y; });
}
void multiply(std::span<const float> a, std::span<const float> b, std::span<float> out) {
    zip("multiply", a, b, out, [](float x, float y) { return x * y; });
}
void multiply(std::span<const double> a, std::span<const double> b, std::span<double> out) {
    zip("multiply", a, b, out, [](double x, double y) { return x * y; });
}

void scale(std::span<const float> a, float scalar, std::span<float> out) {
    map("scale", a, out, [scalar](float x) { return x * scalar; });
}
void scale(std::span<const double> a, double scalar, std::span<double> out) {
    map("scale", a, out, [scalar](double x) { return x * scalar; });
}
void addScalar(std::span<const float> a, float scalar, std::span<float> out) {
    map("addScalar", a, out, [scalar](float x) { return x + scalar; });
}
void addScalar(std::span<const double> a, double scalar, std::span<double> out) {
    map("addScalar", a, out, [scalar](double x) { return x + scalar; });
}
void square(std::span<const float> a, std::span<float> out) {
    map("square", a, out, [](float x) { return x * x; });
}
void square(std::span<const double> a, std::span<double> out) {
    map("square", a, out, [](double x) { return x * x; });
}

void clip(std::span<const float> a, float low, float high, std::span<float> out) { clipOf(a, low, high, out); }
void clip(std::span<const double> a, double low, double high, std::span<double> out) { clipOf(a, low, high, out); }

void exp(std::span<const float> a, std::span<float> out) {
    map("exp", a, out, [](float x) { return std::exp(x); });
}
void exp(std::span<const double> a, std::span<double> out) {
    map("exp", a, out, [](double x) { return std::exp(x); });
}
void log(std::span<const float> a, std::span<float> out) {
    map("log", a, out, [](float x) { return std::log(x); });
}
void log(std::span<const double> a, std::span<double> out) {
    map("log", a, out, [](double x) { return std::log(x); });
}
void log1p(std::span<const float> a, std::span<float> out) {
    map("log1p", a, out, [](float x) { return std::log1p(x); });
}
void log1p(std::span<const double> a, std::span<double> out) {
    map("log1p", a, out, [](double x) { return std::log1p(x); });
}

void fill(std::span<float> out, float value) { std::fill(out.begin(), out.end(), value); }
void fill(std::span<double> out, double value) { std::fill(out.begin(), out.end(), value); }

float sum(std::span<const float> a) { return sumOf(a); }
double sum(std::span<const double> a) { return sumOf(a); }
float sumOfSquares(std::span<const float> a) { return sumOfSquaresOf(a); }
double sumOfSquares(std::span<const double> a) { return sumOfSquaresOf(a); }
float dot(std::span<const float> a, std::span<const float> b) { return dotOf(a, b); }
double dot(std::span<const double> a, std::span<const double> b) { return dotOf(a, b); }

float mean(std::span<const float> a) { return meanOf(a); }
double mean(std::span<const double> a) { return meanOf(a); }
float rootMeanSquare(std::span<const float> a) { return rootMeanSquareOf(a); }
double rootMeanSquare(std::span<const double> a) { return rootMeanSquareOf(a); }

float maxValue(std::span<const float> a) { return maxValueOf(a); }
double maxValue(std::span<const double> a) { return maxValueOf(a); }
float minValue(std::span<const float> a) { return minValueOf(a); }
double minValue(std::span<const double> a) { return minValueOf(a); }
float maxMagnitude(std::span<const float> a) { return maxMagnitudeOf(a); }
double maxMagnitude(std::span<const double> a) { return maxMagnitudeOf(a); }
float minMagnitude(std::span<const float> a) { return minMagnitudeOf(a); }
double minMagnitude(std::span<const double> a) { return minMagnitudeOf(a); }

IndexedValue<float> argMax(std::span<const float> a) { return argMaxOf(a); }
IndexedValue<double> argMax(std::span<const double> a) { return argMaxOf(a); }
IndexedValue<float> argMin(std::span<const float> a) { return argMinOf(a); }
IndexedValue<double> argMin(std::span<const double> a) { return argMinOf(a); }

void transpose(std::span<const float> in, std::size_t rows, std::size_t columns, std::span<float> out) {
    transposeOf(in, rows, columns, out);
}
void transpose(std::span<const double> in, std::size_t rows, std::size_t columns, std::span<double> out) {
    transposeOf(in, rows, columns, out);
}

} // namespace platform::accel
