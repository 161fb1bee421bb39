#pragma once
// The default backend of the model layer: runs a compiled program bundle
// ("model.mil", its weight files and "metadata.json") on the CPU with this
// interpreter. Loading parses and prepares the chosen function once; the
// prepared program is shared by all predictions, each of which borrows a
// runner of its own, so predictions may run on several threads at once.

#include "Platform/CoreML/MIL/PreparedFunction.hpp"
#include "Platform/CoreML/MIL/ProgramRunner.hpp"
#include "Platform/CoreML/MLModelBackend.hpp"
#include "Platform/CoreML/MLModelConfiguration.hpp"

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::coreml::mil {

class ProgramModelBackend : public MLModelBackend {
    struct Key {};

public:
    // Throws MLModelError: noModelRuntime for a bundle without a program (the
    // older layer-based kind), an operation or element type this runtime does
    // not know; damagedModel for a program that cannot be parsed, refers to
    // undefined values or lacks arguments, and for missing, truncated or
    // inconsistent weights; generic for a function name the program lacks.
    static std::shared_ptr<ProgramModelBackend> load(const std::filesystem::path& modelURL,
                                                     const MLModelConfiguration& configuration);

    ProgramModelBackend(Key, std::unique_ptr<const PreparedFunction> function, MLModelDescription description,
                        std::size_t threads);

    const MLModelDescription& modelDescription() const override { return description_; }
    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs, MLState* state) override;

private:
    std::unique_ptr<ProgramRunner> borrowRunner();
    void returnRunner(std::unique_ptr<ProgramRunner> runner);

    std::unique_ptr<const PreparedFunction> function_;
    MLModelDescription description_;
    std::size_t threads_;
    std::mutex idleMutex_;
    std::vector<std::unique_ptr<ProgramRunner>> idleRunners_;
};

} // namespace platform::coreml::mil
