#pragma once
// The operations the interpreter can run: for each operation type its kernel
// and the arguments a program must bind. A program naming an operation that
// is not here cannot run on this platform.

#include "Platform/CoreML/MIL/OpCall.hpp"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::coreml::mil {

// Computes an operation's results, in declared order, as fresh tensors. The
// element type of a float result may be left as fp32: the interpreter labels
// results with their declared float type (fp16 values are held as float).
using Kernel = std::function<std::vector<Tensor>(const OpCall&)>;

// For a weight-decompression operation computed at load: its one result kept
// packed (see PackedMatrix) when the stored form allows it, else nothing.
using PackingKernel = std::function<std::optional<Tensor>(const OpCall&)>;

struct OpDefinition {
    Kernel kernel;
    std::vector<std::string> required; // arguments that must be bound
    // False for operations whose results differ between calls with the same
    // arguments (random numbers): never computed ahead at load.
    bool deterministic = true;
    PackingKernel packingKernel = {};
};

class OpRegistry {
public:
    void add(std::string opType, OpDefinition definition);
    const OpDefinition* find(std::string_view opType) const;
    std::vector<std::string> opTypes() const;

    // Every operation family of the interpreter, built once.
    static const OpRegistry& standard();

private:
    std::map<std::string, OpDefinition, std::less<>> definitions_;
};

} // namespace platform::coreml::mil
