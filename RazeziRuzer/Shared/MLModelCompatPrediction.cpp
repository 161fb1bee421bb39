#include "RazeziRuzer/Shared/MLModelCompatPrediction.hpp"

namespace razeziruzer {

platform::coreml::MLDictionaryFeatureProvider compatPrediction(const platform::coreml::MLModel& model,
                                                               const platform::coreml::MLFeatureProvider& from,
                                                               const platform::coreml::MLPredictionOptions& options) {
    return model.prediction(from, options);
}

} // namespace razeziruzer
