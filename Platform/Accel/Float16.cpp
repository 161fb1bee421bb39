#include "Platform/Accel/Float16.hpp"

#include <stdexcept>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace platform::accel {
namespace {

#if defined(__x86_64__)
// Processors with the half-precision conversion instructions convert eight
// values per instruction, with the same round-to-nearest-even as the scalar path.
// Asked of the processor directly: not every compiler knows "f16c" as a name
// for __builtin_cpu_supports. AVX also needs the system to save its registers.
bool detectHalfInstructions() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return false;
    }
    constexpr unsigned osSavesState = 1u << 27, avx = 1u << 28, f16c = 1u << 29;
    if ((ecx & (osSavesState | avx | f16c)) != (osSavesState | avx | f16c)) {
        return false;
    }
    unsigned low = 0, high = 0;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    constexpr unsigned sseAndAvxState = 0x6;
    return (low & sseAndAvxState) == sseAndAvxState;
}

bool hasHalfInstructions() {
    static const bool has = detectHalfInstructions();
    return has;
}

__attribute__((target("f16c,avx"))) std::size_t halfToFloatVector(const std::uint16_t* source, float* destination,
                                                                   std::size_t count) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const auto half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        _mm256_storeu_ps(destination + i, _mm256_cvtph_ps(half));
    }
    return i;
}

__attribute__((target("f16c,avx"))) std::size_t floatToHalfVector(const float* source, std::uint16_t* destination,
                                                                   std::size_t count) {
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const auto half = _mm256_cvtps_ph(_mm256_loadu_ps(source + i), _MM_FROUND_TO_NEAREST_INT);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), half);
    }
    return i;
}
#endif

} // namespace

void convertHalfToFloat(std::span<const std::uint16_t> source, std::span<float> destination) {
    if (source.size() != destination.size()) throw std::invalid_argument("float16 conversion: length mismatch");
    std::size_t done = 0;
#if defined(__x86_64__)
    if (hasHalfInstructions()) {
        done = halfToFloatVector(source.data(), destination.data(), source.size());
    }
#endif
    for (std::size_t i = done; i < source.size(); ++i) destination[i] = halfToFloat(source[i]);
}

void convertFloatToHalf(std::span<const float> source, std::span<std::uint16_t> destination) {
    if (source.size() != destination.size()) throw std::invalid_argument("float16 conversion: length mismatch");
    std::size_t done = 0;
#if defined(__x86_64__)
    if (hasHalfInstructions()) {
        done = floatToHalfVector(source.data(), destination.data(), source.size());
    }
#endif
    for (std::size_t i = done; i < source.size(); ++i) destination[i] = floatToHalf(source[i]);
}

} // namespace platform::accel
