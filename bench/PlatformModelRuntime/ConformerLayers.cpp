#include "bench/PlatformModelRuntime/ConformerLayers.hpp"

#include <cmath>

namespace runtimebench {
namespace {

float boundFor(std::int64_t fanIn) { return 1.0f / std::sqrt(static_cast<float>(fanIn)); }

std::string named(const std::string& p) { return "[name = string(\"" + p + "\")];"; }

// x + 0.5 · down(silu(up(norm(x)))).
std::string feedForward(BenchProgramWriter& w, const std::string& p, const std::string& x, const ConformerBlockSize& s) {
    const std::vector<std::int64_t> rows{1, s.frames, s.width};
    const std::vector<std::int64_t> wide{1, s.frames, s.hidden};
    writeLayerNorm(w, p + "_ln", x, rows, s.width);
    writeLinear(w, p + "_up", p + "_ln", wide, s.width, s.hidden);
    w.line(fp32Type(wide) + " " + p + "_act = silu(x = " + p + "_up)" + named(p + "_act"));
    writeLinear(w, p + "_down", p + "_act", rows, s.hidden, s.width);
    w.line(fp32Type(rows) + " " + p + "_half = mul(x = " + p + "_down, y = half)" + named(p + "_half"));
    w.line(fp32Type(rows) + " " + p + "_out = add(x = " + x + ", y = " + p + "_half)" + named(p + "_out"));
    return p + "_out";
}

// x + pointwise(silu(batch_norm(depthwise(glu(pointwise(norm(x))))))), the
// convolutions over channels [1, width, frames].
std::string convolutionModule(BenchProgramWriter& w, const std::string& p, const std::string& x, const ConformerBlockSize& s) {
    const std::vector<std::int64_t> rows{1, s.frames, s.width};
    const std::vector<std::int64_t> channels{1, s.width, s.frames};
    writeLayerNorm(w, p + "_ln", x, rows, s.width);
    w.line(fp32Type(channels) + " " + p + "_in = transpose(perm = to_channels, x = " + p + "_ln)" + named(p + "_in"));
    w.weight(p + "_pw1_w", {2 * s.width, s.width, 1}, -boundFor(s.width), boundFor(s.width));
    w.line(fp32Type({1, 2 * s.width, s.frames}) + " " + p + "_pw1 = conv(dilations = one, groups = single, pad = no_pad, " +
           "pad_type = valid, strides = one, weight = " + p + "_pw1_w, x = " + p + "_in)" + named(p + "_pw1"));
    w.line(fp32Type(channels) + " " + p + "_glu_a, " + fp32Type(channels) + " " + p + "_glu_b = split(axis = channel_axis, " +
           "num_splits = two, x = " + p + "_pw1)" + named(p + "_glu_split"));
    w.line(fp32Type(channels) + " " + p + "_gate = sigmoid(x = " + p + "_glu_b)" + named(p + "_gate"));
    w.line(fp32Type(channels) + " " + p + "_glu = mul(x = " + p + "_glu_a, y = " + p + "_gate)" + named(p + "_glu"));
    w.weight(p + "_dw_w", {s.width, 1, s.kernel}, -boundFor(s.kernel), boundFor(s.kernel));
    w.line(fp32Type(channels) + " " + p + "_dw = conv(dilations = one, groups = depthwise, pad = no_pad, pad_type = same, " +
           "strides = one, weight = " + p + "_dw_w, x = " + p + "_glu)" + named(p + "_dw"));
    w.weight(p + "_bn_mean", {s.width}, -0.1f, 0.1f);
    w.weight(p + "_bn_variance", {s.width}, 0.5f, 1.5f);
    w.weight(p + "_bn_gamma", {s.width}, 0.8f, 1.2f);
    w.weight(p + "_bn_beta", {s.width}, -0.1f, 0.1f);
    w.line(fp32Type(channels) + " " + p + "_bn = batch_norm(beta = " + p + "_bn_beta, epsilon = eps, gamma = " + p +
           "_bn_gamma, mean = " + p + "_bn_mean, variance = " + p + "_bn_variance, x = " + p + "_dw)" + named(p + "_bn"));
    w.line(fp32Type(channels) + " " + p + "_bn_act = silu(x = " + p + "_bn)" + named(p + "_bn_act"));
    w.weight(p + "_pw2_w", {s.width, s.width, 1}, -boundFor(s.width), boundFor(s.width));
    w.line(fp32Type(channels) + " " + p + "_pw2 = conv(dilations = one, groups = single, pad = no_pad, pad_type = valid, " +
           "strides = one, weight = " + p + "_pw2_w, x = " + p + "_bn_act)" + named(p + "_pw2"));
    w.line(fp32Type(rows) + " " + p + "_rows = transpose(perm = to_channels, x = " + p + "_pw2)" + named(p + "_rows"));
    w.line(fp32Type(rows) + " " + p + "_out = add(x = " + x + ", y = " + p + "_rows)" + named(p + "_out"));
    return p + "_out";
}

} // namespace

std::string writeLayerNorm(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& shape,
                      std::int64_t width) {
    w.weight(p + "_gamma", {width}, 0.8f, 1.2f);
    w.weight(p + "_beta", {width}, -0.1f, 0.1f);
    w.line(fp32Type(shape) + " " + p + " = layer_norm(axes = last_axis, beta = " + p + "_beta, epsilon = eps, gamma = " + p +
           "_gamma, x = " + x + ")" + named(p));
    return p;
}

std::string writeSelfAttention(BenchProgramWriter& w, const std::string& p, const std::string& x, const ConformerBlockSize& s) {
    const std::vector<std::int64_t> rows{1, s.frames, s.width};
    const std::vector<std::int64_t> split{1, s.frames, s.heads, s.width / s.heads};
    const std::vector<std::int64_t> perHead{1, s.heads, s.frames, s.width / s.heads};
    for (const std::string part : {"q", "k", "v"}) {
        const auto name = p + "_" + part;
        writeLinear(w, name, x, rows, s.width, s.width);
        w.line(fp32Type(split) + " " + name + "_s = reshape(shape = head_split, x = " + name + ")" + named(name + "_s"));
        w.line(fp32Type(perHead) + " " + name + "_h = transpose(perm = head_perm, x = " + name + "_s)" + named(name + "_h"));
    }
    w.line(fp32Type(perHead) + " " + p + "_att = scaled_dot_product_attention(key = " + p + "_k_h, query = " + p + "_q_h, value = " +
           p + "_v_h)" + named(p + "_att"));
    w.line(fp32Type(split) + " " + p + "_back = transpose(perm = head_perm, x = " + p + "_att)" + named(p + "_back"));
    w.line(fp32Type(rows) + " " + p + "_merged = reshape(shape = head_merge, x = " + p + "_back)" + named(p + "_merged"));
    return writeLinear(w, p + "_o", p + "_merged", rows, s.width, s.width);
}

std::string writeLinear(BenchProgramWriter& w, const std::string& p, const std::string& x, const std::vector<std::int64_t>& outShape,
                        std::int64_t in, std::int64_t out) {
    w.weight(p + "_w", {out, in}, -boundFor(in), boundFor(in));
    w.weight(p + "_b", {out});
    w.line(fp32Type(outShape) + " " + p + " = linear(bias = " + p + "_b, weight = " + p + "_w, x = " + x + ")" + named(p));
    return p;
}

void writeConformerConstants(BenchProgramWriter& w, const ConformerBlockSize& s) {
    w.ints("last_axis", {-1});
    w.number("eps", 1e-5);
    w.ints("head_perm", {0, 2, 1, 3});
    w.ints("head_split", {1, s.frames, s.heads, s.width / s.heads});
    w.ints("head_merge", {1, s.frames, s.width});
    w.number("half", 0.5);
    w.ints("to_channels", {0, 2, 1});
    w.ints("one", {1});
    w.ints("no_pad", {0, 0});
    w.integer("single", 1);
    w.integer("depthwise", s.width);
    w.integer("channel_axis", 1);
    w.integer("two", 2);
    w.text("valid", "valid");
    w.text("same", "same");
}

std::string writeConformerBlock(BenchProgramWriter& w, const std::string& prefix, const std::string& x, const ConformerBlockSize& s) {
    auto y = feedForward(w, prefix + "ff1", x, s);
    writeLayerNorm(w, prefix + "mhsa_ln", y, {1, s.frames, s.width}, s.width);
    const auto attention = writeSelfAttention(w, prefix + "mhsa", prefix + "mhsa_ln", s);
    w.line(fp32Type({1, s.frames, s.width}) + " " + prefix + "after_attention = add(x = " + y + ", y = " + attention + ")" +
           named(prefix + "after_attention"));
    y = convolutionModule(w, prefix + "conv", prefix + "after_attention", s);
    y = feedForward(w, prefix + "ff2", y, s);
    return writeLayerNorm(w, prefix + "final_ln", y, {1, s.frames, s.width}, s.width);
}

} // namespace runtimebench
