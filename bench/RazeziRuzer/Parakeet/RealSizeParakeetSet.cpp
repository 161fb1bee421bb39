#include "bench/RazeziRuzer/Parakeet/RealSizeParakeetSet.hpp"

#include "bench/RazeziRuzer/Parakeet/MelPreprocessorBundle.hpp"
#include "tests/Support/ParakeetBundles/PredictionBundles.hpp"
#include "tests/Support/ParakeetBundles/SeededUniform.hpp"

#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

namespace parakeetbench {
namespace {

namespace tp = testsupport::parakeet;

constexpr std::int64_t vocabularySize = 8192;
constexpr std::int64_t tokenClasses = vocabularySize + 1; // and the blank, last
constexpr std::int64_t durationClasses = 5;               // advances 0 to 4
constexpr std::int64_t jointWidth = 640;
// Changing anything the writer produces must change this, so old sets are rewritten.
constexpr const char* formatStamp = "parakeet-bench-set 3";
// The blank's row weighs this much more than a token's, so that its logit
// swings from frame to frame (random encoders give frames much alike), and
// sits this far above the token logits (whose spread is about 1): with the
// duration biases below, tokens come two to four a second.
constexpr float blankSpread = 8.0f;
constexpr float blankBias = 1.0f;
constexpr std::array<float, durationClasses> durationBias{-2.0f, 0.0f, 1.0f, 1.5f, 1.0f};

float uniformScale(std::int64_t fanIn) { return std::sqrt(3.0f / static_cast<float>(fanIn)); }

tp::DecoderWeights decoderWeights() {
    tp::SeededUniform random(640);
    tp::DecoderWeights d;
    d.rows = tokenClasses;
    d.embeddingWidth = tp::lstmWidth;
    d.embeddingType = tp::DataType::fp16;
    d.embedding = random.halfValues(static_cast<std::size_t>(tokenClasses * tp::lstmWidth), 1.0f);
    const auto scale = uniformScale(tp::lstmWidth);
    for (auto& layer : d.lstm) {
        layer = {random.halfValues(static_cast<std::size_t>(tp::lstmGates * tp::lstmWidth), scale),
                 random.halfValues(static_cast<std::size_t>(tp::lstmGates * tp::lstmWidth), scale),
                 random.halfValues(static_cast<std::size_t>(tp::lstmGates), 0.1f)};
    }
    return d;
}

tp::JointWeights jointWeights() {
    tp::SeededUniform random(8193);
    tp::JointWeights j;
    j.width = jointWidth;
    j.tokenClasses = tokenClasses;
    j.durationClasses = durationClasses;
    j.encW = random.halfValues(static_cast<std::size_t>(jointWidth * tp::encoderWidth), uniformScale(tp::encoderWidth));
    j.encB = random.halfValues(static_cast<std::size_t>(jointWidth), 0.1f);
    j.decW = random.halfValues(static_cast<std::size_t>(jointWidth * tp::lstmWidth), uniformScale(tp::lstmWidth));
    j.decB = random.halfValues(static_cast<std::size_t>(jointWidth), 0.1f);
    j.outW = random.halfValues(static_cast<std::size_t>((tokenClasses + durationClasses) * jointWidth),
                               uniformScale(jointWidth));
    const auto blankRow = j.outW.begin() + (tokenClasses - 1) * jointWidth;
    for (auto weight = blankRow; weight != blankRow + jointWidth; ++weight) *weight *= blankSpread;
    j.outB = random.halfValues(static_cast<std::size_t>(tokenClasses + durationClasses), 0.1f);
    j.outB[static_cast<std::size_t>(tokenClasses - 1)] += blankBias;
    for (std::size_t d = 0; d < durationBias.size(); ++d) j.outB[static_cast<std::size_t>(tokenClasses) + d] += durationBias[d];
    return j;
}

// Made-up pieces, about a third of them word starts.
std::vector<std::string> pieces() {
    static const char* const consonants[] = {"b", "d", "f", "g", "k", "l", "m", "n", "p", "r", "s", "t", "v", "z", "ch", "st"};
    static const char* const vowels[] = {"a", "e", "i", "o", "u", "ai", "ou", "ea"};
    std::vector<std::string> out;
    for (std::int64_t id = 0; id < vocabularySize; ++id) {
        std::string piece = id % 3 == 0 ? "\u2581" : "";
        for (auto rest = id; ; rest /= 128) {
            piece += std::string(consonants[rest % 16]) + vowels[(rest / 16) % 8];
            if (rest < 128) break;
        }
        out.push_back(std::move(piece));
    }
    return out;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

std::string SetOptions::name() const {
    return std::string(encoderPrecision == Precision::fp16 ? "encoder-fp16" : "encoder-fp32") +
           (flexible ? "-flexible" : "-fixed");
}

std::filesystem::path ensureRealSizeSet(const std::filesystem::path& root, const SetOptions& options, std::ostream& log) {
    const auto repository = root / options.name() / "models" / "parakeet-tdt-0.6b-v3";
    const auto stamp = repository / ".complete";
    {
        std::ifstream existing(stamp);
        std::string line;
        if (existing && std::getline(existing, line) && line == formatStamp) return repository;
    }
    log << "Writing the " << options.name() << " set to " << repository << " ..." << std::flush;
    const auto start = std::chrono::steady_clock::now();
    std::filesystem::remove_all(repository);
    writeMelPreprocessor(repository / "Preprocessor.mlmodelc", options.flexible);
    const auto parameters =
        writeConformerEncoder(repository / "Encoder.mlmodelc", options.encoderPrecision, options.flexible);
    tp::writeDecoder(repository / "Decoder.mlmodelc", decoderWeights());
    tp::writeJoint(repository / "JointDecisionv3.mlmodelc", jointWeights());
    tp::writeVocabulary(repository / "parakeet_vocab.json", pieces());
    std::ofstream(stamp) << formatStamp << "\n";
    log << " " << static_cast<double>(parameters) / 1e6 << " M encoder parameters, " << secondsSince(start) << " s\n";
    return repository;
}

} // namespace parakeetbench
