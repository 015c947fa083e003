#include "geometry/poly_mesh.h"

#include <unistd.h>

#include <fstream>
#include <memory>

#include "geometry/generic_exception.h"
#include "support/approx.h"

namespace {

// The tetrahedron of the format's description (one normal per face, one colour), except that the
// vertex count is written +4, vertex 0 is (+0.5, -1, 0), vertex 1's x is written +1 and normals 0
// and 2 are (0, 3, 0) and (0, 0, 0).
const std::string kTetrahedron =
    "+4\n+0.5 -1 0\n+1 0 0\n0 1 0\n0 0 1\n4\n0 3 0\n1 1 0\n0 0 0\n1 1 1\n1\n1 0.5 0\n4\n3 3 3 3\n"
    "0 0 0  2 0 0  1 0 0\n0 1 0  1 1 0  3 1 0\n0 2 0  3 2 0  2 2 0\n1 3 0  2 3 0  3 3 0\n";

// One file per process: CTest runs each case in a process of its own, two at a time.
std::string Write_File(const std::string& text) {
    const std::string path = testing::TempDir() + "mesh-" + std::to_string(getpid()) + ".poly";
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace

TEST(PolyMesh, ReadsTheTablesScaledAndOffsetWhateverTheLineBreaks) {
    std::string one_per_line, one_line;
    for (char c : kTetrahedron) {
        one_per_line += c == ' ' ? '\n' : c;
        one_line += c == '\n' ? std::string(" \t\v\f\r") : std::string(1, c);
    }
    for (const std::string& text : {kTetrahedron, one_per_line, one_line + "then words 1 2 3"}) {
        const PolyMesh mesh = Load_Poly_Mesh(Write_File(text).c_str(), {2, 4, 0.5}, {10, 0, -1});
        EXPECT_TRUE(Near(mesh.mesh_vertices.at(0), {11, -4, -1}, 0.0));
        EXPECT_TRUE(Near(mesh.mesh_normals.at(0), {0, 1, 0}, 0.0));
        // (1, 1, 0) and (1, 1, 1) divided by the scale: (0.5, 0.25, 0) and (0.5, 0.25, 2).
        EXPECT_TRUE(Near(mesh.mesh_normals.at(1), Vector3d(2, 1, 0) * (1 / std::sqrt(5.0)), 1e-15));
        EXPECT_TRUE(Near(mesh.mesh_normals.at(2), {0, 0, 0}, 0.0));
        EXPECT_TRUE(
            Near(mesh.mesh_normals.at(3), Vector3d(2, 1, 8) * (1 / std::sqrt(69.0)), 1e-15));
        EXPECT_TRUE(Near(mesh.mesh_colors.at(0), {1, 0.5, 0}, 0.0));
        EXPECT_EQ(mesh.vertex_indices, std::vector<int>({0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}));
        EXPECT_EQ(mesh.normal_indices, std::vector<int>({0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
        EXPECT_EQ(mesh.color_indices, std::vector<int>(12, 0));
        EXPECT_EQ(mesh.polyhedron->X_Half_Extent(), 1.0);  // x from 10 to 12
    }
}

TEST(PolyMesh, BadFilesFailNamingTheFileAndTheFault) {
    auto with = [](const std::string& from, const std::string& to) {
        std::string changed = kTetrahedron;
        return changed.replace(changed.rfind(from), from.size(), to);
    };
    const std::tuple<const char*, std::string, const char*> rows[] = {
        {"empty", "", "the file ends where the vertex count should be"},
        {"letter for a count", "x\n", "\"x\" where the vertex count should be an integer"},
        {"real for a count", "4.5", "should be an integer"},
        {"count beyond int", std::string(41, '9'), "9...\" where the vertex count should be"},
        {"negative count", "-1", "the vertex count is -1, below 0"},
        {"no normal count", "4 0 0 0 1 0 0 0 1 0 0 0 1", "the file ends where the normal count"},
        {"no face count", "4 0 0 0 1 0 0 0 1 0 0 0 1 0 0", "the file ends where the face count"},
        {"count beyond the data", "2000000000 1 2 3", "the file ends where vertex 1"},
        {"glued token", "4 0 0 0 1 0 0 0 1 0 0 0 1x", "\"1x\" where vertex 3"},
        {"infinity", "4 0 0 inf", "finite real number"},
        {"no colour count", kTetrahedron.substr(0, kTetrahedron.find("1\n1 0.5")),
         "the file ends where the colour count"},
        {"no colour", kTetrahedron.substr(0, kTetrahedron.find("1 0.5 0")), "where colour 0"},
        {"face size no number", with("3 3 3 3", "3 3 a 3"), "\"a\" where the size of face 2"},
        {"ends among the corners", kTetrahedron.substr(0, kTetrahedron.rfind("2 3 0")),
         "the file ends where the vertex index of corner 1 of face 3"},
        {"vertex index", with("3 3 0\n", "4 3 0\n"), "the vertex index of corner 2 of face 3 is 4"},
        {"normal index", with("3 3 0\n", "3 7 0\n"), "the normal index of corner 2 of face 3 is 7"},
        {"colour index", with("3 3 0\n", "3 3 -1\n"), "colour index of corner 2 of face 3 is -1"},
        {"face of two corners", with("3 3 3 3", "3 3 3 2"), "face 3 has 2 corners"},
        {"backwards face", with("1 3 0  2 3 0", "2 3 0  1 3 0"), "do not form a closed convex"},
        {"missing file", "", nullptr}};
    for (const auto& [name, text, fault] : rows) {
        const std::string path = fault ? Write_File(text) : testing::TempDir() + "no/such.poly";
        try {
            Load_Poly_Mesh(path.c_str(), {1, 1, 1}, {});
            ADD_FAILURE() << name << ": loaded";
        } catch (GenericException* e) {
            const std::unique_ptr<GenericException> owned(e);
            const char* error = fault ? "Cannot load file: " : "Cannot open file: ";
            EXPECT_EQ(e->Message(), "PolyObject::PolyObject: " + (error + path)) << name;
            EXPECT_NE(e->Detail().find(fault ? fault : ""), std::string::npos)
                << name << ": " << e->Detail();
        }
    }
}
