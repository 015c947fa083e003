// Writes the demo's ball, data/objects/sphere.poly: a unit icosphere (an icosahedron whose
// triangles are split in four twice and pushed out onto the sphere: 162 vertices, 320 faces) with
// smooth normals and a beach-ball pattern of six coloured segments between white caps. The caps
// sit on the local x axis, the axis the ball stretches along, so the stripes wrap around the
// stretch.
//
//   build/release/tools/make_sphere_mesh > data/objects/sphere.poly
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace {

struct Point {
    double x, y, z;
};

Point On_Sphere(Point p) {
    const double length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return {p.x / length, p.y / length, p.z / length};
}

struct Icosphere {
    std::vector<Point> vertices;
    std::vector<std::array<int, 3>> faces;  // counter-clockwise seen from outside

    int Midpoint(int a, int b, std::map<std::pair<int, int>, int>& cache) {
        const auto key = std::minmax(a, b);
        auto found = cache.find(key);
        if (found != cache.end()) {
            return found->second;
        }
        const Point& p = vertices[a];
        const Point& q = vertices[b];
        vertices.push_back(On_Sphere({(p.x + q.x) / 2, (p.y + q.y) / 2, (p.z + q.z) / 2}));
        return cache[key] = static_cast<int>(vertices.size()) - 1;
    }

    void Subdivide() {
        std::map<std::pair<int, int>, int> cache;
        std::vector<std::array<int, 3>> finer;
        for (const auto& f : faces) {
            const int ab = Midpoint(f[0], f[1], cache);
            const int bc = Midpoint(f[1], f[2], cache);
            const int ca = Midpoint(f[2], f[0], cache);
            finer.push_back({f[0], ab, ca});
            finer.push_back({f[1], bc, ab});
            finer.push_back({f[2], ca, bc});
            finer.push_back({ab, bc, ca});
        }
        faces = std::move(finer);
    }
};

Icosphere Icosahedron() {
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    Icosphere s;
    for (Point p : {Point{-1, t, 0}, Point{1, t, 0}, Point{-1, -t, 0}, Point{1, -t, 0},
                    Point{0, -1, t}, Point{0, 1, t}, Point{0, -1, -t}, Point{0, 1, -t},
                    Point{t, 0, -1}, Point{t, 0, 1}, Point{-t, 0, -1}, Point{-t, 0, 1}}) {
        s.vertices.push_back(On_Sphere(p));
    }
    s.faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    return s;
}

// Colour index of a face from its centre: caps around the x axis, six segments around it.
int Pattern(const Point& centre) {
    if (std::fabs(centre.x) > 0.8) {
        return 0;
    }
    const double around = std::atan2(centre.z, centre.y) + M_PI;  // 0 .. 2 pi around the x axis
    return 1 + static_cast<int>(around / (M_PI / 3.0)) % 6;
}

}  // namespace

int main() {
    Icosphere ball = Icosahedron();
    ball.Subdivide();
    ball.Subdivide();

    const double colours[7][3] = {{1.0, 1.0, 1.0},    {0.92, 0.16, 0.12}, {1.0, 0.84, 0.16},
                                  {0.16, 0.42, 0.95}, {0.92, 0.16, 0.12}, {1.0, 0.84, 0.16},
                                  {0.16, 0.42, 0.95}};

    std::printf("%zu\n", ball.vertices.size());
    for (const Point& p : ball.vertices) {
        std::printf("%.17g %.17g %.17g\n", p.x, p.y, p.z);
    }
    std::printf("%zu\n",
                ball.vertices.size());  // smooth shading: a vertex's normal is its position
    for (const Point& p : ball.vertices) {
        std::printf("%.17g %.17g %.17g\n", p.x, p.y, p.z);
    }
    std::printf("7\n");
    for (const auto& c : colours) {
        std::printf("%g %g %g\n", c[0], c[1], c[2]);
    }
    std::printf("%zu\n", ball.faces.size());
    for (size_t i = 0; i < ball.faces.size(); ++i) {
        std::printf(i + 1 < ball.faces.size() ? "3 " : "3\n");
    }
    for (const auto& f : ball.faces) {
        const Point& a = ball.vertices[f[0]];
        const Point& b = ball.vertices[f[1]];
        const Point& c = ball.vertices[f[2]];
        const int colour =
            Pattern({(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3});
        std::printf("%d %d %d  %d %d %d  %d %d %d\n", f[0], f[0], colour, f[1], f[1], colour, f[2],
                    f[2], colour);
    }
    return 0;
}
