#include "OstrelVirorez/App/CorrectionDiff.hpp"

#include <gtest/gtest.h>

namespace {

using ostrelvirorez::CorrectionDiff;

struct DiffCase {
    const char* name;
    std::string baseline;
    std::string edited;
    std::optional<CorrectionDiff::Correction> expected;
};

class CorrectionDiffExtract : public testing::TestWithParam<DiffCase> {};

TEST_P(CorrectionDiffExtract, FindsExactlyOneChangedWord) {
    const auto& c = GetParam();
    EXPECT_EQ(CorrectionDiff::extractSingleWordCorrection(c.baseline, c.edited), c.expected);
}

using Correction = CorrectionDiff::Correction;

INSTANTIATE_TEST_SUITE_P(
    Cases, CorrectionDiffExtract,
    testing::Values(
        DiffCase{"OneWord", "I like teh cat", "I like the cat", Correction{"teh", "the"}},
        DiffCase{"CaseOnly", "Meet at noon.", "Meet at Noon.", std::nullopt},
        DiffCase{"PunctuationOnly", "see you soon.", "see you soon!", std::nullopt},
        DiffCase{"TwoWords", "das ist gut", "das war sch\u00F6n", std::nullopt},
        DiffCase{"WordCountChanged", "send it", "send it now", std::nullopt},
        DiffCase{"BracketsStripped", "call (Jon)", "call (John)", Correction{"Jon", "John"}},
        DiffCase{"OnlyStrippable", "a - b", "a \u2014 b", std::nullopt},
        DiffCase{"WhiteSpaceOnly", "a  b\nc", "a b c", std::nullopt},
        DiffCase{"Identical", "a b", "a b", std::nullopt},
        DiffCase{"EmptyBaseline", "", "word", std::nullopt},
        DiffCase{"EncodingOnly", "ein B\u00E4r", "ein Ba\u0308r", std::nullopt},
        DiffCase{"TypographicQuoteNotStripped", "it\u2019s ok", "its ok", Correction{"it\u2019s", "its"}},
        DiffCase{"UmlautCorrection", "sehr schon", "sehr sch\u00F6n.", Correction{"schon", "sch\u00F6n"}}),
    [](const testing::TestParamInfo<DiffCase>& info) { return std::string(info.param.name); });

} // namespace
