#include "bench/RazeziRuzer/Parakeet/ConformerEncoderBundle.hpp"

#include "tests/Support/ParakeetBundles/ProgramBuilder.hpp"
#include "tests/Support/ParakeetBundles/SeededUniform.hpp"

#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <string>

namespace parakeetbench {
namespace {

using testsupport::parakeet::DataType;
using testsupport::parakeet::ProgramBuilder;
using testsupport::parakeet::SeededUniform;
using testsupport::parakeet::Shape;
using testsupport::parakeet::typeText;

constexpr std::int64_t bands = 128;
constexpr std::int64_t melFrames = 240000 / 160 + 1;
constexpr std::int64_t channels = 256;

// Frames after one stride-2 convolution of kernel 3 and padding 1.
constexpr std::int64_t halved(std::int64_t frames) { return (frames - 1) / 2 + 1; }

class EncoderWriter {
public:
    EncoderWriter(ProgramBuilder& p, DataType type, std::int64_t frames, const EncoderShape& shape)
        : p_(p), type_(type), frames_(frames), s_(shape) {}

    std::int64_t parameters() const { return parameters_; }

    // Uniform weights scaled to keep unit variance through a product over `fanIn` inputs.
    void weight(const std::string& name, const Shape& shape, std::int64_t fanIn, float gain = 1.0f) {
        std::int64_t count = 1;
        for (const auto size : shape) count *= size;
        const float scale = gain * std::sqrt(3.0f / static_cast<float>(fanIn));
        p_.weights(name, random_.values(static_cast<std::size_t>(count), scale), shape, type_);
        parameters_ += count;
    }
    // Values around `centre`, as norms' scales and offsets are.
    void around(const std::string& name, std::int64_t count, float centre, float spread) {
        auto values = random_.values(static_cast<std::size_t>(count), spread);
        for (auto& value : values) value += centre;
        p_.weights(name, values, {count}, type_);
        parameters_ += count;
    }

    std::string rows(std::int64_t width) const { return typeText(type_, {1, frames_, width}); }
    std::string columns(std::int64_t width) const { return typeText(type_, {1, width, frames_}); }

    std::string linear(const std::string& name, const std::string& x, std::int64_t in, std::int64_t out) {
        weight(name + "_w", {out, in}, in);
        around(name + "_b", out, 0.0f, 0.02f);
        p_.op(rows(out) + " " + name, "linear(bias = " + name + "_b, weight = " + name + "_w, x = " + x + ")");
        return name;
    }
    std::string norm(const std::string& name, const std::string& x) {
        around(name + "_gamma", s_.width, 1.0f, 0.1f);
        around(name + "_beta", s_.width, 0.0f, 0.05f);
        p_.op(rows(s_.width) + " " + name, "layer_norm(axes = last_axis, beta = " + name + "_beta, epsilon = eps, gamma = " +
                                               name + "_gamma, x = " + x + ")");
        return name;
    }

    std::string feedForward(const std::string& b, const std::string& x) {
        const auto normed = norm(b + "_ln", x);
        const auto up = linear(b + "_up", normed, s_.width, s_.feedForward);
        p_.op(rows(s_.feedForward) + " " + b + "_act", "silu(x = " + up + ")");
        const auto down = linear(b + "_down", b + "_act", s_.feedForward, s_.width);
        p_.op(rows(s_.width) + " " + b + "_half", "mul(x = " + down + ", y = half)")
            .op(rows(s_.width) + " " + b + "_out", "add(x = " + x + ", y = " + b + "_half)");
        return b + "_out";
    }

    std::string attention(const std::string& b, const std::string& x) {
        const auto normed = norm(b + "_ln", x);
        const auto headWidth = s_.width / s_.heads;
        const auto split = typeText(type_, {1, frames_, s_.heads, headWidth});
        const auto perHead = typeText(type_, {1, s_.heads, frames_, headWidth});
        for (const std::string part : {"q", "k", "v"}) {
            const auto projected = linear(b + "_" + part, normed, s_.width, s_.width);
            p_.op(split + " " + projected + "_s", "reshape(shape = head_split, x = " + projected + ")")
                .op(perHead + " " + projected + "_h", "transpose(perm = head_perm, x = " + projected + "_s)");
        }
        p_.op(perHead + " " + b + "_att", "scaled_dot_product_attention(attn_mask = key_mask, key = " + b +
                                              "_k_h, query = " + b + "_q_h, value = " + b + "_v_h)")
            .op(split + " " + b + "_back", "transpose(perm = head_perm, x = " + b + "_att)")
            .op(rows(s_.width) + " " + b + "_merged", "reshape(shape = head_merge, x = " + b + "_back)");
        const auto out = linear(b + "_o", b + "_merged", s_.width, s_.width);
        p_.op(rows(s_.width) + " " + b + "_out", "add(x = " + x + ", y = " + out + ")");
        return b + "_out";
    }

    std::string convolution(const std::string& b, const std::string& x) {
        const auto normed = norm(b + "_ln", x);
        const auto doubled = linear(b + "_pw1", normed, s_.width, 2 * s_.width);
        p_.line(rows(s_.width) + " " + b + "_a, " + rows(s_.width) + " " + b + "_g = split(axis = last, num_splits = two, x = " +
                doubled + ")[name = string(\"" + b + "_glu\")]")
            .op(rows(s_.width) + " " + b + "_gate", "sigmoid(x = " + b + "_g)")
            .op(rows(s_.width) + " " + b + "_gated", "mul(x = " + b + "_a, y = " + b + "_gate)")
            // Padding frames are zeroed before the depthwise convolution reads across frames.
            .op(rows(s_.width) + " " + b + "_masked", "mul(x = " + b + "_gated, y = frame_mask)")
            .op(columns(s_.width) + " " + b + "_cols", "transpose(perm = swap_last, x = " + b + "_masked)");
        weight(b + "_dw_w", {s_.width, 1, s_.kernel}, s_.kernel);
        p_.op(columns(s_.width) + " " + b + "_dw", "conv(dilations = unit, groups = depthwise, pad = no_pad, pad_type = same, "
                                                   "strides = unit, weight = " + b + "_dw_w, x = " + b + "_cols)");
        around(b + "_bn_mean", s_.width, 0.0f, 0.1f);
        around(b + "_bn_var", s_.width, 1.0f, 0.2f);
        around(b + "_bn_gamma", s_.width, 1.0f, 0.1f);
        around(b + "_bn_beta", s_.width, 0.0f, 0.05f);
        p_.op(columns(s_.width) + " " + b + "_bn",
              "batch_norm(beta = " + b + "_bn_beta, epsilon = eps, gamma = " + b + "_bn_gamma, mean = " + b +
                  "_bn_mean, variance = " + b + "_bn_var, x = " + b + "_dw)")
            .op(columns(s_.width) + " " + b + "_bn_act", "silu(x = " + b + "_bn)")
            .op(rows(s_.width) + " " + b + "_back", "transpose(perm = swap_last, x = " + b + "_bn_act)");
        const auto out = linear(b + "_pw2", b + "_back", s_.width, s_.width);
        p_.op(rows(s_.width) + " " + b + "_out", "add(x = " + x + ", y = " + out + ")");
        return b + "_out";
    }

private:
    ProgramBuilder& p_;
    DataType type_;
    std::int64_t frames_;
    EncoderShape s_;
    SeededUniform random_{1024};
    std::int64_t parameters_ = 0;
};

} // namespace

std::int64_t writeConformerEncoder(const std::filesystem::path& folder, Precision precision, bool flexible,
                                   const EncoderShape& shape) {
    const auto type = precision == Precision::fp16 ? DataType::fp16 : DataType::fp32;
    const auto typeName = std::string(precision == Precision::fp16 ? "fp16" : "fp32");
    const std::int64_t mel = flexible ? -1 : melFrames;
    const std::int64_t t1 = flexible ? -1 : halved(melFrames);
    const std::int64_t t2 = flexible ? -1 : halved(halved(melFrames));
    const std::int64_t frames = flexible ? -1 : halved(halved(halved(melFrames)));
    const std::int64_t subsampledBands = bands / 8;

    testsupport::ModelBundleWriter bundle;
    ProgramBuilder p(bundle, typeText(DataType::fp32, {1, bands, mel}) + " mel, tensor<int32, [1]> mel_length");
    EncoderWriter w(p, type, frames, shape);
    p.text("working_type", typeName)
        .op(type, {1, bands, mel}, "mel_in", "cast(dtype = working_type, x = mel)")
        .ints("swap_last", {0, 2, 1})
        .ints("last_axis", {-1})
        .integer("last", -1)
        .integer("two", 2)
        .integer("one", 1)
        .integer("depthwise", shape.width)
        .integer("subsampling_groups", channels)
        .number("eps", 1e-5, type)
        .number("half", 0.5, type)
        .ints("unit", {1})
        .ints("unit2", {1, 1})
        .ints("stride2", {2, 2})
        .ints("no_pad", {0, 0})
        .ints("pad1", {1, 1, 1, 1})
        .ints("pad0", {0, 0, 0, 0})
        .text("custom", "custom")
        .text("same", "same")
        .text("valid", "valid")
        .ints("head_split", {1, -1, shape.heads, shape.width / shape.heads})
        .ints("head_merge", {1, -1, shape.width})
        .ints("head_perm", {0, 2, 1, 3})
        .op(type, {1, mel, bands}, "time_major", "transpose(perm = swap_last, x = mel_in)")
        .op(type, {1, 1, mel, bands}, "image", "expand_dims(axes = unit, x = time_major)");
    // Subsampling: a full 3x3 convolution, then two depthwise-and-pointwise pairs, each halving time and bands.
    w.weight("sub1_w", {channels, 1, 3, 3}, 9);
    w.around("sub1_b", channels, 0.0f, 0.02f);
    p.op(type, {1, channels, t1, bands / 2}, "sub1",
         "conv(bias = sub1_b, dilations = unit2, groups = one, pad = pad1, pad_type = custom, strides = stride2, "
         "weight = sub1_w, x = image)")
        .op(type, {1, channels, t1, bands / 2}, "sub1_act", "relu(x = sub1)");
    std::string x = "sub1_act";
    const std::array<std::int64_t, 2> times{t2, frames};
    for (int stage = 0; stage < 2; ++stage) {
        const auto n = "sub" + std::to_string(stage + 2);
        const std::int64_t width = bands / (4 << stage);
        w.weight(n + "_dw_w", {channels, 1, 3, 3}, 9);
        p.op(type, {1, channels, times[static_cast<std::size_t>(stage)], width}, n + "_dw",
             "conv(dilations = unit2, groups = subsampling_groups, pad = pad1, pad_type = custom, strides = stride2, "
             "weight = " + n + "_dw_w, x = " + x + ")");
        w.weight(n + "_pw_w", {channels, channels, 1, 1}, channels);
        w.around(n + "_pw_b", channels, 0.0f, 0.02f);
        p.op(type, {1, channels, times[static_cast<std::size_t>(stage)], width}, n + "_pw",
             "conv(bias = " + n + "_pw_b, dilations = unit2, groups = one, pad = pad0, pad_type = valid, "
             "strides = unit2, weight = " + n + "_pw_w, x = " + n + "_dw)")
            .op(type, {1, channels, times[static_cast<std::size_t>(stage)], width}, n + "_act", "relu(x = " + n + "_pw)");
        x = n + "_act";
    }
    p.ints("frames_first", {0, 2, 1, 3})
        .op(type, {1, frames, channels, subsampledBands}, "sub_frames", "transpose(perm = frames_first, x = " + x + ")")
        .ints("flat_frames", {1, -1, channels * subsampledBands})
        .op(type, {1, frames, channels * subsampledBands}, "sub_flat", "reshape(shape = flat_frames, x = sub_frames)");
    x = w.linear("sub_out", "sub_flat", channels * subsampledBands, shape.width);

    // Valid frames: the mel length through the three halvings, and masks from it.
    p.op("tensor<int32, [1]> len0", "sub(x = mel_length, y = one)")
        .op("tensor<int32, [1]> len1", "floor_div(x = len0, y = two)")
        .op("tensor<int32, [1]> len2", "add(x = len1, y = one)")
        .op("tensor<int32, [1]> len3", "sub(x = len2, y = one)")
        .op("tensor<int32, [1]> len4", "floor_div(x = len3, y = two)")
        .op("tensor<int32, [1]> len5", "add(x = len4, y = one)")
        .op("tensor<int32, [1]> len6", "sub(x = len5, y = one)")
        .op("tensor<int32, [1]> len7", "floor_div(x = len6, y = two)")
        .op("tensor<int32, [1]> encoder_length", "add(x = len7, y = one)")
        .op("tensor<int32, [3]> frame_shape", "shape(x = " + x + ")")
        .integer("zero", 0)
        .op("int32 frame_count", "gather(axis = zero, indices = one, x = frame_shape)")
        .op(typeText(DataType::int32, {frames}) + " positions", "range_1d(end = frame_count, start = zero, step = one)")
        .op(typeText(DataType::boolean, {frames}) + " valid_frames", "less(x = positions, y = encoder_length)")
        .ints("key_mask_shape", {1, 1, 1, -1})
        .op(typeText(DataType::boolean, {1, 1, 1, frames}) + " key_mask", "reshape(shape = key_mask_shape, x = valid_frames)")
        .op(type, {frames}, "frame_weights", "cast(dtype = working_type, x = valid_frames)")
        .ints("frame_mask_shape", {1, -1, 1})
        .op(type, {1, frames, 1}, "frame_mask", "reshape(shape = frame_mask_shape, x = frame_weights)");

    for (std::int64_t block = 0; block < shape.blocks; ++block) {
        const auto b = "b" + std::to_string(block);
        x = w.feedForward(b + "_ff1", x);
        x = w.attention(b + "_mhsa", x);
        x = w.convolution(b + "_conv", x);
        x = w.feedForward(b + "_ff2", x);
        x = w.norm(b + "_ln_out", x);
    }
    p.op(type, {1, shape.width, frames}, "channels_first", "transpose(perm = swap_last, x = " + x + ")")
        .text("output_type", "fp32")
        .op(DataType::fp32, {1, shape.width, frames}, "encoder", "cast(dtype = output_type, x = channels_first)");

    std::optional<nlohmann::json> metadata;
    if (flexible) {
        metadata = nlohmann::json::array({{{"inputSchema",
                                            {{{"name", "mel"},
                                              {"shape", nlohmann::json(Shape{1, bands, melFrames}).dump()},
                                              {"hasShapeFlexibility", "1"},
                                              {"shapeRange", "[[1, 1], [128, 128], [1, 1501]]"}}}}}});
    }
    bundle.write(folder, p.program("encoder, encoder_length"), metadata);
    return w.parameters();
}

} // namespace parakeetbench
