// libFuzzer target for scene files: any bytes either build a whole scene or throw the loader's
// own error; a crash, hang, leak, stray read or other exception fails. It works in the data folder,
// so that the ball's mesh and every mesh there can be reached.
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/scene_builder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::filesystem::current_path(TOVREL_DATA_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Build_Scene_From(
            Parse_Scene(std::string(reinterpret_cast<const char*>(data), size), "fuzz.toml"));
    } catch (const SceneFileError&) {
    }
    return 0;
}
