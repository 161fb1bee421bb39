#include "tests/Support/ParakeetBundles/ModelCallRecorder.hpp"

#include "Platform/CoreML/MIL/ProgramModelBackend.hpp"

namespace testsupport::parakeet {
namespace {

using namespace platform::coreml;

template <typename Log>
class RecordingBackend final : public MLModelBackend {
public:
    RecordingBackend(std::shared_ptr<MLModelBackend> inner, std::shared_ptr<Log> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}

    const MLModelDescription& modelDescription() const override { return inner_->modelDescription(); }
    MLState makeState() const override { return inner_->makeState(); }

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs, MLState* state) override {
        const auto start = std::chrono::steady_clock::now();
        auto outputs = inner_->predict(inputs, state);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const std::lock_guard lock(log_->mutex);
        ++log_->calls.count;
        log_->calls.time += std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed);
        for (const auto& name : inputs.featureNames()) {
            const auto value = inputs.featureValue(name);
            if (const auto array = value ? value->multiArrayValue() : std::nullopt) {
                log_->calls.inputShapes[name].insert(array->shape());
            }
        }
        return outputs;
    }

private:
    std::shared_ptr<MLModelBackend> inner_;
    std::shared_ptr<Log> log_;
};

} // namespace

void ModelCallRecorder::watch(const std::filesystem::path& folder, const std::string& label) {
    auto& log = logs_[label];
    if (!log) log = std::make_shared<Log>();
    registrations_.push_back(MLModelBackendRegistry::shared().registerBackend(
        MLModelBackendRegistry::forPath(folder),
        [log](const std::filesystem::path& url, const MLModelConfiguration& configuration) -> std::shared_ptr<MLModelBackend> {
            return std::make_shared<RecordingBackend<Log>>(mil::ProgramModelBackend::load(url, configuration), log);
        }));
}

ModelCallRecorder::Calls ModelCallRecorder::calls(const std::string& label) const {
    const auto found = logs_.find(label);
    if (found == logs_.end()) return {};
    const std::lock_guard lock(found->second->mutex);
    return found->second->calls;
}

void ModelCallRecorder::reset() {
    for (const auto& [label, log] : logs_) {
        const std::lock_guard lock(log->mutex);
        log->calls = {};
    }
}

} // namespace testsupport::parakeet
