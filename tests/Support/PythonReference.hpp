#pragma once
// Runs a reference computation written in Python in the distribution's
// python3, where Debian's python3-numpy and python3-scipy install (a python3
// on the PATH may lack them). The script reads the cases from sys.argv[1] and
// writes its answers to sys.argv[2], both JSON; a script that cannot import
// what it needs exits with PythonReference::missingModules.

#include "tests/Support/TemporaryDirectory.hpp"

#include <nlohmann/json.hpp>

#include <string>

namespace testsupport {

struct PythonReference {
    static constexpr int missingModules = 3;

    enum class Outcome { answered, missing, failed };
    Outcome outcome = Outcome::failed;
    nlohmann::json answers;
    std::string log; // what python3 printed, or why it did not finish

    // `name` is the script's file name inside `folder`.
    static PythonReference run(TemporaryDirectory& folder, const std::string& name, const std::string& script,
                               const nlohmann::json& cases);
};

} // namespace testsupport
