#include "geometry/poly_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "geometry/generic_exception.h"
#include "support/approx.h"

namespace {

// The tetrahedron of the format's description: one normal per face, one colour.
const char* const kTetrahedron =
    "4\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
    "4\n0 0 -1\n0 -1 0\n-1 0 0\n1 1 1\n"
    "1\n1 0.5 0\n"
    "4\n3 3 3 3\n"
    "0 0 0  2 0 0  1 0 0\n0 1 0  1 1 0  3 1 0\n0 2 0  3 2 0  2 2 0\n1 3 0  2 3 0  3 3 0\n";

std::string Write_File(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Every token of `text` on a line of its own, or all of them on one line.
std::string Relayout(const std::string& text, const char* separator) {
    std::istringstream in(text);
    std::string token, out;
    while (in >> token) {
        out += token + separator;
    }
    return out;
}

PolyMesh Load(const std::string& path, Vector3d scale = {1, 1, 1}, Vector3d offset = {}) {
    return Load_Poly_Mesh(path.c_str(), scale, offset);
}

// Loads text that must fail; returns the exception for inspection.
std::unique_ptr<GenericException> Load_Failure(const std::string& path) {
    try {
        Load(path);
    } catch (GenericException* e) {
        return std::unique_ptr<GenericException>(e);
    }
    ADD_FAILURE() << path << " loaded";
    return nullptr;
}

void Expect_Load_Error(const std::string& name, const std::string& text, const std::string& detail) {
    const std::string path = Write_File(name, text);
    auto failure = Load_Failure(path);
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->Message(), "PolyObject::PolyObject: Cannot load file: " + path);
    EXPECT_NE(failure->Detail().find(detail), std::string::npos) << failure->Detail();
}

}  // namespace

TEST(PolyMesh, ReadsTheTetrahedronExample) {
    const PolyMesh mesh = Load(Write_File("tetra.poly", kTetrahedron));
    ASSERT_EQ(mesh.mesh_vertices.size(), 4u);
    ASSERT_EQ(mesh.mesh_normals.size(), 4u);
    ASSERT_EQ(mesh.mesh_colors.size(), 1u);
    EXPECT_EQ(mesh.face_sizes, std::vector<int>({3, 3, 3, 3}));
    EXPECT_EQ(mesh.vertex_indices, std::vector<int>({0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}));
    EXPECT_EQ(mesh.normal_indices, std::vector<int>({0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(mesh.color_indices, std::vector<int>(12, 0));
    EXPECT_TRUE(Near(mesh.mesh_colors[0], Vector3d(1, 0.5, 0), 0.0));
    EXPECT_TRUE(Near(mesh.mesh_normals[3], Vector3d(1, 1, 1) * (1 / std::sqrt(3.0)), 1e-15));
    ASSERT_NE(mesh.polyhedron, nullptr);
    EXPECT_EQ(mesh.polyhedron->edges.size(), 6u);
    EXPECT_EQ(mesh.polyhedron->X_Half_Extent(), 0.5);
}

TEST(PolyMesh, LineBreaksMeanNothing) {
    const PolyMesh usual = Load(Write_File("usual.poly", kTetrahedron));
    for (const char* separator : {"\n", " ", "\t\r\n  "}) {
        const PolyMesh other = Load(Write_File("relaid.poly", Relayout(kTetrahedron, separator)));
        ASSERT_EQ(other.mesh_vertices.size(), usual.mesh_vertices.size());
        for (size_t i = 0; i < usual.mesh_vertices.size(); ++i) {
            EXPECT_TRUE(Near(other.mesh_vertices[i], usual.mesh_vertices[i], 0.0));
            EXPECT_TRUE(Near(other.mesh_normals[i], usual.mesh_normals[i], 0.0));
        }
        EXPECT_EQ(other.vertex_indices, usual.vertex_indices);
        EXPECT_EQ(other.normal_indices, usual.normal_indices);
        EXPECT_EQ(other.color_indices, usual.color_indices);
    }
}

TEST(PolyMesh, TextAfterTheLastCornerIsIgnored) {
    const PolyMesh mesh = Load(Write_File("trailing.poly", std::string(kTetrahedron) + "and then some words 1 2 3"));
    EXPECT_EQ(mesh.vertex_indices.size(), 12u);
}

TEST(PolyMesh, ScaleAndOffsetApplyToVerticesAndInverselyToNormals) {
    // Vertex 0 is (0.5, -1, 0); normal 0 is (0, 3, 0), normal 1 is (1, 1, 0), normal 2 is zero.
    const std::string text =
        "4  0.5 -1 0  3 0 0  0 2 0  0 0 2\n"
        "4  0 3 0  1 1 0  0 0 0  1 1 1\n"
        "1  1 1 1\n"
        "4  3 3 3 3\n"
        "0 0 0  2 0 0  1 0 0  0 1 0  1 1 0  3 1 0  0 2 0  3 2 0  2 2 0  1 3 0  2 3 0  3 3 0\n";
    const std::string path = Write_File("scaled.poly", text);

    const PolyMesh doubled = Load(path, {2, 2, 2});
    EXPECT_TRUE(Near(doubled.mesh_vertices[0], Vector3d(1, -2, 0), 0.0));
    EXPECT_TRUE(Near(doubled.mesh_normals[0], Vector3d(0, 1, 0), 0.0));
    EXPECT_TRUE(Near(doubled.mesh_normals[2], Vector3d(0, 0, 0), 0.0));

    const PolyMesh stretched = Load(path, {2, 1, 1}, {10, 0, -1});
    Vector3d expected(0.5, 1, 0);
    expected.Set_Length(1.0);
    EXPECT_TRUE(Near(stretched.mesh_normals[1], expected, 1e-15));
    EXPECT_TRUE(Near(stretched.mesh_vertices[0], Vector3d(11, -1, -1), 0.0));
}

TEST(PolyMesh, MissingFileFailsWithTheOpenError) {
    const std::string path = ::testing::TempDir() + "no/such/file.poly";
    auto failure = Load_Failure(path);
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(failure->Message(), "PolyObject::PolyObject: Cannot open file: " + path);
}

TEST(PolyMesh, MalformedOrShortFilesFailWithTheLoadError) {
    std::string truncated(kTetrahedron);
    truncated.resize(truncated.rfind("2 3 0"));
    Expect_Load_Error("truncated.poly", truncated, "the file ends where the vertex index of corner 1 of face 3");
    Expect_Load_Error("letter.poly", "x\n", "\"x\" where the vertex count should be an integer");
    Expect_Load_Error("empty.poly", "", "the file ends where the vertex count should be");
    Expect_Load_Error("glued.poly", "4 0 0 0 1 0 0 0 1 0 0 0 1x", "\"1x\" where vertex 3");
    Expect_Load_Error("real_count.poly", "4.5", "should be an integer");
    Expect_Load_Error("huge_count.poly", "99999999999", "should be an integer");
    Expect_Load_Error("infinite.poly", "4 0 0 inf", "finite real number");
}

TEST(PolyMesh, BadCountsIndicesAndShapesFailWithTheLoadError) {
    Expect_Load_Error("negative.poly", "-1", "the vertex count is -1, below 0");
    // A count far beyond the data ends in a missing number, not a huge allocation.
    Expect_Load_Error("many.poly", "2000000000 1 2 3", "the file ends where vertex 1");

    std::string text(kTetrahedron);
    auto with = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        changed.replace(changed.rfind(from), from.size(), to);
        return changed;
    };
    Expect_Load_Error("vertex_index.poly", with("3 3 0\n", "4 3 0\n"), "the vertex index of corner 2 of face 3 is 4");
    Expect_Load_Error("normal_index.poly", with("3 3 0\n", "3 7 0\n"), "the normal index of corner 2 of face 3 is 7");
    Expect_Load_Error("colour_index.poly", with("3 3 0\n", "3 3 -1\n"), "the colour index of corner 2 of face 3 is -1");
    Expect_Load_Error("two_corners.poly", with("3 3 3 3", "3 3 3 2"), "face 3 has 2 corners");
    // Faces that do not close up: the last triangle wound the wrong way round.
    Expect_Load_Error("open.poly", with("1 3 0  2 3 0  3 3 0", "2 3 0  1 3 0  3 3 0"),
                      "do not form a closed convex polyhedron");
}

TEST(PolyMesh, TheDemoBallIsAClosedConvexUnitSphere) {
    const PolyMesh ball = Load(TOVREL_SOURCE_DIR "/data/objects/sphere.poly");
    ASSERT_NE(ball.polyhedron, nullptr);
    EXPECT_GE(ball.face_sizes.size(), 200u);
    EXPECT_LE(ball.face_sizes.size(), 1000u);
    for (const Vector3d& v : ball.mesh_vertices) {
        EXPECT_NEAR(v.Length(), 1.0, 1e-6);
    }
    for (const Vector3d& n : ball.mesh_normals) {
        EXPECT_NEAR(n.Length(), 1.0, 1e-12);
    }
    for (const Vector3d& c : ball.mesh_colors) {
        for (double channel : {c.x, c.y, c.z}) {
            EXPECT_GE(channel, 0.0);
            EXPECT_LE(channel, 1.0);
        }
    }
    // Smooth shading: each corner's normal is its vertex's direction from the centre.
    for (size_t k = 0; k < ball.vertex_indices.size(); ++k) {
        EXPECT_TRUE(Near(ball.mesh_normals[ball.normal_indices[k]], ball.mesh_vertices[ball.vertex_indices[k]], 1e-6));
    }
    EXPECT_NEAR(ball.polyhedron->X_Half_Extent(), 1.0, 1e-6);

    const double single_point_three = static_cast<double>(0.3f);
    const PolyMesh small = Load(TOVREL_SOURCE_DIR "/data/objects/sphere.poly",
                                {single_point_three, single_point_three, single_point_three});
    EXPECT_NEAR(small.polyhedron->X_Half_Extent(), single_point_three, 1e-6);
}
