#include "RazeziRuzer/Diarizer/Offline/Extraction/PLDATransform.hpp"

#include "Platform/Concurrency/Cancellation.hpp"
#include "Platform/Core/Logger.hpp"
#include "Platform/CoreML/MLModelBackend.hpp"
#include "RazeziRuzer/Diarizer/Offline/Core/OfflineDiarizationError.hpp"
#include "tests/Support/FunctionModelBackend.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace razeziruzer {
namespace {

using platform::coreml::MLFeatureProvider;
using platform::coreml::MLFeatureValue;
using platform::coreml::MLModelDescription;
using platform::coreml::MLMultiArray;
using platform::coreml::MLMultiArrayDataType;

// A scripted rho model: rho[i][k] = embedding[i][k] + embedding[i][k + 128];
// it records the batch size of every call and can fail the warm-up.
class ScriptedRhoModel final : public platform::coreml::MLModelBackend {
public:
    explicit ScriptedRhoModel(bool answersRho = true)
        : answersRho_(answersRho),
          description_(MLModelDescription::make(
              {testsupport::anyShape("embeddings")}, {testsupport::anyShape(answersRho ? "rho" : "other")})) {}

    const MLModelDescription& modelDescription() const override { return description_; }

    std::map<std::string, MLFeatureValue> predict(const MLFeatureProvider& inputs, platform::coreml::MLState*) override {
        const auto input = *inputs.featureValue("embeddings")->multiArrayValue();
        const auto rows = input.shape()[0];
        batches.push_back(rows);
        if (failWarmup && batches.size() == 1) throw std::runtime_error("warm-up refused");
        MLMultiArray rho({rows, 128}, MLMultiArrayDataType::float32);
        for (std::int64_t i = 0; i < rows; ++i) {
            for (std::int64_t k = 0; k < 128; ++k) {
                rho[{i, k}] = input[{i, k}].doubleValue() + input[{i, k + 128}].doubleValue();
            }
        }
        return {{answersRho_ ? "rho" : "other", MLFeatureValue(rho)}};
    }

    std::vector<std::int64_t> batches;
    bool failWarmup = false;

private:
    bool answersRho_;
    MLModelDescription description_;
};

std::vector<std::vector<float>> embeddings(std::size_t count) {
    std::vector<std::vector<float>> out;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<float> e(256, 0.0f);
        e[0] = static_cast<float>(i);
        e[128] = 0.5f;
        e[127] = 1.0f;
        out.push_back(e);
    }
    return out;
}

TEST(PLDATransformTests, RunsInBatchesOfThirtyTwoAfterAWarmUp) {
    const auto backend = std::make_shared<ScriptedRhoModel>();
    const PLDATransform plda(platform::coreml::MLModel(backend), std::vector<double>(128, 3.0));
    const auto rho = plda.transform(embeddings(33));
    EXPECT_EQ(backend->batches, (std::vector<std::int64_t>{1, 32, 1}));
    ASSERT_EQ(rho.size(), 33u);
    for (std::size_t i = 0; i < rho.size(); ++i) {
        ASSERT_EQ(rho[i].size(), 128u);
        EXPECT_EQ(rho[i][0], static_cast<double>(i) + 0.5);
        EXPECT_EQ(rho[i][127], 1.0);
        EXPECT_EQ(rho[i][1], 0.0);
    }
    EXPECT_EQ(plda.psi(), std::vector<double>(128, 3.0));
    EXPECT_EQ(plda.transform(embeddings(1)[0]), rho[0]);
}

TEST(PLDATransformTests, NothingRunsForNoEmbeddingsOrAWrongLength) {
    const auto backend = std::make_shared<ScriptedRhoModel>();
    const PLDATransform plda(platform::coreml::MLModel(backend), {});
    EXPECT_TRUE(plda.transform(std::vector<std::vector<float>>{}).empty());
    auto list = embeddings(6);
    list[5].resize(255);
    try {
        plda.transform(list);
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.kind(), OfflineDiarizationErrorKind::invalidConfiguration);
        EXPECT_EQ(error.message(), "Expected 256-dim embeddings, got 255");
    }
    try {
        plda.transform(std::vector<float>(10, 1.0f));
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.message(), "Expected 256-dim embedding, got 10");
    }
    EXPECT_TRUE(backend->batches.empty());
}

TEST(PLDATransformTests, FailuresAndStops) {
    platform::ScopedLogCapture capture;
    const auto failing = std::make_shared<ScriptedRhoModel>();
    failing->failWarmup = true;
    const PLDATransform plda(platform::coreml::MLModel(failing), {});
    EXPECT_EQ(plda.transform(embeddings(2)).size(), 2u);
    EXPECT_TRUE(capture.contains("PLDA warmup skipped due to error: warm-up refused"));

    const PLDATransform silent(platform::coreml::MLModel(std::make_shared<ScriptedRhoModel>(false)), {});
    try {
        silent.transform(embeddings(2));
        FAIL() << "no error";
    } catch (const OfflineDiarizationError& error) {
        EXPECT_EQ(error.kind(), OfflineDiarizationErrorKind::processingFailed);
        EXPECT_EQ(error.message(), "PldaRho model did not produce rho output");
    }

    const auto backend = std::make_shared<ScriptedRhoModel>();
    const PLDATransform stopped(platform::coreml::MLModel(backend), {});
    std::stop_source stop;
    stop.request_stop();
    EXPECT_THROW(stopped.transform(embeddings(40), stop.get_token()), platform::CancellationError);
    EXPECT_EQ(backend->batches, std::vector<std::int64_t>{1});
}

TEST(PLDATransformTests, Score) {
    std::vector<double> a(128, 0.0), b(128, 0.0);
    a[0] = 3;
    a[1] = 4;
    b[0] = 4;
    b[1] = 3;
    EXPECT_NEAR(PLDATransform::score(a, a), 1.0, 1e-15);
    EXPECT_NEAR(PLDATransform::score(a, b), 24.0 / 25.0, 1e-15);
    EXPECT_EQ(PLDATransform::score(std::vector<double>(127, 1.0), std::vector<double>(127, 1.0)), 0.0);
    EXPECT_EQ(PLDATransform::score(a, std::vector<double>(128, 0.0)), 0.0);
}

} // namespace
} // namespace razeziruzer
