#include "Platform/CoreML/MIL/ProgramModelBackend.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/CoreML/MIL/ArrayConversion.hpp"
#include "Platform/CoreML/MIL/BlobStorage.hpp"
#include "Platform/CoreML/MIL/BundleDescription.hpp"
#include "Platform/CoreML/MIL/BundleFiles.hpp"
#include "Platform/CoreML/MIL/Parallel.hpp"
#include "Platform/CoreML/MIL/ProgramParser.hpp"
#include "Platform/CoreML/MIL/TensorBufferPool.hpp"
#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"
#include "Platform/CoreML/MLModelError.hpp"

#include <map>
#include <system_error>

namespace platform::coreml::mil {
namespace {

constexpr const char* programFileName = "model.mil";
constexpr const char* metadataFileName = "metadata.json";
constexpr const char* modelPathPrefix = "@model_path/";
// Author metadata is a few kilobytes; the program text of a large model with
// its weights kept apart stays well below this too.
constexpr std::uint64_t metadataByteLimit = std::uint64_t{16} << 20;
constexpr std::uint64_t programByteLimit = std::uint64_t{1} << 30;

MLModelError noRuntime(const std::filesystem::path& modelURL, const std::string& reason) {
    return MLModelError(MLModelErrorKind::noModelRuntime,
                        MLModelError::noModelRuntime(modelURL).description() + ": " + reason);
}

Program parse(const std::filesystem::path& modelURL) {
    const auto programPath = modelURL / programFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(programPath, error)) {
        throw noRuntime(modelURL, "it holds no model.mil program (a layer-based model, which this runtime does not run)");
    }
    const auto text = readBundleFile(modelURL, programFileName, programByteLimit);
    try {
        return parseProgram(text);
    } catch (const UnknownDataTypeError& unknown) {
        throw noRuntime(modelURL, std::string(programFileName) + " " + unknown.what());
    } catch (const ProgramSyntaxError& syntax) {
        throw MLModelError::damagedModel(modelURL, std::string(programFileName) + " " + syntax.what());
    } catch (const TensorSizeError& tooLarge) {
        throw MLModelError::memoryLimitExceeded(modelURL, std::string(programFileName) + ": " + tooLarge.what());
    }
}

const Function& chooseFunction(const Program& program, const std::filesystem::path& modelURL,
                               const MLModelConfiguration& configuration) {
    const auto wanted = configuration.functionName.value_or("main");
    for (const auto& function : program.functions) {
        if (function.name == wanted) {
            return function;
        }
    }
    if (!configuration.functionName && program.functions.size() == 1) {
        return program.functions.front();
    }
    throw MLModelError(MLModelErrorKind::generic, "The model at " + modelURL.string() + " has no function named \"" + wanted + "\"");
}

nlohmann::json readMetadata(const std::filesystem::path& modelURL) {
    const auto path = modelURL / metadataFileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return nullptr;
    }
    const auto text = readBundleFile(modelURL, metadataFileName, metadataByteLimit);
    try {
        return parseBoundedJson(text);
    } catch (const nlohmann::json::exception&) {
        throw MLModelError::damagedModel(modelURL, std::string(metadataFileName) + " is not valid JSON");
    } catch (const JsonNestingError& nesting) {
        throw MLModelError::damagedModel(modelURL, std::string(metadataFileName) + ": " + nesting.what());
    }
}

// Opens each weight file once and decodes constants from it. Weight paths
// must stay inside the bundle.
class ConstantSource {
public:
    explicit ConstantSource(std::filesystem::path modelURL) : modelURL_(std::move(modelURL)) {}

    Tensor operator()(const ConstantValue& value) {
        if (value.tensor) {
            return *value.tensor;
        }
        if (!value.blob) {
            throw ProgramPreparationError(ProgramPreparationError::Reason::damaged, "this value cannot be used as a constant");
        }
        Shape shape;
        for (const auto& dimension : value.type.shape) {
            if (!dimension.size) {
                throw ProgramPreparationError(ProgramPreparationError::Reason::damaged, "a weight-file constant must have a fixed shape");
            }
            shape.push_back(*dimension.size);
        }
        try {
            return storage(value.blob->path).read(value.blob->offset, value.type.dataType, shape);
        } catch (const BlobStorageError& error) {
            const auto reason = error.kind() == BlobStorageErrorKind::unsupported ? ProgramPreparationError::Reason::unsupported
                                                                                   : ProgramPreparationError::Reason::damaged;
            throw ProgramPreparationError(reason, error.what());
        }
    }

private:
    const BlobStorage& storage(const std::string& written) {
        const auto found = opened_.find(written);
        if (found != opened_.end()) {
            return *found->second;
        }
        return *opened_.emplace(written, BlobStorage::open(resolve(written))).first->second;
    }

    std::filesystem::path resolve(const std::string& written) const {
        const std::string prefix = modelPathPrefix;
        const auto relative = std::filesystem::path(written.starts_with(prefix) ? written.substr(prefix.size()) : written).lexically_normal();
        if (relative.empty() || relative.is_absolute() || *relative.begin() == "..") {
            throw ProgramPreparationError(ProgramPreparationError::Reason::damaged,
                                          "the weight file \"" + written + "\" lies outside the model folder");
        }
        try {
            return resolveInsideBundle(modelURL_, relative);
        } catch (const BundlePathError& outside) {
            throw ProgramPreparationError(ProgramPreparationError::Reason::damaged, outside.what());
        }
    }

    std::filesystem::path modelURL_;
    std::map<std::string, std::shared_ptr<const BlobStorage>> opened_;
};

} // namespace

std::shared_ptr<ProgramModelBackend> ProgramModelBackend::load(const std::filesystem::path& modelURL,
                                                               const MLModelConfiguration& configuration) {
    const auto program = parse(modelURL);
    const auto& function = chooseFunction(program, modelURL, configuration);
    const auto metadata = readMetadata(modelURL);
    const auto threads = modelThreadCount(configuration.threadCount);
    const ThreadBudget budget(threads);
    try {
        ConstantSource constants(modelURL);
        auto prepared = std::make_unique<const PreparedFunction>(
            function, OpRegistry::standard(), [&constants](const ConstantValue& value) { return constants(value); });
        auto description = describeBundle(*prepared, metadata);
        return std::make_shared<ProgramModelBackend>(Key{}, std::move(prepared), std::move(description), threads);
    } catch (const ProgramPreparationError& error) {
        const auto where = std::string(programFileName) + " " + error.what();
        switch (error.reason()) {
        case ProgramPreparationError::Reason::unsupported: throw noRuntime(modelURL, where);
        case ProgramPreparationError::Reason::tooLarge: throw MLModelError::memoryLimitExceeded(modelURL, where);
        case ProgramPreparationError::Reason::damaged: break;
        }
        throw MLModelError::damagedModel(modelURL, where);
    } catch (const TensorSizeError& tooLarge) {
        throw MLModelError::memoryLimitExceeded(modelURL, std::string(programFileName) + ": " + tooLarge.what());
    }
}

ProgramModelBackend::ProgramModelBackend(Key, std::unique_ptr<const PreparedFunction> function, MLModelDescription description,
                                         std::size_t threads)
    : function_(std::move(function)), description_(std::move(description)), threads_(threads) {}

std::unique_ptr<ProgramRunner> ProgramModelBackend::borrowRunner() {
    {
        const std::lock_guard lock(idleMutex_);
        if (!idleRunners_.empty()) {
            auto runner = std::move(idleRunners_.back());
            idleRunners_.pop_back();
            return runner;
        }
    }
    return std::make_unique<ProgramRunner>(*function_);
}

void ProgramModelBackend::returnRunner(std::unique_ptr<ProgramRunner> runner) {
    const std::lock_guard lock(idleMutex_);
    idleRunners_.push_back(std::move(runner));
}

std::map<std::string, MLFeatureValue> ProgramModelBackend::predict(const MLFeatureProvider& inputs, MLState* state) {
    // Inputs and states converted for the run reuse the buffers of earlier predictions too.
    const TensorBufferPool::Scope pooled;
    std::map<std::string, Tensor> given;
    for (const auto& input : function_->inputs()) {
        const auto value = inputs.featureValue(input.name);
        const auto array = value ? value->multiArrayValue() : std::nullopt;
        if (array) {
            given.emplace(input.name, toTensor(*array, input.type.dataType));
        }
    }
    std::vector<Tensor> states;
    for (const auto& declared : function_->states()) {
        if (state == nullptr) {
            throw MLModelError(MLModelErrorKind::featureType, "This model keeps state; predict with an MLState");
        }
        states.push_back(toTensor(state->multiArray(declared.name), declared.type.dataType));
    }
    // A runner starts every run afresh, so one whose run failed is handed back too.
    auto runner = borrowRunner();
    std::vector<Tensor> outputs;
    try {
        const ThreadBudget budget(threads_);
        outputs = runner->run(given, states);
    } catch (...) {
        returnRunner(std::move(runner));
        throw;
    }
    returnRunner(std::move(runner));
    for (std::size_t i = 0; i < states.size(); ++i) {
        copyInto(states[i], state->multiArray(function_->states()[i].name));
    }
    std::map<std::string, MLFeatureValue> results;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto& declared = function_->outputs()[i];
        results.insert_or_assign(declared.name, MLFeatureValue(toMultiArray(outputs[i], multiArrayDataType(declared.type.dataType))));
    }
    return results;
}

} // namespace platform::coreml::mil
