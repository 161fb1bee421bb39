#include "tests/Support/ParakeetBundles/CodedBundles.hpp"

#include "tests/Support/ParakeetBundles/PredictionBundles.hpp"

namespace testsupport::parakeet {
namespace {

constexpr std::int64_t windowSamples = 240000;
constexpr std::int64_t windowFrames = (windowSamples + codedFrameSamples - 1) / codedFrameSamples;
constexpr std::int64_t paddedSamples = windowFrames * codedFrameSamples;
constexpr std::int64_t codeChannels = 2; // the frame's code and its number among the coded frames
constexpr int blank = 8192;
// A frame's amplitude is (token + 1) times this step.
constexpr double amplitudeStep = 1e-4;

void writePreprocessor(const std::filesystem::path& folder) {
    constexpr auto f32 = DataType::fp32;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, windowSamples}) + " audio_signal, tensor<int32, [1]> audio_length");
    p.ints("tail_pad", {0, 0, 0, paddedSamples - windowSamples})
        .text("constant_mode", "constant")
        .number("silence", 0)
        .op(f32, {1, paddedSamples}, "padded",
            "pad(constant_val = silence, mode = constant_mode, pad = tail_pad, x = audio_signal)")
        .ints("frame_shape", {windowFrames, codedFrameSamples})
        .op(f32, {windowFrames, codedFrameSamples}, "framed", "reshape(shape = frame_shape, x = padded)")
        .ints("first_begin", {0, 0})
        .ints("first_end", {windowFrames, 1})
        .op(f32, {windowFrames, 1}, "firsts", "slice_by_index(begin = first_begin, end = first_end, x = framed)")
        .number("code_scale", 1.0 / amplitudeStep)
        .op(f32, {windowFrames, 1}, "scaled", "mul(x = firsts, y = code_scale)")
        .op(f32, {windowFrames, 1}, "codes", "round(x = scaled)")
        .number("half", 0.5)
        .op(DataType::boolean, {windowFrames, 1}, "coded_flags", "greater(x = codes, y = half)")
        .text("float_type", "fp32")
        .op(f32, {windowFrames, 1}, "coded", "cast(dtype = float_type, x = coded_flags)")
        .integer("time_axis", 0)
        .op(f32, {windowFrames, 1}, "ordinals", "cumsum(axis = time_axis, x = coded)")
        .integer("column_axis", 1)
        .flag("no_interleave", false)
        .op(f32, {windowFrames, codeChannels}, "columns",
            "concat(axis = column_axis, interleave = no_interleave, values = (codes, ordinals))")
        .ints("swap", {1, 0})
        .op(f32, {codeChannels, windowFrames}, "rows", "transpose(perm = swap, x = columns)")
        .ints("batch_axis", {0})
        .op(f32, {1, codeChannels, windowFrames}, "mel", "expand_dims(axes = batch_axis, x = rows)")
        .integer("frame_round", codedFrameSamples - 1)
        .integer("frame", codedFrameSamples)
        .op("tensor<int32, [1]> rounded_length", "add(x = audio_length, y = frame_round)")
        .op("tensor<int32, [1]> mel_length", "floor_div(x = rounded_length, y = frame)");
    bundle.write(folder, p.program("mel, mel_length"));
}

// The codes laid out as 1024-wide frames, [1, 1024, T]: channel 0 the code,
// channel 1 the frame's number, the rest zero.
void writeEncoder(const std::filesystem::path& folder) {
    constexpr auto f32 = DataType::fp32;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle,
                     typeText(f32, {1, codeChannels, windowFrames}) + " mel, tensor<int32, [1]> mel_length");
    p.ints("widen", {0, 0, 0, encoderWidth - codeChannels, 0, 0})
        .text("constant_mode", "constant")
        .number("zero", 0)
        .op(f32, {1, encoderWidth, windowFrames}, "encoder",
            "pad(constant_val = zero, mode = constant_mode, pad = widen, x = mel)")
        .op("tensor<int32, [1]> encoder_length", "identity(x = mel_length)");
    bundle.write(folder, p.program("encoder, encoder_length"));
}

// Element 0 of the state counts the tokens other than the blank fed so far;
// the projection carries the count in its element 0.
void writeDecoder(const std::filesystem::path& folder) {
    constexpr auto f32 = DataType::fp32;
    const Shape state{2, 1, lstmWidth};
    std::vector<float> unit(static_cast<std::size_t>(2 * lstmWidth), 0.0f);
    unit[0] = 1.0f;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, "tensor<int32, [1, 1]> targets, tensor<int32, [1]> target_length, " +
                                 typeText(f32, state) + " h_in, " + typeText(f32, state) + " c_in");
    p.integer("blank", blank)
        .op(DataType::boolean, {1, 1}, "fed_flag", "not_equal(x = targets, y = blank)")
        .text("float_type", "fp32")
        .op(f32, {1, 1}, "fed", "cast(dtype = float_type, x = fed_flag)")
        .weights("unit", unit, state, f32)
        .op(f32, state, "delta", "mul(x = unit, y = fed)")
        .op(f32, state, "h_out", "add(x = h_in, y = delta)")
        .op(f32, state, "c_out", "identity(x = c_in)")
        .ints("top_begin", {0, 0, 0})
        .ints("top_end", {1, 1, lstmWidth})
        .op(f32, {1, 1, lstmWidth}, "top", "slice_by_index(begin = top_begin, end = top_end, x = h_out)")
        .ints("to_columns", {0, 2, 1})
        .op(f32, {1, lstmWidth, 1}, "decoder", "transpose(perm = to_columns, x = top)");
    bundle.write(folder, p.program("decoder, h_out, c_out"));
}

void writeJoint(const std::filesystem::path& folder) {
    constexpr auto f32 = DataType::fp32;
    constexpr auto i32 = DataType::int32;
    constexpr auto flag = DataType::boolean;
    const Shape one{1, 1, 1};
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, encoderWidth, 1}) + " encoder_step, " +
                                 typeText(f32, {1, lstmWidth, 1}) + " decoder_step");
    p.ints("code_begin", {0, 0, 0})
        .ints("code_end", {1, 1, 1})
        .ints("number_begin", {0, 1, 0})
        .ints("number_end", {1, 2, 1})
        .op(f32, one, "code", "slice_by_index(begin = code_begin, end = code_end, x = encoder_step)")
        .op(f32, one, "number", "slice_by_index(begin = number_begin, end = number_end, x = encoder_step)")
        .op(f32, one, "count", "slice_by_index(begin = code_begin, end = code_end, x = decoder_step)")
        .number("half", 0.5)
        .op(flag, one, "has_token", "greater(x = code, y = half)")
        .op(flag, one, "ahead", "greater(x = number, y = count)")
        .op(flag, one, "emit", "logical_and(x = has_token, y = ahead)")
        .number("one", 1)
        .op(f32, one, "token_value", "sub(x = code, y = one)")
        .text("int_type", "int32")
        .op(i32, one, "token_number", "cast(dtype = int_type, x = token_value)")
        .integer("blank", blank)
        .op(i32, one, "token_id", "select(a = token_number, b = blank, cond = emit)")
        .number("spoken", 0.9)
        .number("quiet", 0.95)
        .op(f32, one, "token_prob", "select(a = spoken, b = quiet, cond = emit)")
        .ints("single", {1, 1, 1})
        .integer("advance_class", 1)
        .op(i32, one, "duration", "fill(shape = single, value = advance_class)");
    bundle.write(folder, p.program("token_id, token_prob, duration"));
}

} // namespace

std::vector<float> codedFrameAudio(const std::vector<int>& tokensPerFrame) {
    std::vector<float> audio;
    audio.reserve(tokensPerFrame.size() * codedFrameSamples);
    for (const int token : tokensPerFrame) {
        audio.insert(audio.end(), codedFrameSamples, static_cast<float>((token + 1) * amplitudeStep));
    }
    return audio;
}

std::string codedTranscript(const std::vector<int>& tokens) {
    std::string text;
    for (const int token : tokens) text += (text.empty() ? "t" : " t") + std::to_string(token);
    return text;
}

void writeCodedModelSet(const std::filesystem::path& folder) {
    writePreprocessor(folder / "Preprocessor.mlmodelc");
    writeEncoder(folder / "Encoder.mlmodelc");
    writeDecoder(folder / "Decoder.mlmodelc");
    writeJoint(folder / "JointDecisionv3.mlmodelc");
    std::vector<std::string> pieces;
    for (int id = 0; id < codedVocabularySize; ++id) pieces.push_back("\u2581t" + std::to_string(id));
    writeVocabulary(folder / "parakeet_vocab.json", pieces);
}

} // namespace testsupport::parakeet
