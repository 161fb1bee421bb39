#include "tests/Support/ParakeetBundles/PredictionBundles.hpp"

#include <nlohmann/json.hpp>

#include <fstream>
#include <stdexcept>

namespace testsupport::parakeet {

void writeDecoder(const std::filesystem::path& folder, const DecoderWeights& w) {
    constexpr auto f32 = DataType::fp32;
    const Shape state{2, 1, lstmWidth};
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, "tensor<int32, [1, 1]> targets, tensor<int32, [1]> target_length, " + typeText(f32, state) +
                                 " h_in, " + typeText(f32, state) + " c_in");
    p.integer("blank_row", w.rows - 1)
        .op("tensor<int32, [1, 1]> rows", "minimum(x = targets, y = blank_row)")
        .weights("embedding", w.embedding, {w.rows, w.embeddingWidth}, w.embeddingType)
        .integer("zero", 0)
        .op(f32, {1, 1, w.embeddingWidth}, "embedded", "gather(axis = zero, indices = rows, x = embedding)")
        .ints("lead", {0})
        .text("forward", "forward")
        .text("sigmoid", "sigmoid")
        .text("tanh", "tanh")
        .flag("sequence", true);
    const auto row = typeText(f32, {1, lstmWidth});
    const auto step = typeText(f32, {1, 1, lstmWidth});
    std::string input = "embedded";
    for (int layer = 0; layer < 2; ++layer) {
        const auto l = std::to_string(layer);
        const auto& weights = w.lstm[static_cast<std::size_t>(layer)];
        p.ints("begin" + l, {layer, 0, 0}).ints("end" + l, {layer + 1, 1, lstmWidth});
        for (const std::string part : {"h", "c"}) {
            p.op(step + " " + part + l + "_slice",
                 "slice_by_index(begin = begin" + l + ", end = end" + l + ", x = " + part + "_in)")
                .op(row + " " + part + l + "_start", "squeeze(axes = lead, x = " + part + l + "_slice)");
        }
        p.weights("w_ih" + l, weights.wIh, {lstmGates, layer == 0 ? w.embeddingWidth : lstmWidth})
            .weights("w_hh" + l, weights.wHh, {lstmGates, lstmWidth})
            .weights("bias" + l, weights.bias, {lstmGates})
            .line(step + " y" + l + ", " + row + " h" + l + ", " + row + " c" + l +
                  " = lstm(activation = tanh, bias = bias" + l + ", cell_activation = tanh, direction = forward, "
                  "initial_c = c" + l + "_start, initial_h = h" + l + "_start, output_sequence = sequence, "
                  "recurrent_activation = sigmoid, weight_hh = w_hh" + l + ", weight_ih = w_ih" + l + ", x = " + input +
                  ")[name = string(\"lstm" + l + "\")]");
        input = "y" + l;
    }
    p.op(f32, state, "h_out", "stack(axis = zero, values = (h0, h1))")
        .op(f32, state, "c_out", "stack(axis = zero, values = (c0, c1))")
        .ints("to_columns", {1, 2, 0})
        .op(f32, {1, lstmWidth, 1}, "decoder", "transpose(perm = to_columns, x = y1)");
    bundle.write(folder, p.program("decoder, h_out, c_out"));
}

void writeJoint(const std::filesystem::path& folder, const JointWeights& w) {
    constexpr auto f32 = DataType::fp32;
    constexpr auto i32 = DataType::int32;
    const auto classes = w.tokenClasses + w.durationClasses;
    ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(f32, {1, encoderWidth, 1}) + " encoder_step, " +
                                 typeText(f32, {1, lstmWidth, 1}) + " decoder_step");
    p.ints("enc_row", {1, encoderWidth})
        .ints("dec_row", {1, lstmWidth})
        .op(f32, {1, encoderWidth}, "enc", "reshape(shape = enc_row, x = encoder_step)")
        .op(f32, {1, lstmWidth}, "dec", "reshape(shape = dec_row, x = decoder_step)")
        .weights("joint_enc_w", w.encW, {w.width, encoderWidth})
        .weights("joint_enc_b", w.encB, {w.width})
        .weights("joint_dec_w", w.decW, {w.width, lstmWidth})
        .weights("joint_dec_b", w.decB, {w.width})
        .weights("out_w", w.outW, {classes, w.width})
        .weights("out_b", w.outB, {classes})
        .op(f32, {1, w.width}, "enc_hidden", "linear(bias = joint_enc_b, weight = joint_enc_w, x = enc)")
        .op(f32, {1, w.width}, "dec_hidden", "linear(bias = joint_dec_b, weight = joint_dec_w, x = dec)")
        .op(f32, {1, w.width}, "summed", "add(x = enc_hidden, y = dec_hidden)")
        .op(f32, {1, w.width}, "hidden", "relu(x = summed)")
        .op(f32, {1, classes}, "logits", "linear(bias = out_b, weight = out_w, x = hidden)")
        .ints("token_begin", {0, 0})
        .ints("token_end", {1, w.tokenClasses})
        .ints("duration_begin", {0, w.tokenClasses})
        .ints("duration_end", {1, classes})
        .op(f32, {1, w.tokenClasses}, "token_logits",
            "slice_by_index(begin = token_begin, end = token_end, x = logits)")
        .op(f32, {1, w.durationClasses}, "duration_logits",
            "slice_by_index(begin = duration_begin, end = duration_end, x = logits)")
        .integer("last", -1)
        .ints("last_axes", {-1})
        .flag("keep", true)
        .integer("zero", 0)
        .op(f32, {1, w.tokenClasses}, "token_probs", "softmax(axis = last, x = token_logits)")
        .op(f32, {1, 1}, "best_prob", "reduce_max(axes = last_axes, keep_dims = keep, x = token_probs)")
        .op(i32, {1, 1}, "best_class", "reduce_argmax(axis = last, keep_dims = keep, x = token_logits)");
    std::string bestToken = "best_class";
    if (!w.classTokens.empty()) {
        p.ints("class_tokens", {w.classTokens.begin(), w.classTokens.end()})
            .op(i32, {1, 1}, "best_token", "gather(axis = zero, indices = best_class, x = class_tokens)");
        bestToken = "best_token";
    }
    p.op(i32, {1, 1}, "best_duration", "reduce_argmax(axis = last, keep_dims = keep, x = duration_logits)")
        .ints("single", {1, 1, 1})
        .op(i32, {1, 1, 1}, "token_id", "reshape(shape = single, x = " + bestToken + ")")
        .op(f32, {1, 1, 1}, "token_prob", "reshape(shape = single, x = best_prob)")
        .op(i32, {1, 1, 1}, "duration", "reshape(shape = single, x = best_duration)");
    bundle.write(folder, p.program("token_id, token_prob, duration"));
}

void writeVocabulary(const std::filesystem::path& file, const std::vector<std::string>& pieces) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream stream(file, std::ios::binary);
    stream << nlohmann::json(pieces).dump();
    if (!stream) throw std::runtime_error("cannot write " + file.string());
}

} // namespace testsupport::parakeet
