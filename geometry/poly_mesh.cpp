#include "geometry/poly_mesh.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "geometry/generic_exception.h"

namespace {

// Hands out the file's whitespace-separated tokens one by one and parses each as a whole: a token
// with anything after the number, such as "12abc" or "1,5", is malformed, not a shorter number.
class TokenReader {
public:
    explicit TokenReader(std::string text) : text_(std::move(text)) {}

    // Each returns false, with `fault` set, when the next token is missing or not such a number.
    bool Integer(int& value, const std::string& what) {
        std::string_view token;
        if (!Next(token, what)) {
            return false;
        }
        if (!token.empty() && token.front() == '+') {
            token.remove_prefix(1);
        }
        long long wide = 0;
        auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), wide);
        if (error != std::errc() || end != token.data() + token.size() ||
            wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
            return Malformed(token, what, "an integer");
        }
        value = static_cast<int>(wide);
        return true;
    }

    bool Real(double& value, const std::string& what) {
        std::string_view token;
        if (!Next(token, what)) {
            return false;
        }
        std::string_view digits = token;
        if (!digits.empty() && digits.front() == '+') {
            digits.remove_prefix(1);
        }
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
            return Malformed(token, what, "a finite real number");
        }
        return true;
    }

    bool Triple(Vector3d& v, const std::string& what) {
        return Real(v.x, what) && Real(v.y, what) && Real(v.z, what);
    }

    const std::string& Fault() const { return fault_; }

    bool Fail(const std::string& fault) {
        fault_ = fault;
        return false;
    }

private:
    bool Next(std::string_view& token, const std::string& what) {
        auto is_space = [](char c) {
            return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
        };
        while (at_ < text_.size() && is_space(text_[at_])) {
            ++at_;
        }
        if (at_ == text_.size()) {
            return Fail("the file ends where " + what + " should be");
        }
        const size_t start = at_;
        while (at_ < text_.size() && !is_space(text_[at_])) {
            ++at_;
        }
        token = std::string_view(text_).substr(start, at_ - start);
        return true;
    }

    bool Malformed(std::string_view token, const std::string& what, const char* expected) {
        constexpr size_t kShown = 40;
        std::string shown(token.substr(0, kShown));
        if (token.size() > kShown) {
            shown += "...";
        }
        return Fail("\"" + shown + "\" where " + what + " should be " + expected);
    }

    std::string text_;
    size_t at_ = 0;
    std::string fault_;
};

bool Read_Whole_File(const char* path, std::string& text) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(file);
    return true;
}

// A section count: read as an integer and refused when negative. Tables grow as their items are
// actually read, so a huge count in a short file ends in the missing-number error, not in a huge
// allocation.
bool Count(TokenReader& in, int& count, const std::string& what) {
    if (!in.Integer(count, what)) {
        return false;
    }
    if (count < 0) {
        return in.Fail(what + " is " + std::to_string(count) + ", below 0");
    }
    return true;
}

bool Index(TokenReader& in, int& index, size_t table_size, const std::string& what) {
    if (!in.Integer(index, what)) {
        return false;
    }
    if (index < 0 || static_cast<size_t>(index) >= table_size) {
        return in.Fail(what + " is " + std::to_string(index) + ", outside its table of " +
                       std::to_string(table_size));
    }
    return true;
}

bool Read_Tables(TokenReader& in, const Vector3d& scale, const Vector3d& offset, PolyMesh& mesh) {
    using std::to_string;
    int count = 0;
    if (!Count(in, count, "the vertex count")) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        Vector3d p;
        if (!in.Triple(p, "vertex " + to_string(i))) {
            return false;
        }
        mesh.mesh_vertices.push_back(offset + Scale_Each(scale, p));
    }

    if (!Count(in, count, "the normal count")) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        Vector3d n;
        if (!in.Triple(n, "normal " + to_string(i))) {
            return false;
        }
        n = Vector3d(n.x / scale.x, n.y / scale.y, n.z / scale.z);
        n.Set_Length(1.0);
        mesh.mesh_normals.push_back(n);
    }

    if (!Count(in, count, "the colour count")) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        Vector3d rgb;
        if (!in.Triple(rgb, "colour " + to_string(i))) {
            return false;
        }
        mesh.mesh_colors.push_back(rgb);
    }

    if (!Count(in, count, "the face count")) {
        return false;
    }
    for (int f = 0; f < count; ++f) {
        int size = 0;
        if (!in.Integer(size, "the size of face " + to_string(f))) {
            return false;
        }
        if (size < 3) {
            return in.Fail("face " + to_string(f) + " has " + to_string(size) +
                           " corners; a face needs at least 3");
        }
        mesh.face_sizes.push_back(size);
    }
    for (int f = 0; f < count; ++f) {
        for (int k = 0; k < mesh.face_sizes[f]; ++k) {
            const std::string corner = "corner " + to_string(k) + " of face " + to_string(f);
            int v = 0;
            int n = 0;
            int c = 0;
            if (!Index(in, v, mesh.mesh_vertices.size(), "the vertex index of " + corner) ||
                !Index(in, n, mesh.mesh_normals.size(), "the normal index of " + corner) ||
                !Index(in, c, mesh.mesh_colors.size(), "the colour index of " + corner)) {
                return false;
            }
            mesh.vertex_indices.push_back(v);
            mesh.normal_indices.push_back(n);
            mesh.color_indices.push_back(c);
        }
    }
    return true;
}

}  // namespace

PolyMesh Load_Poly_Mesh(const char* path, const Vector3d& scale, const Vector3d& offset) {
    std::string text;
    if (!Read_Whole_File(path, text)) {
        const std::string reason = std::strerror(errno);
        throw new GenericException(std::string("PolyObject::PolyObject: Cannot open file: ") + path,
                                   reason);
    }
    return Parse_Poly_Mesh(std::move(text), path, scale, offset);
}

PolyMesh Parse_Poly_Mesh(std::string text, const char* path, const Vector3d& scale,
                         const Vector3d& offset) {
    const std::string load_error = std::string("PolyObject::PolyObject: Cannot load file: ") + path;

    PolyMesh mesh;
    TokenReader in(std::move(text));
    if (!Read_Tables(in, scale, offset, mesh)) {
        throw new GenericException(load_error, in.Fault());
    }

    std::vector<double> coordinates;
    for (const Vector3d& p : mesh.mesh_vertices) {
        coordinates.insert(coordinates.end(), {p.x, p.y, p.z});
    }
    try {
        mesh.polyhedron = std::make_unique<Polyhedron>(
            static_cast<int>(mesh.mesh_vertices.size()), coordinates.data(),
            static_cast<int>(mesh.face_sizes.size()), mesh.face_sizes.data(),
            mesh.vertex_indices.data());
    } catch (GenericException* fault) {
        const std::string detail = fault->Detail();
        delete fault;
        throw new GenericException(load_error,
                                   "the faces do not form a closed convex polyhedron: " + detail);
    }
    return mesh;
}
