// The settings file: a user-defaults store opened on the input, read under a
// few keys, written once and reloaded.

#include "Platform/Defaults/DefaultsStore.hpp"
#include "fuzz/FuzzInputFile.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        platform::DefaultsStore store(fuzzing::writeInputFile(data, size, "settings.json"));
        for (const auto* key : {"selectedEngine", "liveTranscriptIntervalMs", "virorezKeyCodesRaw", "profiles", ""}) {
            store.value(key);
            store.keepUnreadable(key, "fuzzing");
        }
        store.set("soundsEnabled", platform::DefaultsValue(true));
        store.reloadIfChangedOnDisk();
    } catch (const std::exception&) {
    }
    return 0;
}
