#include "app/scene_builder.h"

#include <cstdio>
#include <filesystem>

#include "app/scene_bodies.h"
#include "collision/body_pair_query.h"
#include "geometry/generic_exception.h"
#include "math/quaternion.h"

namespace {

// A body may touch the room's inner faces to within rounding.
constexpr double kRoomTolerance = 1e-9;
// Where the room's walls are in Scene::room.
constexpr size_t kFloor = 0;
constexpr size_t kBackWall = 4;
constexpr size_t kFrontWall = 5;

[[noreturn]] void Fail(const SceneDescription& scene, int line, const std::string& what) {
    throw SceneFileError(scene.path + ":" + std::to_string(line) + ": " + what);
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

std::string Point_Text(const Vector3d& p) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x, p.y, p.z);
    return text;
}

// The mesh's drawing colours all become `color`: a mesh body in a colour of the scene's choosing,
// still toon-shaded by the view's environment map.
void Paint(PolyObject& body, const Vector3d& color) {
    for (Vector3d& c : body.mesh_colors) {
        c = color;
    }
}

// The body's drawable, with its shape at its size: a box body, or a mesh read and scaled.
std::unique_ptr<RenderObject> Make_Body(const SceneDescription& scene, const BodyDescription& b,
                                        const char* name, SimObject*& simulated) {
    if (b.mesh_path.empty()) {
        auto box = std::make_unique<Cube>(name, b.size);
        if (b.color) {
            box->Set_Color(b.color->x, b.color->y, b.color->z);
        }
        simulated = box.get();
        return box;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(b.mesh_path, error)) {
        Fail(scene, b.line,
             "body " + Quoted(b.name) + ": the mesh file " + b.mesh_path +
                 (std::filesystem::exists(b.mesh_path, error) ? " is not a regular file"
                                                              : " does not exist"));
    }
    std::unique_ptr<PolyObject> mesh;
    try {
        mesh = std::make_unique<PolyObject>(b.mesh_path.c_str(), name, b.size, Vector3d());
    } catch (GenericException* fault) {
        std::string text = fault->Message();
        if (!fault->Detail().empty()) {
            text += ": " + fault->Detail();
        }
        delete fault;
        Fail(scene, b.line, "body " + Quoted(b.name) + ": " + text);
    }
    if (b.color) {
        Paint(*mesh, *b.color);
    }
    simulated = mesh.get();
    return mesh;
}

SimState Start_State(const BodyDescription& b) {
    SimState start = Still_State(b.mode, b.position, Vector3d(1.0, 1.0, 1.0));
    start.velocity = b.velocity;
    Vector3d axis = b.axis;
    axis.Set_Length(1.0);
    start.orientation = Quaternion::From_Axis_Angle(b.degrees, axis);
    return start;
}

// Six fixed boxes whose inner faces bound the room, overlapping at the edges so that nothing
// slips out between two of them.
void Build_Room(const RoomDescription& r, Scene& scene) {
    const double t = kWallHalfThickness;
    const double mid = r.height / 2;
    const double w = r.half_width + 2 * t, d = r.half_depth + 2 * t, h = mid + 2 * t;
    struct Wall {
        const char* name;
        Vector3d position, scale;
    };
    const Wall walls[] = {
        {"Floor", {0.0, 0.0, -t}, {w, d, t}},
        {"Ceiling", {0.0, 0.0, r.height + t}, {w, d, t}},
        {"Left Wall", {-r.half_width - t, 0.0, mid}, {t, d, h}},
        {"Right Wall", {r.half_width + t, 0.0, mid}, {t, d, h}},
        {"Back Wall", {0.0, r.half_depth + t, mid}, {w, t, h}},
        {"Front Wall", {0.0, -r.half_depth - t, mid}, {w, t, h}},
    };
    for (const Wall& wall : walls) {
        scene.room.push_back(Make_Wall(wall.name, wall.position, wall.scale));
    }
    // The breakout's colours: green walls, a darker back wall, and a white floor like its slab.
    for (auto& wall : scene.room) {
        wall->Set_Color(0.0f, 1.0f, 0.0f);
    }
    scene.room[kFloor]->Set_Color(1.0f, 1.0f, 1.0f);
    scene.room[kBackWall]->Set_Color(0.0f, 0.5f, 0.0f);
    scene.room[kBackWall]->subdivisions = kBackWallSubdivisions;
}

BodyPose Pose_Of(const SimObject& body) {
    return {body.state.position, body.state.orientation, body.state.scale};
}

// Where a convex body reaches is where its vertices are.
void Check_Inside_Room(const SceneDescription& description, const SceneBody& body) {
    const RoomDescription& r = *description.room;
    const Matrix4d placed = World_Transform(Pose_Of(*body.simulated));
    for (const PolyVertex& v : body.simulated->polyhedron->vertices) {
        const Vector3d p = placed.Transform_Point(v.position);
        if (std::fabs(p.x) > r.half_width + kRoomTolerance ||
            std::fabs(p.y) > r.half_depth + kRoomTolerance || p.z < -kRoomTolerance ||
            p.z > r.height + kRoomTolerance) {
            Fail(description, body.line,
                 "body " + Quoted(body.name) + " is not inside the room: it reaches " +
                     Point_Text(p));
        }
    }
}

void Check_Apart(const SceneDescription& description, const SceneBody& a, const SceneBody& b) {
    if (a.simulated->state.mode == SimMode::Fixed && b.simulated->state.mode == SimMode::Fixed) {
        return;
    }
    ClosestFeatures record;
    if (Query_Body_Pair(*a.simulated->polyhedron, Pose_Of(*a.simulated), *b.simulated->polyhedron,
                        Pose_Of(*b.simulated), record)) {
        Fail(description, b.line,
             "bodies " + Quoted(a.name) + " (line " + std::to_string(a.line) + ") and " +
                 Quoted(b.name) + " start touching or inside each other");
    }
}

void Count_Contact(Collision*, void* scene) {
    ++static_cast<Scene*>(scene)->contacts_begun;
}

}  // namespace

std::vector<RenderObject*> Scene::Drawables() const {
    std::vector<RenderObject*> drawn;
    for (size_t i = 0; i < room.size(); ++i) {
        if (i != kFrontWall) {
            drawn.push_back(room[i].get());
        }
    }
    for (const SceneBody& body : bodies) {
        drawn.push_back(body.drawable.get());
    }
    return drawn;
}

const SimObject* Scene::Front_Wall() const {
    return room.size() > kFrontWall ? room[kFrontWall].get() : nullptr;
}

std::unique_ptr<Scene> Build_Scene_From(const SceneDescription& description) {
    auto scene = std::make_unique<Scene>();
    scene->name = description.name;
    scene->gravity = description.gravity;
    for (const BodyDescription& b : description.bodies) {
        SceneBody& body = scene->bodies.emplace_back();
        body.name = b.name;
        body.line = b.line;
        body.drawable = Make_Body(description, b, body.name.c_str(), body.simulated);
        const SimState start = Start_State(b);
        body.simulated->state = start;
        body.simulated->initial_state = start;
        Set_Parameters(*body.simulated, b.parameters);
    }
    if (description.room) {
        Build_Room(*description.room, *scene);
    }

    scene->simulator = std::make_unique<Tovrel>();
    scene->simulator->gravity = description.gravity;
    scene->simulator->on_collision = Count_Contact;
    scene->simulator->on_collision_user = scene.get();
    for (const auto& wall : scene->room) {
        scene->simulator->Add_Object(wall.get(), true);
    }
    for (const SceneBody& body : scene->bodies) {
        scene->simulator->Add_Object(body.simulated, true);
    }
    // The starting poses, free bodies already stretched along their motion, are the ones checked.
    scene->simulator->Reset();
    for (size_t i = 0; i < scene->bodies.size(); ++i) {
        if (description.room) {
            Check_Inside_Room(description, scene->bodies[i]);
        }
        for (size_t j = 0; j < i; ++j) {
            Check_Apart(description, scene->bodies[j], scene->bodies[i]);
        }
    }
    return scene;
}

std::unique_ptr<Scene> Load_Scene(const std::string& path) {
    return Build_Scene_From(Read_Scene_File(path));
}
