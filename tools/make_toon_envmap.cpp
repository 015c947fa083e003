// Writes the ball's toon-shading environment map, data/textures/env_toonshade.tga: a 256 x 256
// sphere map of four flat bands of grey (a small highlight, a lit band, a mid tone and a dark rim)
// that the view multiplies with a body's own colours to give it a hand-drawn, cel-shaded look.
//
//   build/release/tools/make_toon_envmap data/textures/env_toonshade.tga
//
// Sphere mapping looks a texel up by the eye-space normal of the surface point: the texel at
// (x, y) in [-1, 1]^2 from the image centre (y upwards) belongs to the normal (x, y, sqrt(1 - x^2 -
// y^2)). The centre faces the viewer and the edge of the disc is the silhouette, so the shading is
// worked out per normal, under a light from the upper left, and then cut into bands.
#include <cmath>
#include <cstdio>
#include <vector>

#include "image/tga.h"

namespace {

constexpr int kSize = 256;

struct Direction {
    double x, y, z;
};

Direction Unit(Direction d) {
    const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return {d.x / length, d.y / length, d.z / length};
}

double Dot(const Direction& a, const Direction& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Above, to the left of and in front of the viewer.
const Direction kLight = Unit({-0.45, 0.55, 0.70});
// Halfway between the light and the viewer: where a shiny ball shows the light's reflection.
const Direction kHalfway = Unit({kLight.x, kLight.y, kLight.z + 1.0});

// The grey levels of the bands, brightest first.
constexpr unsigned char kHighlight = 255;
constexpr unsigned char kLit = 220;
constexpr unsigned char kMidTone = 160;
constexpr unsigned char kRim = 90;

// Band limits: the highlight is a disc about 10 degrees of normal around the halfway direction;
// the lit and mid bands follow the diffuse term; normals turned this far from the viewer (the last
// few percent of the disc's radius) draw the dark outline of the silhouette.
constexpr double kHighlightCosine = 0.985;
constexpr double kLitDiffuse = 0.55;
constexpr double kMidDiffuse = 0.15;
constexpr double kRimFacing = 0.22;

unsigned char Band(double x, double y) {
    const double r2 = x * x + y * y;
    if (r2 >= 1.0) {
        return kRim;  // outside the disc: only reached by filtering at the very edge
    }
    const Direction normal{x, y, std::sqrt(1.0 - r2)};
    if (normal.z < kRimFacing) {
        return kRim;
    }
    if (Dot(normal, kHalfway) > kHighlightCosine) {
        return kHighlight;
    }
    const double diffuse = Dot(normal, kLight);
    if (diffuse > kLitDiffuse) {
        return kLit;
    }
    return diffuse > kMidDiffuse ? kMidTone : kRim;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.tga>\n", argv[0]);
        return 2;
    }
    // Rows bottom first, as the file and OpenGL store them: row j is y = (j + 0.5) / 128 - 1.
    std::vector<unsigned char> rgb;
    for (int row = 0; row < kSize; ++row) {
        for (int column = 0; column < kSize; ++column) {
            const double x = (column + 0.5) / (kSize / 2) - 1.0;
            const double y = (row + 0.5) / (kSize / 2) - 1.0;
            const unsigned char grey = Band(x, y);
            rgb.insert(rgb.end(), {grey, grey, grey});
        }
    }
    if (tga_save_file(argv[1], kSize, kSize, rgb.data(), 3) == 0) {
        std::fprintf(stderr, "make_toon_envmap: cannot write %s: %s\n", argv[1],
                     tga_error_message(tga_last_error()));
        return 1;
    }
    return 0;
}
