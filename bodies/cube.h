#pragma once

#include <memory>

#include "geometry/polyhedron.h"
#include "render/render_object.h"
#include "sim/sim_object.h"

// A box body, both simulated and drawable. Its collision shape is the box with corners
// (+-1, +-1, +-1); its real size is the per-axis `scale` of its state, so one shape serves for
// walls, ceiling and blocks alike. It draws as a lit box of one colour whose faces are each cut
// into a grid of `subdivisions` x `subdivisions` small quads (finer grids light more evenly).
class Cube : public RenderObject, public SimObject {
public:
    // A fixed unit box at the origin with every cartoon parameter 1.
    explicit Cube(const char* name);
    // The same, then `state` as both the committed and the initial state, and the parameters.
    Cube(const char* name, const SimState& state, double max_squash, double max_stretch,
         double stretch_rate, double squash_rate, double restitution);
    // A box whose shape itself has these half sizes, for a body that moves freely: the state's
    // scale of a free body is its squash and stretch, so its size must live in its shape.
    Cube(const char* name, const Vector3d& half_sizes);

    void Set_Color(float red, float green, float blue);

    void Draw() override;

    float color[3] = {1.0f, 1.0f, 1.0f};  // red, green, blue in 0 ... 1; white until set
    int subdivisions = 3;                 // grid cells along each side of a drawn face
    const Vector3d half_sizes;            // the shape's own, before the state's scale

protected:
    // A box-like body with a collision shape of its own instead of the box.
    Cube(const char* name, std::unique_ptr<Polyhedron> shape,
         const Vector3d& shape_half_sizes = {1.0, 1.0, 1.0});

    void Set_Start(const SimState& start, double max_squash, double max_stretch,
                   double stretch_rate, double squash_rate, double restitution);
};

// The box's collision shape: corners (+-1, +-1, +-1) scaled per axis by `half_sizes`, faces +z,
// -z, +x, -x, +y, -y.
std::unique_ptr<Polyhedron> Make_Box_Shape(const Vector3d& half_sizes = {1.0, 1.0, 1.0});
