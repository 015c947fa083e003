// libFuzzer target for the mesh file reader: any bytes either load (into a shape the builder has
// checked) or throw the reader's own exception; a crash, leak, stray read or other exception fails.
#include <cstdint>
#include <string>

#include "geometry/generic_exception.h"
#include "geometry/poly_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Parse_Poly_Mesh(std::string(reinterpret_cast<const char*>(data), size), "fuzz.poly",
                        {0.5, 1.0, 2.0}, {0.0, 0.0, 1.0});
    } catch (GenericException* e) {
        delete e;
    }
    return 0;
}
