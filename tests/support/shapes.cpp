#include "support/shapes.h"

std::unique_ptr<Polyhedron> ShapeTables::Build() const {
    return std::make_unique<Polyhedron>(coordinates.size() / 3, coordinates.data(),
                                        face_sizes.size(), face_sizes.data(), face_indices.data());
}

ShapeTables Box_Tables() {
    return {{1, 1, 1, -1, 1, 1, -1, -1, 1, 1, -1, 1, 1, 1, -1, -1, 1, -1, -1, -1, -1, 1, -1, -1},
            {4, 4, 4, 4, 4, 4},
            {0, 1, 2, 3, 7, 6, 5, 4, 0, 3, 7, 4, 2, 1, 5, 6, 0, 4, 5, 1, 3, 2, 6, 7}};
}

ShapeTables Tetrahedron_Tables() {
    return {
        {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {3, 3, 3, 3}, {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}};
}

ShapeTables Paddle_Tables() {
    const double a = static_cast<double>(0.8f), b = static_cast<double>(0.7f);  // widened floats
    return {{1, a,   1,    -1, a,    1, -1, -a,    1,   1,   -a,    1,    1,   a,    -1,   -1,
             a, -1,  -1,   -a, -1,   1, -a, -1,    0.5, 0.5, 4,     -0.5, 0.5, 4,    -0.5, -0.5,
             4, 0.5, -0.5, 4,  0.85, b, 3,  -0.85, b,   3,   -0.85, -b,   3,   0.85, -b,   3},
            std::vector<int>(14, 4),
            {8,  9,  10, 11, 7, 6,  5,  4,  0,  3,  7,  4,  2,  1,  5,  6,  1,  2,  14,
             13, 12, 15, 3,  0, 13, 14, 10, 9,  8,  11, 15, 12, 11, 10, 14, 15, 15, 14,
             2,  3,  3,  2,  6, 7,  9,  8,  12, 13, 13, 12, 0,  1,  1,  0,  4,  5}};
}
