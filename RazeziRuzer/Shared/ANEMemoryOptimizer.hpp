#pragma once
// A named pool of aligned model arrays shared between threads behind one
// lock, with the copy and view helpers the diarizers and the voice-activity
// detector use. Failures surface as DiarizerError.

#include "Platform/CoreML/MLMultiArray.hpp"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace razeziruzer {

class ANEMemoryOptimizer {
public:
    using MLMultiArray = platform::coreml::MLMultiArray;
    using MLMultiArrayDataType = platform::coreml::MLMultiArrayDataType;

    static constexpr std::size_t aneAlignment = 64; // bytes
    static constexpr std::int64_t aneTileSize = 16; // elements

    ANEMemoryOptimizer() = default;
    ANEMemoryOptimizer(const ANEMemoryOptimizer&) = delete;
    ANEMemoryOptimizer& operator=(const ANEMemoryOptimizer&) = delete;

    // A zeroed aligned array; any failure is DiarizerError memoryAllocationFailed.
    MLMultiArray createAlignedArray(const std::vector<std::int64_t>& shape, MLMultiArrayDataType dataType);

    // The array pooled under key when it has this shape and type (the same
    // array, contents as left), else a new zeroed one that replaces it.
    MLMultiArray getPooledBuffer(const std::string& key, const std::vector<std::int64_t>& shape,
                                 MLMultiArrayDataType dataType);
    void initializePooledBuffer(const std::string& key, const std::vector<std::int64_t>& shape,
                                MLMultiArrayDataType dataType);
    void clearBufferPool();

    // Writes the values into a float32 array from element `offset` on (row-major
    // element order, through the array's strides), as many as fit; with pad the
    // elements after them are set to 0. Other element types are left untouched.
    // An offset outside 0...count throws DiarizerError invalidArrayBounds.
    void optimizedCopy(std::span<const float> from, const MLMultiArray& to, std::int64_t offset, bool pad);

    // A view of the source's elements offset, offset + 1, ... (row-major) in
    // the new shape, sharing and keeping alive the source's storage. Throws
    // DiarizerError invalidArrayBounds when the run passes the source's end or
    // cannot be addressed with one set of strides (it crosses padding).
    MLMultiArray createZeroCopyView(const MLMultiArray& from, const std::vector<std::int64_t>& shape,
                                    std::int64_t offset);

private:
    MLMultiArray makePooledArray(const std::string& key, const std::vector<std::int64_t>& shape,
                                 MLMultiArrayDataType dataType); // requires bufferLock held

    std::map<std::string, MLMultiArray> bufferPool;
    std::mutex bufferLock;
};

} // namespace razeziruzer
