#pragma once

#include <memory>
#include <vector>

#include "geometry/polyhedron.h"

// Convex test shapes, written out here independently of the bodies that use the same figures.
struct ShapeTables {
    std::vector<double> coordinates;  // x, y, z per vertex
    std::vector<int> face_sizes;
    std::vector<int> face_indices;

    std::unique_ptr<Polyhedron> Build() const;
};

ShapeTables Box_Tables();          // corners (+-1, +-1, +-1), the six faces +z, -z, +x, -x, +y, -y
ShapeTables Tetrahedron_Tables();  // (0,0,0), (1,0,0), (0,1,0), (0,0,1)
ShapeTables Paddle_Tables();       // the 16-vertex box with a tapered nose, 14 quadrilaterals

inline std::unique_ptr<Polyhedron> Make_Box() {
    return Box_Tables().Build();
}
