#pragma once
// A multi-dimensional array of numbers handed to and returned by models.
//
// MLMultiArray is a handle: copies share the same storage, as references to
// one array object would, so `a = b` makes `a` see and change `b`'s elements.
// Constness of a handle does not protect the elements (as with std::span); use
// clone() for an independent copy. Shape, strides and data type never change
// after creation. Strides are in elements, and every element operation honours
// them.

#include "Platform/CoreML/MLMultiArrayDataType.hpp"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

namespace platform::coreml {

class MLMultiArray {
public:
    using Deallocator = std::function<void(void* bytes)>;

    // One element, read and written as a number converted to and from the
    // array's data type.
    class Element {
    public:
        operator double() const { return doubleValue(); }
        double doubleValue() const;
        float floatValue() const { return static_cast<float>(doubleValue()); }
        // Truncated toward zero and saturated at the int32 limits.
        std::int32_t int32Value() const;

        Element& operator=(double value);
        Element& operator=(const Element& other) { return *this = other.doubleValue(); }
        Element(const Element&) = default;

    private:
        friend class MLMultiArray;
        Element(void* address, MLMultiArrayDataType type) : address_(address), type_(type) {}

        void* address_;
        MLMultiArrayDataType type_;
    };

    // New dense row-major array in zero-filled storage aligned to 64 bytes.
    MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType);
    // The same, every element set to initialValue.
    MLMultiArray(std::vector<std::int64_t> shape, MLMultiArrayDataType dataType, double initialValue);
    // An array over memory the caller provides, laid out with the given strides
    // from dataPointer. The deallocator (which may be empty) runs exactly once,
    // when the last handle goes; capturing another array's handle in it keeps
    // that array's storage alive for a view. When construction throws, the
    // deallocator does not run and the memory stays the caller's.
    MLMultiArray(void* dataPointer, std::vector<std::int64_t> shape, MLMultiArrayDataType dataType,
                 std::vector<std::int64_t> strides, Deallocator deallocator);

    const std::vector<std::int64_t>& shape() const { return shape_; }
    const std::vector<std::int64_t>& strides() const { return strides_; }
    std::int64_t count() const { return count_; }
    MLMultiArrayDataType dataType() const { return dataType_; }
    // Address of the element at all-zero indices.
    void* dataPointer() const { return data_; }
    // Typed address; throws MLModelError (generic) when T is not the storage type
    // (std::uint16_t stands for the raw bits of float16).
    template <typename T>
    T* dataPointer() const;

    bool isContiguous() const;
    // True when the memory spans of the two arrays overlap (copies of one
    // handle, views into one buffer). Conservative: interleaved arrays whose
    // elements never meet also count as sharing.
    bool sharesMemory(const MLMultiArray& other) const;
    // True when both handles denote the same array: same storage, start, layout and type.
    bool isIdentical(const MLMultiArray& other) const;

    // Element at a row-major linear index over the shape (not a memory offset).
    Element operator[](std::int64_t linearIndex) const;
    // Element at one index per dimension.
    Element operator[](std::initializer_list<std::int64_t> indices) const;
    Element operator[](std::span<const std::int64_t> indices) const;

    void fill(double value) const;
    // Copies every element of an array of the same shape, converting between
    // data types; the two arrays may share storage.
    void copyContents(const MLMultiArray& source) const;
    // An independent dense row-major copy.
    MLMultiArray clone() const;

private:
    void checkTypedAccess(MLMultiArrayDataType requested) const;
    void* addressOf(std::int64_t elementOffset) const;

    std::vector<std::int64_t> shape_;
    std::vector<std::int64_t> strides_;
    std::int64_t count_ = 0;
    MLMultiArrayDataType dataType_;
    void* data_ = nullptr;
    std::shared_ptr<void> storage_;
};

namespace detail {
template <typename T>
struct StorageType;
template <> struct StorageType<float> { static constexpr auto value = MLMultiArrayDataType::float32; };
template <> struct StorageType<double> { static constexpr auto value = MLMultiArrayDataType::float64; };
template <> struct StorageType<std::int32_t> { static constexpr auto value = MLMultiArrayDataType::int32; };
template <> struct StorageType<std::int8_t> { static constexpr auto value = MLMultiArrayDataType::int8; };
template <> struct StorageType<std::uint16_t> { static constexpr auto value = MLMultiArrayDataType::float16; };
} // namespace detail

template <typename T>
T* MLMultiArray::dataPointer() const {
    checkTypedAccess(detail::StorageType<std::remove_const_t<T>>::value);
    return static_cast<T*>(data_);
}

} // namespace platform::coreml
