#include "tests/Support/PythonReference.hpp"

#include "tests/Support/ChildProcess.hpp"

#include <chrono>
#include <filesystem>

#include <sys/wait.h>

namespace testsupport {

PythonReference PythonReference::run(TemporaryDirectory& folder, const std::string& name, const std::string& script,
                                     const nlohmann::json& cases) {
    folder.write("cases.json", cases.dump());
    const auto path = folder.write(name, script);
    ChildProcess::Options options;
    options.output = folder / "python.log";
    const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    ChildProcess child({python, path.string(), (folder / "cases.json").string(), (folder / "answers.json").string()},
                       options);
    PythonReference result;
    const auto status = child.waitForExit(std::chrono::seconds(120));
    if (!status) {
        result.log = "python3 did not finish";
        return result;
    }
    result.log = folder.read("python.log");
    if (WIFEXITED(*status) && WEXITSTATUS(*status) == 0) {
        result.outcome = Outcome::answered;
        result.answers = nlohmann::json::parse(folder.read("answers.json"));
    } else if (!WIFEXITED(*status) || WEXITSTATUS(*status) == missingModules || WEXITSTATUS(*status) == 127) {
        result.outcome = Outcome::missing;
    }
    return result;
}

} // namespace testsupport
