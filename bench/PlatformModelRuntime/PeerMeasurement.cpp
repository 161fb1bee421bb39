#include "bench/PlatformModelRuntime/PeerMeasurement.hpp"

#include "Platform/CoreML/MLModel.hpp"
#include "bench/PlatformModelRuntime/EncoderBundles.hpp"
#include "bench/PlatformModelRuntime/RawFloats.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <stdexcept>
#include <tuple>

namespace runtimebench {
namespace {

using namespace platform::coreml;
using Json = nlohmann::json;

std::string suffix(int seconds, int threads) {
    return std::to_string(seconds) + "s-" + std::to_string(threads) + "t";
}

Json readJson(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return Json::parse(file);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<float> denseFloats(const MLMultiArray& array) {
    MLMultiArray dense(array.shape(), MLMultiArrayDataType::float32);
    dense.copyContents(array);
    const auto* data = dense.dataPointer<float>();
    return {data, data + dense.count()};
}

} // namespace

PeerMeasurement measureAgainstPeer(const std::filesystem::path& folder, int seconds, int threads, int runs) {
    const auto description = readJson(folder / "encoder.json");
    const auto model = MLModel::load(encoderBundlePath(folder, seconds));
    const auto& inputs = model.modelDescription().inputDescriptionsByName;
    const auto& outputs = model.modelDescription().outputDescriptionsByName;
    if (inputs.size() != 1 || outputs.size() != 1) {
        throw std::runtime_error("the encoder should have one input and one output");
    }
    auto features = readRawFloats(encoderInputPath(folder, seconds));
    const auto shape = inputs.begin()->second.multiArrayConstraint->shape;
    MLMultiArray x(features.data(), shape, MLMultiArrayDataType::float32, {shape[1] * shape[2], shape[2], 1}, {});
    const MLDictionaryFeatureProvider input({{inputs.begin()->first, MLFeatureValue(x)}});

    // The first prediction pays for first-touch page faults; time the steady state.
    auto output = model.prediction(input);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        output = model.prediction(input);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }

    PeerMeasurement m{description.at("blocks").get<int>(), seconds, threads, description.at("precision").get<std::string>(),
                      median(times)};
    const auto peer = readJson(folder / ("peer-" + suffix(seconds, threads) + ".json"));
    m.peerMs = peer.at("ms").get<double>();
    const auto ours = denseFloats(*output.featureValue(outputs.begin()->first)->multiArrayValue());
    const auto theirs = readRawFloats(folder / ("peer-" + suffix(seconds, threads) + ".f32"));
    if (ours.size() != theirs.size()) {
        throw std::runtime_error("the outputs differ in size: " + std::to_string(ours.size()) + " against " +
                                 std::to_string(theirs.size()));
    }
    for (std::size_t i = 0; i < ours.size(); ++i) {
        // A NaN on either side makes the difference NaN, and it must show.
        const auto difference = std::abs(static_cast<double>(ours[i]) - theirs[i]);
        m.maxDifference = std::isnan(difference) || std::isnan(m.maxDifference) ? NAN : std::max(m.maxDifference, difference);
        m.largestOutput = std::max(m.largestOutput, std::abs(static_cast<double>(theirs[i])));
    }
    return m;
}

void saveMeasurement(const std::filesystem::path& folder, const PeerMeasurement& m) {
    const Json record{{"blocks", m.blocks},     {"seconds", m.seconds}, {"threads", m.threads},
                      {"precision", m.precision}, {"oursMs", m.oursMs},  {"peerMs", m.peerMs},
                      {"maxDifference", std::isnan(m.maxDifference) ? Json("nan") : Json(m.maxDifference)},
                      {"largestOutput", m.largestOutput}};
    std::ofstream(folder / ("ours-" + suffix(m.seconds, m.threads) + ".json")) << record.dump(1) << "\n";
}

std::vector<PeerMeasurement> loadMeasurements(const std::vector<std::filesystem::path>& folders) {
    std::vector<PeerMeasurement> all;
    for (const auto& folder : folders) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const auto name = entry.path().filename().string();
            if (!name.starts_with("ours-") || entry.path().extension() != ".json") {
                continue;
            }
            const auto r = readJson(entry.path());
            const auto difference = r.at("maxDifference");
            all.push_back({r.at("blocks").get<int>(), r.at("seconds").get<int>(), r.at("threads").get<int>(),
                           r.at("precision").get<std::string>(), r.at("oursMs").get<double>(), r.at("peerMs").get<double>(),
                           difference.is_number() ? difference.get<double>() : NAN, r.at("largestOutput").get<double>()});
        }
    }
    std::sort(all.begin(), all.end(), [](const PeerMeasurement& a, const PeerMeasurement& b) {
        return std::tie(a.blocks, a.seconds, a.threads, a.precision) < std::tie(b.blocks, b.seconds, b.threads, b.precision);
    });
    return all;
}

} // namespace runtimebench
