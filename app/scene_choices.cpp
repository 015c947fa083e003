#include "app/scene_choices.h"

#include <algorithm>
#include <filesystem>

#include "app/scene_file.h"

namespace fs = std::filesystem;

namespace {

SceneChoice Choice_Of(const fs::path& file) {
    SceneChoice choice{file.stem().string(), file.string()};
    try {
        choice.label = Read_Scene_File(choice.path).name;
    } catch (const SceneFileError&) {
        // Offered by its file name; the fault is told when it is chosen.
    }
    return choice;
}

}  // namespace

std::vector<SceneChoice> Scene_Choices(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() == ".toml") {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<SceneChoice> choices{{"Breakout", ""}};
    for (const fs::path& file : files) {
        choices.push_back(Choice_Of(file));
    }
    return choices;
}

size_t Choice_For(std::vector<SceneChoice>& choices, const std::string& path) {
    std::error_code error;
    for (size_t i = 0; i < choices.size(); ++i) {
        if (!choices[i].path.empty() && fs::equivalent(choices[i].path, path, error)) {
            return i;
        }
    }
    choices.push_back(Choice_Of(path));
    return choices.size() - 1;
}
