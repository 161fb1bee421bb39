#include "Platform/CoreML/MIL/OpRegistry.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::coreml::mil::OpRegistry;

// Required arguments are exactly those without a default; random numbers are
// never computed ahead at load.
TEST(SequenceOps, RegistersEachOperationWithItsRequiredArguments) {
    struct Case {
        std::string opType;
        std::vector<std::string> required;
        bool deterministic;
    };
    const std::vector<Case> cases{
        {"lstm", {"x", "initial_h", "initial_c", "weight_ih", "weight_hh"}, true},
        {"gru", {"x", "initial_h", "weight_ih", "weight_hh"}, true},
        {"rnn", {"x", "initial_h", "weight_ih", "weight_hh"}, true},
        {"scaled_dot_product_attention", {"query", "key", "value"}, true},
        {"random_normal", {"shape"}, false},
        {"random_uniform", {"shape"}, false},
        {"random_bernoulli", {"shape"}, false},
        {"random_categorical", {"x"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opType);
        const auto* definition = OpRegistry::standard().find(c.opType);
        ASSERT_NE(definition, nullptr);
        EXPECT_EQ(definition->required, c.required);
        EXPECT_EQ(definition->deterministic, c.deterministic);
    }
}

} // namespace
