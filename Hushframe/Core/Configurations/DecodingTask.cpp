#include "Hushframe/Core/Configurations/DecodingTask.hpp"

#include "Hushframe/Core/Models/JsonReading.hpp"

#include <array>

namespace hushframe {

namespace {

constexpr std::array<DecodingTask, 2> taskCases = {DecodingTask::transcribe, DecodingTask::translate};

} // namespace

std::string_view description(DecodingTask task) {
    return task == DecodingTask::translate ? "translate" : "transcribe";
}

template <>
std::span<const DecodingTask> allCases<DecodingTask>() {
    return taskCases;
}

void to_json(nlohmann::ordered_json& json, DecodingTask task) {
    json = nlohmann::ordered_json{{std::string(description(task)), nlohmann::ordered_json::object()}};
}

void from_json(const nlohmann::ordered_json& json, DecodingTask& task) {
    if (!json.is_object()) jsonfield::throwTypeMismatch("task", "an object", json);
    const DecodingTask* found = nullptr;
    int count = 0;
    for (const auto& candidate : taskCases) {
        if (json.contains(std::string(description(candidate)))) {
            found = &candidate;
            ++count;
        }
    }
    if (count != 1) {
        throw nlohmann::ordered_json::type_error::create(302, "Invalid number of keys found, expected one.", &json);
    }
    const auto& payload = json.at(std::string(description(*found)));
    if (!payload.is_object()) jsonfield::throwTypeMismatch("task", "an object", payload);
    task = *found;
}

} // namespace hushframe
