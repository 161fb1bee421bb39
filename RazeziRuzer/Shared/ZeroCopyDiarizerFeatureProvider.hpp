#pragma once
// The diarizers' immutable feature provider over a ready map of feature
// values: chaining one model's output into the next with extra inputs, and
// one provider per waveform and mask pair for batches.

#include "Platform/CoreML/MLFeatureProvider.hpp"
#include "Platform/CoreML/MLMultiArray.hpp"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace razeziruzer {

class ZeroCopyDiarizerFeatureProvider : public platform::coreml::MLFeatureProvider {
public:
    using MLFeatureValue = platform::coreml::MLFeatureValue;
    using MLMultiArray = platform::coreml::MLMultiArray;

    explicit ZeroCopyDiarizerFeatureProvider(std::map<std::string, MLFeatureValue> features);

    std::set<std::string> featureNames() const override;
    std::optional<MLFeatureValue> featureValue(const std::string& featureName) const override;

    // additionalFeatures plus the provider's output named outputName under the
    // name `to` (replacing an additional feature of that name); none when the
    // provider has no such output.
    static std::optional<ZeroCopyDiarizerFeatureProvider> chain(
        const platform::coreml::MLFeatureProvider& from, const std::string& outputName, const std::string& to,
        std::map<std::string, MLFeatureValue> additionalFeatures);

    // One provider with "waveform" and "mask" per pair, as many as the shorter list.
    static std::vector<ZeroCopyDiarizerFeatureProvider> batchProvider(const std::vector<MLMultiArray>& waveforms,
                                                                      const std::vector<MLMultiArray>& masks);

private:
    const std::map<std::string, MLFeatureValue> features;
};

} // namespace razeziruzer
