#pragma once
// A scripted multilingual Nemotron model set for tests: all nine models
// (preprocessor, plain or stateful encoder, decoder, joint, the three fused
// decoders and the batched joint) with tiny dimensions from a test
// "metadata.json", registered for a folder the recogniser loads through the
// model layer.
//
// The encoder numbers its frames across the stream with a count it keeps in
// its caches (a lost, stale or replayed cache breaks the numbering). Every
// decoder model counts its emissions in its state and reports the token it
// was fed. Every joint-like model then applies one rule: at stream frame g,
// after e emissions, emit the script's next token of frame g while frame g
// has one left, else the blank; a fed token, a state or an emission count
// that does not fit the script yields errorToken instead. So a decode that is
// right on every path gives exactly the script's tokens at their frames.

#include "Platform/CoreML/MLModelBackendRegistry.hpp"
#include "Platform/CoreML/ScriptedModelBackend.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace razeziruzer::multilingualkit {

inline constexpr int wordCount = 20;       // ids 0 ..< 20: "▁w<id>"
inline constexpr int englishTag = 20;      // "<en>"
inline constexpr int germanTag = 21;       // "<de>"
inline constexpr int bareTag = 22;         // "auto", a tag without brackets
inline constexpr int errorToken = 23;      // "▁ERR"
inline constexpr int blankId = 24;
inline constexpr std::int64_t projWidth = 640;

// Which tokens each stream frame emits, frame by frame (at most ten each).
struct Script {
    std::vector<std::vector<int>> tokensPerFrame;
    // The decoder state before the first emission: the fed token and the
    // count of decoder calls a forced prefix already consumed.
    int initialToken = blankId;
    int initialEmissions = 0;

    std::vector<int> allTokens() const;
    // The token the rule gives at frame g after e emissions when fed `fed` with consistent states.
    int choose(std::int64_t frame, std::int64_t emissions, std::int64_t fed, bool statesAgree) const;
};

struct KitOptions {
    int chunkMelFrames = 56;  // 7 encoder frames per chunk
    bool decoder = true;
    bool joint = true;
    bool decoderJoint = false;
    bool decoderJointArgmax = false;
    bool decoderJointNoEncProj = false;
    bool jointBatched = false;
    bool encoderProj = true;
    bool statefulEncoder = false;
    std::int64_t batchWindow = 8;
    bool halfPrecisionOutputs = false;  // encoded, encoder_proj and every logits as float16
    std::int64_t encoderProjWidth = projWidth;
    bool emptyTokenId = false;
    // Outputs declared without a fixed shape, so the recogniser preallocates
    // none and a dropped output reaches it as missing.
    bool flexibleOutputs = false;          // the arg-max model answers a token_id of no elements
    std::string extraMetadata;          // more JSON members, e.g. "\"lang_tag_token_ids\": [20]"
};

// Options with exactly these decode models present (b1, b2, b3: the fused
// decoder-joint, arg-max and no-projection arrangements).
inline KitOptions withModels(bool decoder, bool joint, bool b1, bool b2, bool b3, bool batched) {
    KitOptions options;
    options.decoder = decoder;
    options.joint = joint;
    options.decoderJoint = b1;
    options.decoderJointArgmax = b2;
    options.decoderJointNoEncProj = b3;
    options.jointBatched = batched;
    return options;
}

// Test controls read by the models at every call.
struct KitControl {
    std::mutex mutex;
    Script script;
    // Called with the model's name before it answers; may throw to fail the call.
    std::function<void(const std::string& model)> beforeCall;
    // "<model>:<output>" entries left out of the answers, e.g. "decoder_joint:c_out".
    std::set<std::string> droppedOutputs;
};

class ScriptedMultilingualKit {
public:
    ScriptedMultilingualKit(const std::filesystem::path& folder, KitOptions options);

    const std::filesystem::path& folder() const { return folder_; }
    KitControl& control() { return *control_; }
    void setScript(Script script);
    std::int64_t framesPerChunk() const { return options_.chunkMelFrames / 8; }
    std::int64_t chunkSamples() const { return options_.chunkMelFrames * 160; }

    // Calls answered by the model of that file stem ("decoder", "joint_noencproj_batched", ...).
    std::size_t calls(const std::string& model) const;
    std::shared_ptr<platform::coreml::ScriptedModelBackend> backend(const std::string& model) const;

private:
    void add(const std::string& name, std::shared_ptr<platform::coreml::ScriptedModelBackend> backend);

    std::filesystem::path folder_;
    KitOptions options_;
    std::shared_ptr<KitControl> control_;
    std::map<std::string, std::shared_ptr<platform::coreml::ScriptedModelBackend>> backends_;
    std::vector<platform::coreml::MLModelBackendRegistry::Registration> registrations_;
};

} // namespace razeziruzer::multilingualkit
