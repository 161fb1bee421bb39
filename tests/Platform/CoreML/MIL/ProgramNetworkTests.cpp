// Small networks of the kinds speech models are made of, written as bundles,
// run through MLModel::load with no scripted backend, and checked against the
// same arithmetic done here by plain loops.

#include "Platform/CoreML/MLModel.hpp"
#include "tests/Platform/CoreML/MIL/ProgramTestSupport.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <numeric>

namespace {

using namespace platform::coreml;
using platform::coreml::mil::DataType;
using testsupport::ModelBundleWriter;
using namespace miltest;

const char* const header = testsupport::programHeader;

// ---------------------------------------------------------------------------
// A two-layer transformer decoder step with its key-value cache in state.

constexpr std::int64_t width = 8;
constexpr std::int64_t heads = 2;
constexpr std::int64_t headWidth = width / heads;
constexpr std::int64_t cacheLength = 6;
constexpr std::int64_t vocabulary = 5;
constexpr int layers = 2;

struct LayerWeights {
    std::vector<float> wq, bq, wk, bk, wv, bv, wo, bo, gamma, beta;
};

struct DecoderWeights {
    std::vector<LayerWeights> layers;
    std::vector<float> wOut;
};

DecoderWeights makeDecoderWeights() {
    DecoderWeights weights;
    std::uint32_t seed = 100;
    const auto matrix = [&] { return roundedToHalf(randomValues(width * width, seed++)); };
    const auto vector = [&] { return roundedToHalf(randomValues(width, seed++, 0.2f)); };
    for (int l = 0; l < layers; ++l) {
        LayerWeights layer{matrix(), vector(), matrix(), vector(), matrix(), vector(), matrix(), vector(), {}, vector()};
        layer.gamma = roundedToHalf(randomValues(width, seed++, 0.3f));
        for (auto& g : layer.gamma) {
            g += 1.0f;
        }
        weights.layers.push_back(std::move(layer));
    }
    weights.wOut = roundedToHalf(randomValues(vocabulary * width, seed++));
    return weights;
}

std::string decoderProgram(ModelBundleWriter& bundle, const DecoderWeights& weights) {
    std::string body;
    const auto constant = [&](const std::string& name, const std::vector<float>& values, ModelBundleWriter::Shape shape) {
        body += "        " + bundle.blobConstant(name, DataType::fp16, shape, values);
    };
    const auto line = [&](const std::string& text) { body += "        " + text + "\n"; };
    line(testsupport::intsConstant("split_shape", std::vector<std::int64_t>{1, 1, heads, headWidth}));
    line(testsupport::intsConstant("merge_shape", std::vector<std::int64_t>{1, 1, width}));
    line(testsupport::intsConstant("perm", std::vector<std::int64_t>{0, 2, 1, 3}));
    line(testsupport::intsConstant("lead", std::vector<std::int64_t>{0, 0}));
    line(testsupport::intsConstant("tail", std::vector<std::int64_t>{0}));
    line(testsupport::intsConstant("extent", std::vector<std::int64_t>{1, heads, 1, headWidth}));
    line(testsupport::intsConstant("norm_axes", std::vector<std::int64_t>{-1}));
    line(testsupport::intConstant("zero", 0));
    line(testsupport::intConstant("one", 1));
    line(testsupport::intConstant("length", cacheLength));
    line(testsupport::boolConstant("no", false));
    line("fp16 eps = const()[name = string(\"eps\"), val = fp16(0x1.5p-17)];");
    line("tensor<int32, [4]> begin = concat(axis = zero, interleave = no, values = (lead, position, tail))[name = string(\"begin\")];");
    line("tensor<int32, [4]> end = add(x = begin, y = extent)[name = string(\"end\")];");
    line("tensor<int32, [" + std::to_string(cacheLength) + "]> slots = range_1d(end = length, start = zero, step = one)[name = string(\"slots\")];");
    line("tensor<bool, [" + std::to_string(cacheLength) + "]> visible = less_equal(x = slots, y = position)[name = string(\"visible\")];");
    std::string previous = "x";
    for (int l = 0; l < layers; ++l) {
        const auto& layer = weights.layers[static_cast<std::size_t>(l)];
        const auto p = "l" + std::to_string(l) + "_";
        constant(p + "wq", layer.wq, {width, width});
        constant(p + "bq", layer.bq, {width});
        constant(p + "wk", layer.wk, {width, width});
        constant(p + "bk", layer.bk, {width});
        constant(p + "wv", layer.wv, {width, width});
        constant(p + "bv", layer.bv, {width});
        constant(p + "wo", layer.wo, {width, width});
        constant(p + "bo", layer.bo, {width});
        constant(p + "gamma", layer.gamma, {width});
        constant(p + "beta", layer.beta, {width});
        const std::string row = "tensor<fp16, [1, 1, 8]> ";
        const std::string split = "tensor<fp16, [1, 1, 2, 4]> ";
        const std::string headsType = "tensor<fp16, [1, 2, 1, 4]> ";
        const std::string cache = "tensor<fp16, [1, 2, 6, 4]> ";
        for (const std::string part : {"q", "k", "v"}) {
            line(row + p + part + " = linear(bias = " + p + "b" + part + ", weight = " + p + "w" + part + ", x = " + previous +
                 ")[name = string(\"" + p + part + "\")];");
            line(split + p + part + "_split = reshape(shape = split_shape, x = " + p + part + ")[name = string(\"" + p + part + "_split\")];");
            line(headsType + p + part + "_heads = transpose(perm = perm, x = " + p + part + "_split)[name = string(\"" + p + part + "_heads\")];");
        }
        for (const std::string part : {"k", "v"}) {
            const auto stateName = part + "_cache" + std::to_string(l);
            line(cache + p + part + "_old = read_state(input = " + stateName + ")[name = string(\"" + p + part + "_old\")];");
            line(cache + p + part + "_new = slice_update(begin = begin, end = end, update = " + p + part + "_heads, x = " + p + part +
                 "_old)[name = string(\"" + p + part + "_new\")];");
            line("write_state(data = " + p + part + "_new, input = " + stateName + ")[name = string(\"" + p + part + "_write_state\")];");
            line(cache + p + part + "_all = read_state(input = " + stateName + ")[name = string(\"" + p + part + "_all\")];");
        }
        line(headsType + p + "attended = scaled_dot_product_attention(attn_mask = visible, key = " + p + "k_all, query = " + p +
             "q_heads, value = " + p + "v_all)[name = string(\"" + p + "attention\")];");
        line(split + p + "merged_heads = transpose(perm = perm, x = " + p + "attended)[name = string(\"" + p + "merge_heads\")];");
        line(row + p + "merged = reshape(shape = merge_shape, x = " + p + "merged_heads)[name = string(\"" + p + "merged\")];");
        line(row + p + "projected = linear(bias = " + p + "bo, weight = " + p + "wo, x = " + p + "merged)[name = string(\"" + p + "out\")];");
        line(row + p + "residual = add(x = " + previous + ", y = " + p + "projected)[name = string(\"" + p + "residual\")];");
        line(row + p + "normed = layer_norm(axes = norm_axes, beta = " + p + "beta, epsilon = eps, gamma = " + p + "gamma, x = " + p +
             "residual)[name = string(\"" + p + "norm\")];");
        previous = p + "normed";
    }
    constant("w_out", weights.wOut, {vocabulary, width});
    line("tensor<fp16, [1, 1, 5]> logits = linear(weight = w_out, x = " + previous + ")[name = string(\"logits\")];");

    std::string signature = "tensor<fp16, [1, 1, 8]> x, tensor<int32, [1]> position";
    for (int l = 0; l < layers; ++l) {
        for (const std::string part : {"k", "v"}) {
            signature += ", state<tensor<fp16, [1, 2, 6, 4]>> " + part + "_cache" + std::to_string(l);
        }
    }
    return std::string(header) + "    func main<ios18>(" + signature + ") {\n" + body + "    } -> (logits);\n}\n";
}

// The same step done by plain loops; the caches hold [layer][head][slot][dim].
class ReferenceDecoder {
public:
    explicit ReferenceDecoder(const DecoderWeights& weights)
        : weights_(weights), keys_(layers * heads * cacheLength * headWidth, 0.0f), values_(keys_.size(), 0.0f) {}

    std::vector<float> step(std::vector<float> x, int position) {
        for (int l = 0; l < layers; ++l) {
            const auto& layer = weights_.layers[static_cast<std::size_t>(l)];
            const auto q = linearReference(x, 1, layer.wq, layer.bq, width, width);
            const auto k = linearReference(x, 1, layer.wk, layer.bk, width, width);
            const auto v = linearReference(x, 1, layer.wv, layer.bv, width, width);
            std::vector<float> merged(width);
            for (std::int64_t h = 0; h < heads; ++h) {
                for (std::int64_t d = 0; d < headWidth; ++d) {
                    keys_[index(l, h, position, d)] = k[static_cast<std::size_t>(h * headWidth + d)];
                    values_[index(l, h, position, d)] = v[static_cast<std::size_t>(h * headWidth + d)];
                }
                std::vector<float> scores;
                for (int s = 0; s <= position; ++s) {
                    float dot = 0;
                    for (std::int64_t d = 0; d < headWidth; ++d) {
                        dot += q[static_cast<std::size_t>(h * headWidth + d)] * keys_[index(l, h, s, d)];
                    }
                    scores.push_back(dot / std::sqrt(static_cast<float>(headWidth)));
                }
                const auto top = *std::max_element(scores.begin(), scores.end());
                float total = 0;
                for (auto& score : scores) {
                    score = std::exp(score - top);
                    total += score;
                }
                for (std::int64_t d = 0; d < headWidth; ++d) {
                    float sum = 0;
                    for (int s = 0; s <= position; ++s) {
                        sum += scores[static_cast<std::size_t>(s)] / total * values_[index(l, h, s, d)];
                    }
                    merged[static_cast<std::size_t>(h * headWidth + d)] = sum;
                }
            }
            const auto projected = linearReference(merged, 1, layer.wo, layer.bo, width, width);
            std::vector<float> residual(width);
            for (std::size_t i = 0; i < residual.size(); ++i) {
                residual[i] = x[i] + projected[i];
            }
            const float mean = std::accumulate(residual.begin(), residual.end(), 0.0f) / width;
            float variance = 0;
            for (const auto value : residual) {
                variance += (value - mean) * (value - mean);
            }
            variance /= width;
            for (std::size_t i = 0; i < residual.size(); ++i) {
                x[i] = (residual[i] - mean) / std::sqrt(variance + 1e-5f) * layer.gamma[i] + layer.beta[i];
            }
        }
        return linearReference(x, 1, weights_.wOut, {}, width, vocabulary);
    }

private:
    static std::size_t index(int layer, std::int64_t head, int slot, std::int64_t d) {
        return static_cast<std::size_t>(((layer * heads + head) * cacheLength + slot) * headWidth + d);
    }

    const DecoderWeights& weights_;
    std::vector<float> keys_;
    std::vector<float> values_;
};

MLDictionaryFeatureProvider decoderInput(const std::vector<float>& x, int position) {
    MLMultiArray positionArray({1}, MLMultiArrayDataType::int32);
    positionArray[0] = position;
    return MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({1, 1, width}, x, MLMultiArrayDataType::float16))},
                                        {"position", MLFeatureValue(positionArray)}});
}

TEST(ProgramNetworks, TransformerDecoderKeepsItsKeyValueCacheInState) {
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const auto weights = makeDecoderWeights();
    bundle.write(folder / "decoder.mlmodelc", decoderProgram(bundle, weights));

    const auto model = MLModel::load(folder / "decoder.mlmodelc");
    EXPECT_EQ(model.modelDescription().stateDescriptionsByName.size(), 4u);
    auto state = model.makeState();
    ReferenceDecoder reference(weights);
    for (int position = 0; position < 4; ++position) {
        SCOPED_TRACE(position);
        const auto x = roundedToHalf(randomValues(width, 500 + static_cast<std::uint32_t>(position), 1.0f));
        const auto output = model.prediction(decoderInput(x, position), state);
        expectNear(valuesOf(*output.featureValue("logits")->multiArrayValue()), reference.step(x, position), 2e-2f);
    }
    // The newest key of the first layer's first head sits in slot 3 of its cache.
    const auto keys = valuesOf(state.multiArray("k_cache0"));
    EXPECT_NE(keys[static_cast<std::size_t>(3 * headWidth)], 0.0f);
    EXPECT_EQ(keys[static_cast<std::size_t>(4 * headWidth)], 0.0f);
}

// Eight threads share one loaded model, each with its own state, and agree
// with a run on one thread.
TEST(ProgramNetworks, PredictionsFromEightThreadsAgreeWithOneThread) {
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const auto weights = makeDecoderWeights();
    bundle.write(folder / "decoder.mlmodelc", decoderProgram(bundle, weights));
    const auto model = MLModel::load(folder / "decoder.mlmodelc");

    const auto run = [&model](std::uint32_t seed) {
        auto state = model.makeState();
        std::vector<float> logits;
        for (int position = 0; position < cacheLength; ++position) {
            const auto x = roundedToHalf(randomValues(width, seed * 10 + static_cast<std::uint32_t>(position), 1.0f));
            const auto step = valuesOf(*model.prediction(decoderInput(x, position), state).featureValue("logits")->multiArrayValue());
            logits.insert(logits.end(), step.begin(), step.end());
        }
        return logits;
    };
    std::vector<std::vector<float>> alone;
    for (std::uint32_t seed = 0; seed < 8; ++seed) {
        alone.push_back(run(seed));
    }
    std::vector<std::future<std::vector<float>>> together;
    for (std::uint32_t seed = 0; seed < 8; ++seed) {
        together.push_back(std::async(std::launch::async, [&run, seed] {
            std::vector<float> last;
            for (int repeat = 0; repeat < 5; ++repeat) {
                last = run(seed);
            }
            return last;
        }));
    }
    for (std::uint32_t seed = 0; seed < 8; ++seed) {
        EXPECT_EQ(together[seed].get(), alone[seed]) << "thread " << seed;
    }
}

// ---------------------------------------------------------------------------
// One step of an LSTM with explicit state inputs and outputs.

TEST(ProgramNetworks, LstmStepMatchesTheGateArithmetic) {
    constexpr std::int64_t hidden = 3;
    constexpr std::int64_t input = 2;
    constexpr std::int64_t batch = 2;
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const auto wIh = randomValues(4 * hidden * input, 11);
    const auto wHh = randomValues(4 * hidden * hidden, 12);
    const auto bias = randomValues(4 * hidden, 13);
    std::string program = std::string(header) +
                          "    func main<ios18>(tensor<fp32, [1, 2, 2]> x, tensor<fp32, [2, 3]> h0, tensor<fp32, [2, 3]> c0) {\n";
    program += "        " + bundle.blobConstant("w_ih", DataType::fp32, {4 * hidden, input}, wIh);
    program += "        " + bundle.blobConstant("w_hh", DataType::fp32, {4 * hidden, hidden}, wHh);
    program += "        " + bundle.blobConstant("bias", DataType::fp32, {4 * hidden}, bias);
    program += "        " + testsupport::textConstant("direction", "forward");
    program += "        " + testsupport::boolConstant("sequence", true);
    program += "        " + testsupport::textConstant("sigmoid", "sigmoid");
    program += "        " + testsupport::textConstant("tanh", "tanh");
    program += "        tensor<fp32, [1, 2, 3]> y, tensor<fp32, [2, 3]> h, tensor<fp32, [2, 3]> c = lstm(activation = tanh, bias = bias, "
               "cell_activation = tanh, direction = direction, initial_c = c0, initial_h = h0, output_sequence = sequence, "
               "recurrent_activation = sigmoid, weight_hh = w_hh, weight_ih = w_ih, x = x)[name = string(\"lstm\")];\n";
    program += "    } -> (y, h, c);\n}\n";
    bundle.write(folder / "lstm.mlmodelc", program);

    const auto x = randomValues(batch * input, 14, 1.0f);
    const auto h0 = randomValues(batch * hidden, 15);
    const auto c0 = randomValues(batch * hidden, 16);
    const auto output = MLModel::load(folder / "lstm.mlmodelc")
                            .prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({1, batch, input}, x))},
                                                                     {"h0", MLFeatureValue(floatArray({batch, hidden}, h0))},
                                                                     {"c0", MLFeatureValue(floatArray({batch, hidden}, c0))}}));

    // Gates are stacked input, forget, output, cell candidate.
    const auto sigmoid = [](float v) { return 1.0f / (1.0f + std::exp(-v)); };
    std::vector<float> h(batch * hidden);
    std::vector<float> c(batch * hidden);
    for (std::int64_t b = 0; b < batch; ++b) {
        std::vector<float> gates(4 * hidden);
        for (std::int64_t g = 0; g < 4 * hidden; ++g) {
            float sum = bias[static_cast<std::size_t>(g)];
            for (std::int64_t i = 0; i < input; ++i) {
                sum += wIh[static_cast<std::size_t>(g * input + i)] * x[static_cast<std::size_t>(b * input + i)];
            }
            for (std::int64_t j = 0; j < hidden; ++j) {
                sum += wHh[static_cast<std::size_t>(g * hidden + j)] * h0[static_cast<std::size_t>(b * hidden + j)];
            }
            gates[static_cast<std::size_t>(g)] = sum;
        }
        for (std::int64_t j = 0; j < hidden; ++j) {
            const auto at = [&](int gate) { return gates[static_cast<std::size_t>(gate * hidden + j)]; };
            const auto k = static_cast<std::size_t>(b * hidden + j);
            c[k] = sigmoid(at(1)) * c0[k] + sigmoid(at(0)) * std::tanh(at(3));
            h[k] = sigmoid(at(2)) * std::tanh(c[k]);
        }
    }
    expectNear(valuesOf(*output.featureValue("y")->multiArrayValue()), h, 1e-5f);
    expectNear(valuesOf(*output.featureValue("h")->multiArrayValue()), h, 1e-5f);
    expectNear(valuesOf(*output.featureValue("c")->multiArrayValue()), c, 1e-5f);
}

// ---------------------------------------------------------------------------
// Convolutions: a strided stack as in subsampling front ends, and an
// upsampling transposed convolution as in vocoders.

// out[o][t] = b[o] + sum over the group's inputs and taps of w[o][i][k] * x[i][t*stride + k*dilation - padBefore]
std::vector<float> convReference(const std::vector<float>& x, std::int64_t channels, std::int64_t length,
                                 const std::vector<float>& w, const std::vector<float>& b, std::int64_t outChannels,
                                 std::int64_t kernel, std::int64_t stride, std::int64_t padBefore, std::int64_t padAfter,
                                 std::int64_t groups) {
    const auto outLength = (length + padBefore + padAfter - kernel) / stride + 1;
    const auto groupIn = channels / groups;
    const auto groupOut = outChannels / groups;
    std::vector<float> out(static_cast<std::size_t>(outChannels * outLength));
    for (std::int64_t o = 0; o < outChannels; ++o) {
        const auto group = o / groupOut;
        for (std::int64_t t = 0; t < outLength; ++t) {
            float sum = b[static_cast<std::size_t>(o)];
            for (std::int64_t i = 0; i < groupIn; ++i) {
                for (std::int64_t k = 0; k < kernel; ++k) {
                    const auto at = t * stride + k - padBefore;
                    if (at >= 0 && at < length) {
                        sum += w[static_cast<std::size_t>((o * groupIn + i) * kernel + k)] *
                               x[static_cast<std::size_t>((group * groupIn + i) * length + at)];
                    }
                }
            }
            out[static_cast<std::size_t>(o * outLength + t)] = sum;
        }
    }
    return out;
}

TEST(ProgramNetworks, StridedConvolutionStackMatchesDirectConvolution) {
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const auto w1 = roundedToHalf(randomValues(4 * 2 * 3, 21));
    const auto b1 = roundedToHalf(randomValues(4, 22));
    const auto w2 = roundedToHalf(randomValues(4 * 2 * 3, 23));
    const auto b2 = roundedToHalf(randomValues(4, 24));
    std::string program = std::string(header) + "    func main<ios18>(tensor<fp32, [1, 2, 20]> x) {\n";
    program += "        " + bundle.blobConstant("w1", DataType::fp16, {4, 2, 3}, w1);
    program += "        " + bundle.blobConstant("b1", DataType::fp16, {4}, b1);
    program += "        " + bundle.blobConstant("w2", DataType::fp16, {4, 2, 3}, w2);
    program += "        " + bundle.blobConstant("b2", DataType::fp16, {4}, b2);
    program += "        " + testsupport::textConstant("same", "same");
    program += "        " + testsupport::textConstant("valid", "valid");
    program += "        " + testsupport::intsConstant("two", std::vector<std::int64_t>{2});
    program += "        " + testsupport::intsConstant("ones", std::vector<std::int64_t>{1});
    program += "        " + testsupport::intsConstant("no_pad", std::vector<std::int64_t>{0, 0});
    program += "        " + testsupport::intConstant("single", 1);
    program += "        " + testsupport::intConstant("pair", 2);
    program += "        tensor<fp32, [1, 4, 10]> c1 = conv(bias = b1, dilations = ones, groups = single, pad = no_pad, pad_type = same, "
               "strides = two, weight = w1, x = x)[name = string(\"conv1\")];\n";
    program += "        tensor<fp32, [1, 4, 10]> r1 = relu(x = c1)[name = string(\"relu1\")];\n";
    program += "        tensor<fp32, [1, 4, 4]> c2 = conv(bias = b2, dilations = ones, groups = pair, pad = no_pad, pad_type = valid, "
               "strides = two, weight = w2, x = r1)[name = string(\"conv2\")];\n";
    program += "    } -> (c2);\n}\n";
    bundle.write(folder / "convs.mlmodelc", program);

    const auto x = randomValues(2 * 20, 25, 1.0f);
    const auto output = MLModel::load(folder / "convs.mlmodelc").prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({1, 2, 20}, x))}}));
    // "same" with stride 2 on 20 samples and 3 taps pads one sample, after.
    auto hidden = convReference(x, 2, 20, w1, b1, 4, 3, 2, 0, 1, 1);
    for (auto& value : hidden) {
        value = std::max(value, 0.0f);
    }
    expectNear(valuesOf(*output.featureValue("c2")->multiArrayValue()), convReference(hidden, 4, 10, w2, b2, 4, 3, 2, 0, 0, 2), 1e-4f);
}

TEST(ProgramNetworks, TransposedConvolutionUpsamples) {
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const auto w = randomValues(2 * 3 * 4, 31); // [C_in, C_out, K]
    const auto b = randomValues(3, 32);
    std::string program = std::string(header) + "    func main<ios18>(tensor<fp32, [1, 2, 5]> x) {\n";
    program += "        " + bundle.blobConstant("w", DataType::fp32, {2, 3, 4}, w);
    program += "        " + bundle.blobConstant("b", DataType::fp32, {3}, b);
    program += "        " + testsupport::textConstant("valid", "valid");
    program += "        " + testsupport::intsConstant("two", std::vector<std::int64_t>{2});
    program += "        " + testsupport::intsConstant("ones", std::vector<std::int64_t>{1});
    program += "        " + testsupport::intsConstant("no_pad", std::vector<std::int64_t>{0, 0});
    program += "        " + testsupport::intConstant("single", 1);
    program += "        tensor<fp32, [1, 3, 12]> y = conv_transpose(bias = b, dilations = ones, groups = single, pad = no_pad, "
               "pad_type = valid, strides = two, weight = w, x = x)[name = string(\"up\")];\n";
    program += "    } -> (y);\n}\n";
    bundle.write(folder / "up.mlmodelc", program);

    const auto x = randomValues(2 * 5, 33, 1.0f);
    const auto output = MLModel::load(folder / "up.mlmodelc").prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({1, 2, 5}, x))}}));
    std::vector<float> expected(3 * 12);
    for (std::int64_t o = 0; o < 3; ++o) {
        for (std::int64_t t = 0; t < 12; ++t) {
            expected[static_cast<std::size_t>(o * 12 + t)] = b[static_cast<std::size_t>(o)];
        }
    }
    for (std::int64_t i = 0; i < 2; ++i) {
        for (std::int64_t s = 0; s < 5; ++s) {
            for (std::int64_t o = 0; o < 3; ++o) {
                for (std::int64_t k = 0; k < 4; ++k) {
                    expected[static_cast<std::size_t>(o * 12 + s * 2 + k)] +=
                        x[static_cast<std::size_t>(i * 5 + s)] * w[static_cast<std::size_t>((i * 3 + o) * 4 + k)];
                }
            }
        }
    }
    expectNear(valuesOf(*output.featureValue("y")->multiArrayValue()), expected, 1e-5f);
}

// ---------------------------------------------------------------------------
// Compressed weights: a palettized matrix (2-bit indices into a table of
// four) and an int8 matrix with a scale per output row, expanded at load.

TEST(ProgramNetworks, CompressedWeightsExpandAtLoad) {
    testsupport::TemporaryDirectory folder;
    ModelBundleWriter bundle;
    const std::vector<std::int32_t> indices{0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 2, 2};
    const std::vector<float> table{-1.0f, -0.5f, 0.25f, 2.0f};
    const std::vector<std::int32_t> quantized{-128, -3, 0, 7, 127, 64, -64, 1, 2, 3, -4, 5};
    const std::vector<float> scales{0.5f, 0.25f, 2.0f, 1.0f};
    std::string program = std::string(header) + "    func main<ios18>(tensor<fp32, [2, 3]> x) {\n";
    program += "        tensor<fp16, [4, 3]> w_lut = constexpr_lut_to_dense(indices = " + bundle.blob(DataType::uint2, {4, 3}, indices) +
               ", lut = " + bundle.blob(DataType::fp16, {1, 1, 4, 1}, table) + ")[name = string(\"w_lut\")];\n";
    program += "        tensor<fp16, [4, 3]> w_q = constexpr_blockwise_shift_scale(data = " + bundle.blob(DataType::int8, {4, 3}, quantized) +
               ", scale = " + bundle.blob(DataType::fp16, {4, 1}, scales) + ")[name = string(\"w_q\")];\n";
    program += "        tensor<fp32, [2, 4]> y_lut = linear(weight = w_lut, x = x)[name = string(\"lut_linear\")];\n";
    program += "        tensor<fp32, [2, 4]> y_q = linear(weight = w_q, x = x)[name = string(\"q_linear\")];\n";
    program += "    } -> (y_lut, y_q);\n}\n";
    bundle.write(folder / "compressed.mlmodelc", program);

    const auto x = randomValues(6, 41, 1.0f);
    const auto output = MLModel::load(folder / "compressed.mlmodelc").prediction(MLDictionaryFeatureProvider({{"x", MLFeatureValue(floatArray({2, 3}, x))}}));
    std::vector<float> lutWeights;
    for (const auto index : indices) {
        lutWeights.push_back(table[static_cast<std::size_t>(index)]);
    }
    std::vector<float> quantWeights;
    for (std::size_t i = 0; i < quantized.size(); ++i) {
        quantWeights.push_back(static_cast<float>(quantized[i]) * scales[i / 3]);
    }
    expectNear(valuesOf(*output.featureValue("y_lut")->multiArrayValue()), linearReference(x, 2, lutWeights, {}, 3, 4), 1e-4f);
    expectNear(valuesOf(*output.featureValue("y_q")->multiArrayValue()), linearReference(x, 2, quantWeights, {}, 3, 4), 1e-3f);
}

} // namespace
