#include "OstrelVirorez/Model/VocabularyTerms.hpp"


#include <gtest/gtest.h>

namespace {

using namespace ostrelvirorez;

// Stands for the settings store's one text setting.
struct FakeVocabularySetting {
    std::string raw;
    int writes = 0;
    std::string customVocabularyRaw() const { return raw; }
    void setCustomVocabularyRaw(const std::string& value) {
        raw = value;
        ++writes;
    }
};

class VocabularyTermsTest : public ::testing::Test {
protected:
    FakeVocabularySetting settings;
};

TEST_F(VocabularyTermsTest, AddsTrimmedNewTermsOnly) {
    settings.setCustomVocabularyRaw("Alpha");
    addVocabularyTerm(settings, "  Kubernetes \n");
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha, Kubernetes");
    addVocabularyTerm(settings, "Kubernetes");
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha, Kubernetes");
    addVocabularyTerm(settings, "kubernetes");
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha, Kubernetes, kubernetes");
}

TEST_F(VocabularyTermsTest, BlankTermKeepsTheStoredForm) {
    settings.setCustomVocabularyRaw("Alpha,Beta");
    for (const char* blank : {"", "  ", "\n\t", " , ", "Beta"}) addVocabularyTerm(settings, blank);
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha,Beta");
    EXPECT_EQ(settings.writes, 1);
}

TEST_F(VocabularyTermsTest, AddingRewritesTheWholeTextInNormalForm) {
    settings.setCustomVocabularyRaw("Alpha,Beta,,Gamma");
    addVocabularyTerm(settings, "Delta");
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha, Beta, Gamma, Delta");
}

TEST_F(VocabularyTermsTest, ATermWithCommasAddsEachPiece) {
    settings.setCustomVocabularyRaw("Alpha");
    addVocabularyTerm(settings, "Docker, Alpha ,Helm,");
    EXPECT_EQ(settings.customVocabularyRaw(), "Alpha, Docker, Helm");
    EXPECT_EQ(parseVocabularyTerms(settings.customVocabularyRaw()),
              (std::vector<std::string>{"Alpha", "Docker", "Helm"}));
}

TEST(VocabularyTerms, ParsingTrimsAndDropsEmptyPieces) {
    EXPECT_EQ(parseVocabularyTerms(" a ,\n b\t,, ,c d"), (std::vector<std::string>{"a", "b", "c d"}));
    EXPECT_TRUE(parseVocabularyTerms("").empty());
    EXPECT_EQ(parseVocabularyTerms("x,x"), (std::vector<std::string>{"x", "x"}));
}

} // namespace
