#include "tests/Platform/CoreML/MIL/SequenceTestSupport.hpp"

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace {

using namespace sequencetest;
using miltest::bools;
using miltest::floats;
using miltest::runKernel;
using platform::coreml::mil::elementCount;

constexpr float infinity = std::numeric_limits<float>::infinity();

// Index into a row-major `shape` of the element a broadcast read at `coords`
// (coordinates of a shape of rank coords.size(), aligned at the end) finds.
std::int64_t broadcastIndex(const Shape& shape, const std::vector<std::int64_t>& coords) {
    std::int64_t index = 0;
    const auto offset = coords.size() - shape.size();
    for (std::size_t i = 0; i < shape.size(); ++i) {
        index = index * shape[i] + (shape[i] == 1 ? 0 : coords[offset + i]);
    }
    return index;
}

enum class MaskKind { none, keep, add };

struct AttentionCase {
    std::string name;
    Shape query, key, value;
    MaskKind maskKind = MaskKind::none;
    Shape maskShape = {};
    // Mask element at (l, s) by its flat index; random values when empty.
    std::function<float(std::int64_t flat, std::int64_t l, std::int64_t s)> mask = {};
};

struct AttentionFixture {
    AttentionCase settings;
    std::vector<float> q, k, v, maskValues;

    explicit AttentionFixture(AttentionCase c) : settings(std::move(c)) {
        q = smallValues(elementCount(settings.query), 1, 1.5F);
        k = smallValues(elementCount(settings.key), 2, 1.5F);
        v = smallValues(elementCount(settings.value), 3, 1.5F);
        if (settings.maskKind == MaskKind::none) return;
        const auto count = elementCount(settings.maskShape), columns = settings.maskShape.back();
        const auto rows = settings.maskShape.size() < 2 ? 1 : settings.maskShape[settings.maskShape.size() - 2];
        const auto random = smallValues(count, 4, 2.0F);
        for (std::int64_t i = 0; i < count; ++i) {
            const auto value = settings.mask ? settings.mask(i, (i / columns) % rows, i % columns)
                                             : settings.maskKind == MaskKind::keep ? (random[i] > -0.5F ? 1.0F : 0.0F)
                                                                                   : random[i];
            maskValues.push_back(value);
        }
    }

    std::vector<Arg> args() const {
        std::vector<Arg> list{{"query", floats(settings.query, q)}, {"key", floats(settings.key, k)}, {"value", floats(settings.value, v)}};
        if (settings.maskKind == MaskKind::keep) {
            list.emplace_back("attn_mask", bools(settings.maskShape, {maskValues.begin(), maskValues.end()}));
        } else if (settings.maskKind == MaskKind::add) {
            list.emplace_back("attn_mask", floats(settings.maskShape, maskValues));
        }
        return list;
    }

    Shape outputShape() const {
        Shape leading(settings.query.begin(), settings.query.end() - 2);
        const Shape keyLeading(settings.key.begin(), settings.key.end() - 2);
        for (std::size_t i = 0; i < leading.size(); ++i) leading[i] = std::max(leading[i], keyLeading[i]);
        leading.push_back(settings.query[settings.query.size() - 2]);
        leading.push_back(settings.value.back());
        return leading;
    }

    // Plain loops over every output element, in double.
    std::vector<double> expected() const {
        const auto out = outputShape();
        const auto rank = out.size();
        const auto queries = out[rank - 2], depth = settings.query.back();
        const auto keys = settings.key[settings.key.size() - 2], valueDepth = settings.value.back();
        const auto batch = elementCount(out) / std::max<std::int64_t>(1, queries * valueDepth);
        std::vector<double> result;
        for (std::int64_t n = 0; n < batch; ++n) {
            std::vector<std::int64_t> coords(rank, 0);
            auto rest = n;
            for (auto axis = static_cast<std::int64_t>(rank) - 3; axis >= 0; --axis) {
                coords[axis] = rest % out[axis];
                rest /= out[axis];
            }
            const auto at = [&](const Shape& shape, std::int64_t row, std::int64_t column) {
                auto c = coords;
                c[rank - 2] = row;
                c[rank - 1] = column;
                return broadcastIndex(shape, c);
            };
            for (std::int64_t l = 0; l < queries; ++l) {
                std::vector<double> scores(keys);
                for (std::int64_t s = 0; s < keys; ++s) {
                    double dot = 0;
                    for (std::int64_t e = 0; e < depth; ++e) dot += q[at(settings.query, l, e)] * k[at(settings.key, s, e)];
                    scores[s] = dot / std::sqrt(static_cast<double>(depth));
                    if (settings.maskKind == MaskKind::keep && maskValues[at(settings.maskShape, l, s)] == 0) scores[s] = -infinity;
                    if (settings.maskKind == MaskKind::add) scores[s] += maskValues[at(settings.maskShape, l, s)];
                }
                const auto largest = *std::ranges::max_element(scores);
                double sum = 0;
                for (auto& score : scores) sum += (score = largest == -infinity ? 0.0 : std::exp(score - largest));
                for (std::int64_t ev = 0; ev < valueDepth; ++ev) {
                    double value = 0;
                    for (std::int64_t s = 0; s < keys; ++s) value += sum == 0 ? 0.0 : scores[s] / sum * v[at(settings.value, s, ev)];
                    result.push_back(value);
                }
            }
        }
        return result;
    }
};

TEST(SequenceAttention, MatchesAPlainLoop) {
    const auto causal = [](std::int64_t, std::int64_t l, std::int64_t s) { return s <= l ? 1.0F : 0.0F; };
    const auto causalAdded = [](std::int64_t, std::int64_t l, std::int64_t s) { return s <= l ? 0.0F : -infinity; };
    const auto secondRowMasked = [](std::int64_t flat, std::int64_t l, std::int64_t) { return l == 1 ? 0.0F : (flat % 3 == 0 ? 0.0F : 1.0F); };
    const std::vector<AttentionCase> cases{
        {.name = "rank 3, no mask", .query = {2, 3, 4}, .key = {2, 5, 4}, .value = {2, 5, 3}},
        {.name = "rank 4, no mask", .query = {2, 2, 3, 4}, .key = {2, 2, 5, 4}, .value = {2, 2, 5, 2}},
        {.name = "rank 5, no mask", .query = {1, 2, 2, 3, 4}, .key = {1, 2, 2, 3, 4}, .value = {1, 2, 2, 3, 4}},
        {.name = "one query row", .query = {1, 2, 1, 4}, .key = {1, 2, 6, 4}, .value = {1, 2, 6, 4}},
        {.name = "bool mask of the full shape", .query = {2, 3, 4}, .key = {2, 5, 4}, .value = {2, 5, 3}, .maskKind = MaskKind::keep, .maskShape = {2, 3, 5}},
        {.name = "float mask of the full shape", .query = {2, 2, 3, 4}, .key = {2, 2, 5, 4}, .value = {2, 2, 5, 2}, .maskKind = MaskKind::add, .maskShape = {2, 2, 3, 5}},
        {.name = "causal bool mask [L, S] over batch and heads", .query = {2, 2, 4, 4}, .key = {2, 2, 4, 4}, .value = {2, 2, 4, 3}, .maskKind = MaskKind::keep, .maskShape = {4, 4}, .mask = causal},
        {.name = "causal float mask [L, S] over batch and heads", .query = {2, 2, 4, 4}, .key = {2, 2, 4, 4}, .value = {2, 2, 4, 3}, .maskKind = MaskKind::add, .maskShape = {4, 4}, .mask = causalAdded},
        {.name = "float mask [B, 1, L, S] over heads", .query = {2, 3, 3, 4}, .key = {2, 3, 5, 4}, .value = {2, 3, 5, 2}, .maskKind = MaskKind::add, .maskShape = {2, 1, 3, 5}},
        {.name = "bool mask [1, S] over rows", .query = {2, 3, 4}, .key = {2, 5, 4}, .value = {2, 5, 3}, .maskKind = MaskKind::keep, .maskShape = {1, 5}},
        {.name = "a row masked throughout gives zeros", .query = {2, 3, 4}, .key = {2, 5, 4}, .value = {2, 5, 3}, .maskKind = MaskKind::keep, .maskShape = {1, 3, 5}, .mask = secondRowMasked},
        {.name = "key and value shared by the heads", .query = {2, 2, 3, 4}, .key = {2, 1, 5, 4}, .value = {2, 1, 5, 3}},
        {.name = "large enough to split across threads", .query = {2, 4, 64, 32}, .key = {2, 4, 64, 32}, .value = {2, 4, 64, 16}, .maskKind = MaskKind::keep, .maskShape = {64, 64}, .mask = causal},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AttentionFixture fixture(c);
        const auto results = runKernel("scaled_dot_product_attention", fixture.args());
        ASSERT_EQ(results.size(), 1U);
        expectValues(results[0], fixture.outputShape(), fixture.expected(), 1e-4);
    }
}

// q = [1, 0], keys [1, 0] and [0, 1], values [1, 2] and [3, 4]: the scores
// are 1/√2 and 0, whose softmax is 0.6697615 and 0.3302385.
TEST(SequenceAttention, OneRowByHand) {
    const std::vector<Arg> args{{"query", floats({1, 1, 2}, {1, 0})},
                                {"key", floats({1, 2, 2}, {1, 0, 0, 1})},
                                {"value", floats({1, 2, 2}, {1, 2, 3, 4})}};
    expectValues(runKernel("scaled_dot_product_attention", args)[0], {1, 1, 2}, {1.6604769, 2.6604769});
    const auto onlySecond = replaced(args, {"attn_mask", bools({1, 2}, {0, 1})});
    expectValues(runKernel("scaled_dot_product_attention", onlySecond)[0], {1, 1, 2}, {3, 4});
    const auto noneKept = replaced(args, {"attn_mask", bools({1, 2}, {0, 0})});
    expectValues(runKernel("scaled_dot_product_attention", noneKept)[0], {1, 1, 2}, {0, 0});
    const auto allMinusInfinity = replaced(args, {"attn_mask", floats({1, 2}, {-infinity, -infinity})});
    expectValues(runKernel("scaled_dot_product_attention", allMinusInfinity)[0], {1, 1, 2}, {0, 0});
}

TEST(SequenceAttention, RejectsBadArguments) {
    const AttentionFixture fixture({.name = "base", .query = {2, 3, 4}, .key = {2, 5, 4}, .value = {2, 5, 3}});
    const auto args = fixture.args();
    struct Case {
        std::string name;
        std::vector<Arg> args;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"query of rank 2", replaced(args, {"query", floats({3, 4}, std::vector<float>(12))}), "query must have rank 3 or more"},
        {"integer key", replaced(args, {"key", miltest::ints({2, 5, 4}, std::vector<std::int32_t>(40))}), "key must be a float tensor"},
        {"key of another depth", replaced(args, {"key", floats({2, 5, 3}, std::vector<float>(30))}), "must end in the query's depth 4"},
        {"value with other rows than key", replaced(args, {"value", floats({2, 4, 3}, std::vector<float>(24))}), "must have as many rows as key"},
        {"leading dimensions that do not broadcast", replaced(args, {"key", floats({3, 5, 4}, std::vector<float>(60))}), "do not broadcast"},
        {"mask of the wrong key count", replaced(args, {"attn_mask", bools({3, 4}, std::vector<std::uint8_t>(12))}), "attn_mask [3, 4] does not broadcast to [2, 3, 5]"},
        {"mask with more batches", replaced(args, {"attn_mask", bools({3, 3, 5}, std::vector<std::uint8_t>(45))}), "does not broadcast"},
        {"integer mask", replaced(args, {"attn_mask", miltest::ints({3, 5}, std::vector<std::int32_t>(15))}), "attn_mask must be bool or float"},
        {"missing value", without(args, "value"), "\"value\" is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFailure("scaled_dot_product_attention", c.args, c.fragment);
    }
}

} // namespace
