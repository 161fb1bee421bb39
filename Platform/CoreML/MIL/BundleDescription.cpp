#include "Platform/CoreML/MIL/BundleDescription.hpp"

#include "Platform/Core/BoundedJson.hpp"
#include "Platform/CoreML/MIL/ArrayConversion.hpp"
#include "Platform/CoreML/MIL/DeclaredType.hpp"

#include <algorithm>
#include <optional>

namespace platform::coreml::mil {
namespace {

using Json = nlohmann::json;

const Json* metadataObject(const Json& metadata) {
    if (metadata.is_array() && !metadata.empty() && metadata.front().is_object()) {
        return &metadata.front();
    }
    return metadata.is_object() ? &metadata : nullptr;
}

// Schema values are written as text ("[1, 80, 3000]"); a list is accepted too.
std::optional<Json> jsonValue(const Json& entry, const char* key) {
    const auto found = entry.find(key);
    if (found == entry.end()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        return *found;
    }
    try {
        return parseBoundedJson(found->get<std::string>());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Shape> shapeFrom(const Json& value, std::size_t rank) {
    if (!value.is_array() || value.size() != rank ||
        !std::ranges::all_of(value, [](const Json& size) { return size.is_number_integer() && size.get<std::int64_t>() >= 0; })) {
        return std::nullopt;
    }
    return value.get<Shape>();
}

const Json* schemaEntry(const Json* object, const char* schema, const std::string& name) {
    if (object == nullptr) {
        return nullptr;
    }
    const auto list = object->find(schema);
    if (list == object->end() || !list->is_array()) {
        return nullptr;
    }
    for (const auto& entry : *list) {
        if (entry.is_object() && entry.value("name", std::string()) == name) {
            return &entry;
        }
    }
    return nullptr;
}

bool isFixed(const ValueType& type) {
    return std::ranges::all_of(type.shape, [](const Dimension& dimension) { return dimension.size.has_value(); });
}

Shape fixedShape(const ValueType& type, std::int64_t flexibleSize) {
    Shape shape;
    for (const auto& dimension : type.shape) {
        shape.push_back(dimension.size.value_or(flexibleSize));
    }
    return shape;
}

void applyFlexibility(const Json& entry, const ValueType& type, MLMultiArrayConstraint& constraint) {
    const auto rank = type.shape.size();
    if (const auto enumerated = jsonValue(entry, "enumeratedShapes"); enumerated && enumerated->is_array()) {
        std::vector<Shape> shapes;
        for (const auto& candidate : *enumerated) {
            if (const auto shape = shapeFrom(candidate, rank)) {
                shapes.push_back(*shape);
            }
        }
        if (!shapes.empty()) {
            constraint.shapeConstraint = {MLMultiArrayShapeConstraintType::enumerated, shapes, {}};
            return;
        }
    }
    if (const auto ranges = jsonValue(entry, "shapeRange"); ranges && ranges->is_array() && ranges->size() == rank) {
        std::vector<MLSizeRange> sizes;
        for (const auto& range : *ranges) {
            if (!range.is_array() || range.size() != 2 || !range[0].is_number_integer() || !range[1].is_number_integer()) {
                return;
            }
            const auto upper = range[1].get<std::int64_t>();
            sizes.push_back({range[0].get<std::int64_t>(), upper < 0 ? std::nullopt : std::optional<std::int64_t>(upper)});
        }
        constraint.shapeConstraint = {MLMultiArrayShapeConstraintType::range, {}, sizes};
    }
}

MLFeatureDescription describeInput(const PreparedValue& input, const Json* entry) {
    MLMultiArrayConstraint constraint{fixedShape(input.type, 1), multiArrayDataType(input.type.dataType), {}};
    if (entry != nullptr) {
        if (const auto shape = jsonValue(*entry, "shape"); shape) {
            if (auto declared = shapeFrom(*shape, input.type.shape.size())) {
                constraint.shape = std::move(*declared);
            }
        }
    }
    if (!isFixed(input.type)) {
        std::vector<MLSizeRange> sizes;
        for (const auto& dimension : input.type.shape) {
            sizes.push_back(dimension.size ? MLSizeRange{*dimension.size, *dimension.size} : MLSizeRange{1, std::nullopt});
        }
        constraint.shapeConstraint = {MLMultiArrayShapeConstraintType::range, {}, sizes};
    }
    if (entry != nullptr) {
        applyFlexibility(*entry, input.type, constraint);
    }
    return MLFeatureDescription::multiArray(input.name, constraint);
}

MLFeatureDescription describeOutput(const PreparedValue& output) {
    // Outputs of flexible size declare no fixed shape.
    const auto shape = isFixed(output.type) ? fixedShape(output.type, 0) : Shape{};
    return MLFeatureDescription::multiArray(output.name, shape, multiArrayDataType(output.type.dataType));
}

MLFeatureDescription describeState(const PreparedValue& state) {
    if (!isFixed(state.type)) {
        throw ProgramPreparationError(ProgramPreparationError::Reason::unsupported,
                                      "the state '" + state.name + "' has no fixed shape (" + describeType(state.type) + ")");
    }
    return MLFeatureDescription::state(state.name, fixedShape(state.type, 0), multiArrayDataType(state.type.dataType));
}

std::optional<std::string> text(const Json* object, const char* key) {
    if (object == nullptr) {
        return std::nullopt;
    }
    const auto found = object->find(key);
    return found != object->end() && found->is_string() ? std::optional(found->get<std::string>()) : std::nullopt;
}

MLModelMetadata describeMetadata(const Json* object) {
    MLModelMetadata metadata;
    metadata.author = text(object, "author");
    metadata.description = text(object, "shortDescription");
    metadata.versionString = text(object, "version");
    metadata.license = text(object, "license");
    if (object != nullptr) {
        const auto user = object->find("userDefinedMetadata");
        if (user != object->end() && user->is_object()) {
            std::map<std::string, std::string> entries;
            for (const auto& [key, value] : user->items()) {
                entries.emplace(key, value.is_string() ? value.get<std::string>() : value.dump());
            }
            metadata.creatorDefinedKey = std::move(entries);
        }
    }
    return metadata;
}

} // namespace

MLModelDescription describeBundle(const PreparedFunction& function, const nlohmann::json& metadata) {
    const auto* object = metadataObject(metadata);
    std::vector<MLFeatureDescription> inputs;
    for (const auto& input : function.inputs()) {
        inputs.push_back(describeInput(input, schemaEntry(object, "inputSchema", input.name)));
    }
    std::vector<MLFeatureDescription> outputs;
    for (const auto& output : function.outputs()) {
        outputs.push_back(describeOutput(output));
    }
    std::vector<MLFeatureDescription> states;
    for (const auto& state : function.states()) {
        states.push_back(describeState(state));
    }
    auto description = MLModelDescription::make(inputs, outputs, states);
    description.metadata = describeMetadata(object);
    return description;
}

} // namespace platform::coreml::mil
