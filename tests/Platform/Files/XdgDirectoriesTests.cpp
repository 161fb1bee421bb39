#include "Platform/Files/XdgDirectories.hpp"

#include "tests/Support/ScopedEnvironment.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
namespace files = platform::files;

struct BaseFolderCase {
    const char* variable;
    fs::path (*folder)();
    const char* fallbackBelowHome;
};

class XdgBaseFolder : public ::testing::TestWithParam<BaseFolderCase> {
protected:
    testsupport::ScopedEnvironment environment;
    const fs::path home = "/home/tester";
    void SetUp() override { environment.set("HOME", home.string()); }
};

TEST_P(XdgBaseFolder, AbsoluteValueWins) {
    environment.set(GetParam().variable, "/srv/elsewhere");
    EXPECT_EQ(GetParam().folder(), fs::path("/srv/elsewhere"));
}

TEST_P(XdgBaseFolder, UnsetEmptyOrRelativeValueFallsBackBelowHome) {
    const auto fallback = home / GetParam().fallbackBelowHome;
    environment.unset(GetParam().variable);
    EXPECT_EQ(GetParam().folder(), fallback);
    environment.set(GetParam().variable, "");
    EXPECT_EQ(GetParam().folder(), fallback);
    environment.set(GetParam().variable, "relative/folder");
    EXPECT_EQ(GetParam().folder(), fallback);
}

INSTANTIATE_TEST_SUITE_P(Folders, XdgBaseFolder,
                         ::testing::Values(BaseFolderCase{"XDG_CONFIG_HOME", &files::configHome, ".config"},
                                           BaseFolderCase{"XDG_DATA_HOME", &files::dataHome, ".local/share"},
                                           BaseFolderCase{"XDG_CACHE_HOME", &files::cacheHome, ".cache"}),
                         [](const auto& info) { return std::string(info.param.variable); });

TEST(XdgHome, RelativeOrEmptyHomeFallsBackToTheAccountEntry) {
    testsupport::ScopedEnvironment environment;
    environment.set("HOME", "/home/tester");
    EXPECT_EQ(files::homeDirectory(), fs::path("/home/tester"));
    environment.set("HOME", "relative");
    EXPECT_TRUE(files::homeDirectory().is_absolute());
    environment.set("HOME", "");
    EXPECT_TRUE(files::homeDirectory().is_absolute());
}

// Puts a stand-in `xdg-user-dir` first on an otherwise empty PATH.
class XdgDocuments : public ::testing::Test {
protected:
    testsupport::ScopedEnvironment environment;
    testsupport::TemporaryDirectory programs;
    const fs::path home = "/home/tester";

    void SetUp() override {
        environment.set("HOME", home.string());
        environment.set("PATH", programs.path().string());
    }

    void installProgram(const std::string& script) {
        const auto program = programs.write("xdg-user-dir", "#!/bin/sh\n" + script + "\n");
        ::chmod(program.c_str(), 0755);
    }
};

TEST_F(XdgDocuments, UsesTheFolderTheProgramNames) {
    installProgram("[ \"$1\" = DOCUMENTS ] && echo /home/tester/Dokumente");
    EXPECT_EQ(files::documentsDirectory(), fs::path("/home/tester/Dokumente"));
}

TEST_F(XdgDocuments, FallsBackWhenTheAnswerIsUnusable) {
    for (const char* script : {
             "echo /home/tester",   // its answer when no documents folder is configured
             "echo /home/tester/",  // the same with a trailing slash
             "echo Documents",      // relative
             "echo",                // empty
             "echo /srv/docs; exit 1",  // failed
         }) {
        installProgram(script);
        EXPECT_EQ(files::documentsDirectory(), home / "Documents") << script;
    }
}

TEST_F(XdgDocuments, FallsBackWhenTheProgramIsMissing) {
    EXPECT_EQ(files::documentsDirectory(), home / "Documents");
}

} // namespace
