// Bundles made to hurt the runtime: shapes that would need more memory than a
// tensor may take, links that lead out of the bundle, oversized or deeply
// nested metadata. Each fails with a model error that says what and where,
// before anything large is allocated or anything outside is read.

#include "Platform/CoreML/MIL/Tensor.hpp"
#include "Platform/CoreML/MIL/TensorSizeLimit.hpp"
#include "Platform/CoreML/MLModel.hpp"
#include "Platform/CoreML/MLModelError.hpp"
#include "tests/Support/ModelBundleWriter.hpp"
#include "tests/Support/TemporaryDirectory.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

namespace {

using namespace platform::coreml;
using platform::coreml::mil::DataType;
using platform::coreml::mil::Shape;
using platform::coreml::mil::StorageKind;
using platform::coreml::mil::TensorSizeError;
using testsupport::ModelBundleWriter;

constexpr std::int64_t huge = std::int64_t{1} << 40;

TEST(TensorSizeLimit, CountsUpToTheLimitAndRefusesOneElementMore) {
    struct Case {
        std::string name;
        Shape shape;
        StorageKind kind;
        std::uint64_t limit;
        std::int64_t count; // -1: refused
    };
    const std::vector<Case> cases{
        {"floats exactly at the limit", {10, 10}, StorageKind::float32, 400, 100},
        {"floats one row past the limit", {10, 11}, StorageKind::float32, 400, -1},
        {"ints one element past the limit", {101}, StorageKind::int32, 400, -1},
        {"bools take one byte each", {400}, StorageKind::boolean, 400, 400},
        {"bools one past the limit", {401}, StorageKind::boolean, 400, -1},
        {"scalar", {}, StorageKind::float32, 4, 1},
        {"an empty axis makes any shape empty", {huge, huge, 0}, StorageKind::float32, 4, 0},
        {"a product that overflows 64 bits", {huge, huge, huge}, StorageKind::float32, std::numeric_limits<std::uint64_t>::max(), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.count >= 0) {
            EXPECT_EQ(mil::checkedTensorCount(c.shape, c.kind, c.limit), c.count);
        } else {
            EXPECT_THROW(mil::checkedTensorCount(c.shape, c.kind, c.limit), TensorSizeError);
        }
    }
    EXPECT_LE(mil::tensorByteLimit(), std::uint64_t{16} << 30);
}

TEST(TensorSizeLimit, TensorsAndShapesRefuseWhatCannotBeHeld) {
    EXPECT_THROW(mil::Tensor(DataType::fp32, {100000, 100000}), TensorSizeError) << "40 GB of floats";
    EXPECT_THROW(mil::Tensor(DataType::int32, {huge, huge}), TensorSizeError);
    EXPECT_THROW(mil::elementCount({huge, huge, huge}), TensorSizeError);
    EXPECT_EQ(mil::elementCount({huge, 0}), 0);
    const mil::Tensor small(DataType::fp32, {4});
    // A shape whose product wraps around to the same count must not pass as a reshape.
    EXPECT_ANY_THROW(small.reshaped({std::int64_t{1} << 62, 4, 4}));
}

std::string program(const std::string& signature, const std::string& body, const std::string& output = "y") {
    return "program(1.3)\n{\n    func main<ios18>(" + signature + ") {\n" + body + "    } -> (" + output + ");\n}\n";
}

MLModelError loadFailure(const std::filesystem::path& folder) {
    try {
        MLModel::load(folder);
    } catch (const MLModelError& error) {
        return error;
    }
    ADD_FAILURE() << "loaded " << folder;
    return MLModelError(MLModelErrorKind::generic, "");
}

void expectMentions(const std::string& text, const std::vector<std::string>& fragments) {
    for (const auto& fragment : fragments) {
        EXPECT_NE(text.find(fragment), std::string::npos) << "missing \"" << fragment << "\" in: " << text;
    }
}

TEST(HostileBundles, ConstantShapesTooLargeForMemoryFailAtLoadAsTheirOwnKindOfDamage) {
    testsupport::TemporaryDirectory root;
    struct Case {
        std::string name;
        std::string body;
        std::vector<std::string> fragments;
    };
    const std::vector<Case> cases{
        {"fill of [100000, 100000]",
         "        tensor<int32, [2]> s = const()[name = string(\"s\"), val = tensor<int32, [2]>([100000, 100000])];\n"
         "        tensor<fp32, [100000, 100000]> big = fill(shape = s, value = fp32(0.5))[name = string(\"big\")];\n"
         "        tensor<fp32, [4]> y = relu(x = x)[name = string(\"y\")];\n",
         {"fill 'big'", "line 5", "bytes"}},
        {"fill of a shape whose count overflows",
         "        tensor<int32, [4]> s = const()[name = string(\"s\"), val = tensor<int32, [4]>([65536, 65536, 65536, 65536])];\n"
         "        tensor<fp32, [65536, 65536, 65536, 65536]> big = fill(shape = s, value = fp32(0.5))[name = string(\"big\")];\n"
         "        tensor<fp32, [4]> y = relu(x = x)[name = string(\"y\")];\n",
         {"fill 'big'", "line 5"}},
        {"tile of a constant with large repetitions",
         "        tensor<fp32, [4]> c = const()[name = string(\"c\"), val = tensor<fp32, [4]>([1, 2, 3, 4])];\n"
         "        tensor<int32, [1]> reps = const()[name = string(\"reps\"), val = tensor<int32, [1]>([2000000000])];\n"
         "        tensor<fp32, [8000000000]> big = tile(reps = reps, x = c)[name = string(\"big\")];\n"
         "        tensor<fp32, [4]> y = relu(x = x)[name = string(\"y\")];\n",
         {"tile 'big'", "line 6"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = root / "large.mlmodelc";
        std::filesystem::remove_all(folder);
        ModelBundleWriter().write(folder, program("tensor<fp32, [4]> x", c.body));
        const auto error = loadFailure(folder);
        EXPECT_EQ(error.kind(), MLModelErrorKind::damagedModel);
        EXPECT_TRUE(error.exceedsMemoryLimit());
        expectMentions(error.description(), c.fragments);
    }

    // Ordinary damage is not mistaken for it.
    const auto damaged = root / "damaged.mlmodelc";
    ModelBundleWriter().write(damaged, program("tensor<fp32, [4]> x", "        tensor<fp32, [4]> y = relu(x = x;\n"));
    EXPECT_FALSE(loadFailure(damaged).exceedsMemoryLimit());
}

TEST(HostileBundles, SizesComputedFromInputsTooLargeForMemoryFailThePredictionOnly) {
    testsupport::TemporaryDirectory root;
    const auto folder = root / "tile.mlmodelc";
    ModelBundleWriter().write(
        folder, program("tensor<fp32, [1, ?]> x",
                        "        tensor<int32, [2]> reps = const()[name = string(\"reps\"), val = tensor<int32, [2]>([100000, 100000])];\n"
                        "        tensor<fp32, [?, ?]> y = tile(reps = reps, x = x)[name = string(\"spread\")];\n"));
    const auto model = MLModel::load(folder);
    const MLDictionaryFeatureProvider inputs({{"x", MLFeatureValue(MLMultiArray({1, 4}, MLMultiArrayDataType::float32, 1.0))}});
    try {
        model.prediction(inputs);
        ADD_FAILURE() << "predicted 160 GB";
    } catch (const MLModelError& error) {
        EXPECT_EQ(error.kind(), MLModelErrorKind::featureType);
        expectMentions(error.description(), {"tile 'spread'", "line 5"});
    }
}

void writeReluBundle(const std::filesystem::path& folder, std::optional<nlohmann::json> metadata = std::nullopt) {
    ModelBundleWriter().write(folder, program("tensor<fp32, [4]> x", "        tensor<fp32, [4]> y = relu(x = x)[name = string(\"y\")];\n"),
                              metadata);
}

TEST(HostileBundles, FilesReachedThroughLinksOutsideTheBundleAreRefused) {
    testsupport::TemporaryDirectory root;
    // A sound weight file outside the bundle: following the link would load it.
    ModelBundleWriter outsideWriter;
    const std::vector<float> w{1, 2, 3, 4};
    const auto weightLine = outsideWriter.blobConstant("w", DataType::fp32, {4}, w);
    const auto weightProgram = program("tensor<fp32, [4]> x", "        " + weightLine + "        tensor<fp32, [4]> y = add(x = x, y = w)[name = string(\"add\")];\n");
    outsideWriter.write(root / "outside", weightProgram, nlohmann::json::array({{{"author", "outside"}}}));

    struct Case {
        std::string name;
        std::function<void(const std::filesystem::path& folder)> make;
        std::string fragment;
    };
    namespace fs = std::filesystem;
    const std::vector<Case> cases{
        {"weight file",
         [&](const fs::path& folder) {
             outsideWriter.write(folder, weightProgram);
             fs::remove(folder / "weights/weight.bin");
             fs::create_symlink(root / "outside/weights/weight.bin", folder / "weights/weight.bin");
         },
         "weight.bin"},
        {"weights folder",
         [&](const fs::path& folder) {
             outsideWriter.write(folder, weightProgram);
             fs::remove_all(folder / "weights");
             fs::create_directory_symlink(root / "outside/weights", folder / "weights");
         },
         "weight.bin"},
        {"program text",
         [&](const fs::path& folder) {
             writeReluBundle(folder);
             fs::remove(folder / "model.mil");
             fs::create_symlink(root / "outside/model.mil", folder / "model.mil");
         },
         "model.mil"},
        {"metadata",
         [&](const fs::path& folder) {
             writeReluBundle(folder);
             fs::create_symlink(root / "outside/metadata.json", folder / "metadata.json");
         },
         "metadata.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = root / (c.name + ".mlmodelc");
        c.make(folder);
        const auto error = loadFailure(folder);
        EXPECT_EQ(error.kind(), MLModelErrorKind::damagedModel);
        expectMentions(error.description(), {c.fragment, "outside the model folder"});
    }

    // Links that stay inside, and a bundle reached through a linked folder, load.
    const auto inside = root / "inside.mlmodelc";
    outsideWriter.write(inside, weightProgram);
    fs::rename(inside / "weights/weight.bin", inside / "stored.bin");
    fs::create_symlink("../stored.bin", inside / "weights/weight.bin");
    fs::create_directory_symlink(inside, root / "linked.mlmodelc");
    EXPECT_NO_THROW(MLModel::load(inside));
    EXPECT_NO_THROW(MLModel::load(root / "linked.mlmodelc"));
}

TEST(HostileBundles, OversizedOrDeeplyNestedMetadataIsDamage) {
    testsupport::TemporaryDirectory root;
    const auto oversized = root / "oversized.mlmodelc";
    writeReluBundle(oversized);
    {
        std::ofstream stream(oversized / "metadata.json", std::ios::binary);
        stream << "[{\"author\": \"";
        stream << std::string((std::size_t{16} << 20) + 1, 'a');
        stream << "\"}]";
    }
    auto error = loadFailure(oversized);
    EXPECT_EQ(error.kind(), MLModelErrorKind::damagedModel);
    expectMentions(error.description(), {"metadata.json", "16777216"});

    const auto nested = root / "nested.mlmodelc";
    writeReluBundle(nested);
    std::ofstream(nested / "metadata.json") << std::string(100000, '[') << std::string(100000, ']');
    error = loadFailure(nested);
    EXPECT_EQ(error.kind(), MLModelErrorKind::damagedModel);
    expectMentions(error.description(), {"metadata.json", "nested"});

    const auto sound = root / "sound.mlmodelc";
    writeReluBundle(sound, nlohmann::json::array({{{"author", "someone"}}}));
    EXPECT_EQ(MLModel::load(sound).modelDescription().metadata.author, std::optional<std::string>("someone"));
}

} // namespace
