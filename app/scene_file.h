#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/scene_bodies.h"
#include "math/vector3d.h"
#include "sim/sim_state.h"

// A scene file: a TOML text that says what is in the room, so that anyone can set up bodies
// without recompiling. An example:
//
//   [scene]
//   name = "Pile"
//   gravity = [0.0, 0.0, -9.81]      # optional, (0, 0, -9.8) by default
//   room = [6.0, 1.0, 12.0]          # optional: a closed room, half width, half depth, height
//
//   [[body]]
//   name = "Ball 1"                  # optional, "Body N" by default
//   shape = "ball"                   # "ball", "box", or a mesh file (relative to the scene file)
//   size = [0.3, 0.3, 0.3]           # half sizes
//   position = [0.0, 0.0, 5.0]
//   velocity = [2.0, 0.0, 0.0]       # optional
//   orientation = [0.0, 0.0, 1.0, 30.0]  # optional: axis and degrees
//   mode = "free"                    # optional: "free" (default), "resting" or "fixed"
//   color = [1.0, 0.5, 0.0]          # optional
//   max_stretch = 1.9                # optional, these five default to the ball's
//   stretch_rate = 0.25
//   max_squash = 0.45
//   squash_rate = 1.0
//   restitution = 1.0
//
// Reading one checks everything that can be checked without building a body; the builder
// (scene_builder.h) checks the rest. Either way a fault is one message naming the file and line.

// What is wrong with a scene file: "FILE:LINE: what is wrong".
class SceneFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The room's inside: floor at z = 0, walls at x = +-half_width and y = +-half_depth.
struct RoomDescription {
    double half_width = 0.0;
    double half_depth = 0.0;
    double height = 0.0;
};

struct BodyDescription {
    int line = 0;  // where its [[body]] table begins
    std::string name;
    std::string mesh_path;  // the file its shape is read from; empty for a box
    Vector3d size;          // half sizes
    Vector3d position;
    Vector3d velocity;
    Vector3d axis{0.0, 0.0, 1.0};
    double degrees = 0.0;
    SimMode mode = SimMode::Free;
    std::optional<Vector3d> color;
    CartoonParameters parameters = kBallParameters;
};

struct SceneDescription {
    std::string path;  // the file, as named in messages
    std::string name;
    Vector3d gravity;
    std::optional<RoomDescription> room;
    std::vector<BodyDescription> bodies;  // in file order
};

// The most bodies a scene may hold: every pair of them is checked, and every active pair may be
// queried in every probe of the simulator.
constexpr size_t kMaxSceneBodies = 500;

// Reads a scene from `text`; `path` names the file in messages, and relative mesh paths are
// taken from its folder. Throws SceneFileError.
SceneDescription Parse_Scene(const std::string& text, const std::string& path);

// Reads the file at `path`; one that cannot be read throws SceneFileError too.
SceneDescription Read_Scene_File(const std::string& path);
