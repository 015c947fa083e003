#pragma once

#include <string>
#include <vector>

// What the window's "Scene" chooser offers: the breakout game, then every scene file of a folder.

struct SceneChoice {
    std::string label;  // as the chooser shows it
    std::string path;   // the scene file; empty for the breakout game
};

// "Breakout", then the .toml files in `folder` in the order of their file names, each under the
// name its [scene] table gives it. A file that cannot be read is offered under its file name all
// the same: choosing it tells what is wrong with it. A folder that is missing offers only the
// breakout.
std::vector<SceneChoice> Scene_Choices(const std::string& folder);

// The chooser's entry for the scene file at `path`, added at the end when none of `choices` is
// that file. A file is recognised by what it is, not by how its path is written.
size_t Choice_For(std::vector<SceneChoice>& choices, const std::string& path);
