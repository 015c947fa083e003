#include "app/scene_bodies.h"

void Set_Parameters(SimObject& body, const CartoonParameters& parameters) {
    body.max_squash = parameters.max_squash;
    body.max_stretch = parameters.max_stretch;
    body.stretch_rate = parameters.stretch_rate;
    body.squash_rate = parameters.squash_rate;
    body.restitution = parameters.restitution;
}

SimState Still_State(SimMode mode, const Vector3d& position, const Vector3d& scale) {
    SimState s;
    s.mode = mode;
    s.position = position;
    s.scale = scale;
    return s;
}

std::unique_ptr<Cube> Make_Wall(const char* name, const Vector3d& position, const Vector3d& scale) {
    return std::make_unique<Cube>(name, Still_State(SimMode::Fixed, position, scale), 1.0, 1.0, 1.0,
                                  1.0, 1.0);
}

std::unique_ptr<PolyObject> Make_Ball(const char* name, const Vector3d& half_sizes) {
    return std::make_unique<PolyObject>(kBallMeshPath, name, half_sizes, Vector3d());
}
