#pragma once

#include <string>

// The folder the demo reads its data from (objects/, textures/) and captures its frames into
// (images/). The working directory comes first, so that a folder prepared by hand is used as it
// is; when it lacks the ball's mesh, the data folder of the source tree the program was built
// from is used instead, so the program also runs started from elsewhere. The program works inside
// the folder chosen, and its files keep their relative names ("objects/sphere.poly").
struct DataFolder {
    std::string path;       // where to work: the working directory when neither has the mesh
    std::string looked_in;  // where the mesh was looked for, for the message when a file fails
};

// Looks for `mesh`, a name relative to a data folder, in `working` and then in `built_in`.
DataFolder Find_Data_Folder(const std::string& working, const std::string& built_in,
                            const char* mesh);
