#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/scene_file.h"
#include "render/render_object.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

// A body of a scene file, built: what the view draws and what the simulator moves are the same
// object seen through its two bases.
struct SceneBody {
    std::unique_ptr<RenderObject> drawable;
    SimObject* simulated = nullptr;
    std::string name;  // the body refers to it, so it lives as long as the body
    int line = 0;      // of its [[body]] table
};

// A scene built from its description: the bodies, the closed room around them if it has one, and
// a simulator holding them all, reset and ready to step. It never moves, since the simulator and
// the view refer to its bodies.
class Scene {
public:
    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // What the view draws: the room without its front wall, through which the camera looks, then
    // the bodies in file order.
    std::vector<RenderObject*> Drawables() const;
    // The room's wall that the camera looks through, left out of Drawables; null without a room.
    const SimObject* Front_Wall() const;

    std::string name;
    Vector3d gravity;                         // the scene's own, whatever the simulator's is now
    std::deque<SceneBody> bodies;             // in file order
    std::vector<std::unique_ptr<Cube>> room;  // floor, ceiling, left, right, back and front wall
    std::unique_ptr<Tovrel> simulator;        // declared last: it goes first, as it refers to both
    long contacts_begun = 0;                  // contacts that became primary since the scene began
};

// Builds the scene of `description` and checks what only built bodies can tell: every mesh
// loads, every body starts inside the room, no two bodies start touching or inside each other
// (two fixed ones may: they never meet). Throws SceneFileError, and then nothing of the scene
// remains.
std::unique_ptr<Scene> Build_Scene_From(const SceneDescription& description);

// Read_Scene_File, then Build_Scene_From.
std::unique_ptr<Scene> Load_Scene(const std::string& path);
