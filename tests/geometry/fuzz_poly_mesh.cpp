// libFuzzer target for the mesh file reader: any byte string must either load into a valid
// polyhedron or fail with the load error, without crashing, leaking or reading out of bounds.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "geometry/generic_exception.h"
#include "geometry/poly_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const PolyMesh mesh = Parse_Poly_Mesh(std::string(reinterpret_cast<const char*>(data), size), "fuzz.poly",
                                              Vector3d(0.5, 1.0, 2.0), Vector3d(0.0, 0.0, 1.0));
        const Polyhedron& shape = *mesh.polyhedron;
        if (shape.edges.size() != shape.vertices.size() + shape.faces.size() - 2 ||
            mesh.vertex_indices.size() != mesh.normal_indices.size()) {
            std::abort();
        }
    } catch (GenericException* e) {
        std::unique_ptr<GenericException> owned(e);
        if (e->Message() != "PolyObject::PolyObject: Cannot load file: fuzz.poly" || e->Detail().empty()) {
            std::abort();
        }
    }
    return 0;
}
