#include "PelluxCore/MLModelExtensions.hpp"

namespace pelluxcore {

using namespace platform::coreml;

MLDictionaryFeatureProvider asyncPrediction(const MLModel& model, const MLFeatureProvider& from,
                                            const MLPredictionOptions& options) {
    return model.prediction(from, options);
}

MLDictionaryFeatureProvider asyncPrediction(const MLModel& model, const MLFeatureProvider& from, MLState& using_,
                                            const MLPredictionOptions& options) {
    return model.prediction(from, using_, options);
}

} // namespace pelluxcore
