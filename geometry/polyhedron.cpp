#include "geometry/polyhedron.h"

#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "geometry/generic_exception.h"
#include "geometry/polyhedron_input.h"

void VoronoiPlane::Refresh(const Matrix4d& transform, std::uint64_t query_stamp) {
    if (stamp == query_stamp) {
        return;
    }
    if (edge == nullptr) {  // a face's own supporting plane
        PolyVertex& a = *face->vertices[0];
        PolyVertex& b = *face->vertices[1];
        PolyVertex& c = *face->vertices[2];
        a.Refresh(transform, query_stamp);
        b.Refresh(transform, query_stamp);
        c.Refresh(transform, query_stamp);
        normal = Cross(c.world - b.world, a.world - b.world);
        normal.Set_Length(1.0);
        offset = -Dot(normal, b.world);
    } else if (face != nullptr) {  // between an edge and one of its two faces
        face->Refresh(transform, query_stamp);
        edge->Refresh(transform, query_stamp);
        normal = face == edge->left_face ? Cross(face->plane.normal, edge->direction)
                                         : Cross(edge->direction, face->plane.normal);
        normal.Set_Length(1.0);
        offset = -Dot(normal, edge->head->world);
    } else {  // between an edge and one of its end vertices
        edge->Refresh(transform, query_stamp);
        const PolyVertex* end = at_head ? edge->head : edge->tail;
        normal = at_head ? edge->direction : -edge->direction;
        offset = -Dot(normal, end->world);
    }
    stamp = query_stamp;
}

void PolyEdge::Refresh(const Matrix4d& transform, std::uint64_t query_stamp) {
    if (stamp == query_stamp) {
        return;
    }
    head->Refresh(transform, query_stamp);
    tail->Refresh(transform, query_stamp);
    vector = head->world - tail->world;
    length = vector.Length();
    direction = vector * (1.0 / length);
    stamp = query_stamp;
}

void PolyFace::Refresh(const Matrix4d& transform, std::uint64_t query_stamp) {
    if (stamp == query_stamp) {
        return;
    }
    for (PolyVertex* v : vertices) {
        v->Refresh(transform, query_stamp);
    }
    plane.Refresh(transform, query_stamp);
    stamp = query_stamp;
}

Polyhedron::Polyhedron(int vertex_count, const double* coordinates, int face_count,
                       const int* face_sizes, const int* face_indices) {
    const std::string fault =
        Polyhedron_Input_Fault(vertex_count, coordinates, face_count, face_sizes, face_indices);
    if (!fault.empty()) {
        throw new GenericException("Polyhedron::Polyhedron: invalid shape", fault);
    }

    // Euler's formula for a closed convex polyhedron; the check above guarantees it holds, so
    // nothing below ever reallocates and every pointer between features stays valid.
    const int edge_count = vertex_count + face_count - 2;
    vertices.reserve(vertex_count);
    edges.reserve(edge_count);
    faces.reserve(face_count);
    links_.reserve(4 * static_cast<size_t>(edge_count));

    for (int i = 0; i < vertex_count; ++i) {
        const double* c = coordinates + 3 * i;
        vertices.emplace_back(Vector3d(c[0], c[1], c[2]));
    }
    const int* index = face_indices;
    for (int i = 0; i < face_count; ++i) {
        PolyFace& face = faces.emplace_back();
        face.vertex_count = face_sizes[i];
        for (int k = 0; k < face_sizes[i]; ++k) {
            face.vertices.push_back(&vertices[*index++]);
        }
        face.plane.face = &face;
    }

    // A side met the second time, by its other face, runs the opposite way: find its edge by the
    // (head, tail) pair it was created with.
    std::unordered_map<uint64_t, PolyEdge*> edge_by_ends;
    auto key = [this](const PolyVertex* tail, const PolyVertex* head) {
        return (static_cast<uint64_t>(tail - vertices.data()) << 32) |
               static_cast<uint64_t>(head - vertices.data());
    };
    for (PolyFace& face : faces) {
        const int n = face.vertex_count;
        for (int k = 0; k < n; ++k) {
            PolyVertex* tail = face.vertices[(k + n - 1) % n];
            PolyVertex* head = face.vertices[k];
            auto found = edge_by_ends.find(key(head, tail));
            if (found != edge_by_ends.end()) {
                PolyEdge& edge = *found->second;
                edge.right_face = &face;
                edge.right_plane.face = &face;
                Append_To_Ring(face, New_Link(&edge.right_plane, &edge));
            } else {
                edge_by_ends[key(tail, head)] = &Create_Edge(face, tail, head);
            }
        }
    }
}

PolyEdge& Polyhedron::Create_Edge(PolyFace& face, PolyVertex* tail, PolyVertex* head) {
    PolyEdge& edge = edges.emplace_back();
    edge.head = head;
    edge.tail = tail;
    edge.direction = head->position - tail->position;
    edge.length = edge.direction.Length();
    edge.direction *= 1.0 / edge.length;

    edge.head_plane.edge = &edge;
    edge.tail_plane.edge = &edge;
    edge.tail_plane.at_head = false;
    edge.left_face = &face;
    edge.left_plane.face = &face;
    edge.left_plane.edge = &edge;
    edge.right_plane.edge = &edge;

    for (auto [end, plane] :
         {std::pair{head, &edge.head_plane}, std::pair{tail, &edge.tail_plane}}) {
        FeatureLink* link = New_Link(plane, &edge);
        link->next = end->links;
        if (end->links != nullptr) {
            end->links->prev = link;
        }
        end->links = link;
    }
    Append_To_Ring(face, New_Link(&edge.left_plane, &edge));
    return edge;
}

FeatureLink* Polyhedron::New_Link(VoronoiPlane* plane, PolyEdge* edge) {
    FeatureLink& link = links_.emplace_back();
    link.plane = plane;
    link.edge = edge;
    return &link;
}

void Polyhedron::Append_To_Ring(PolyFace& face, FeatureLink* link) {
    if (face.sides == nullptr) {
        link->next = link->prev = link;
        face.sides = link;
        return;
    }
    FeatureLink* last = face.sides->prev;
    link->prev = last;
    link->next = face.sides;
    last->next = link;
    face.sides->prev = link;
}

namespace {

// Whether two transforms are the same bit for bit, word by word: a placement that changed most
// often differs in its first word already (the turn), and a call of memcmp cost more than the
// comparison.
bool Same_Bits(const Matrix4d& a, const Matrix4d& b) {
    for (int i = 0; i < 16; ++i) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, &a.m[i], sizeof x);
        std::memcpy(&y, &b.m[i], sizeof y);
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::uint64_t Polyhedron::Begin_Query(const Matrix4d& transform) {
    ++stamp;
    if (placed_stamp_ == 0 || !Same_Bits(transform, placed_by_)) {
        placed_by_ = transform;
        placed_stamp_ = stamp;
    }
    return placed_stamp_;
}

double Polyhedron::X_Half_Extent() const {
    double largest = -1e20;
    double smallest = 1e20;
    for (const PolyVertex& v : vertices) {
        if (v.position.x > largest) {
            largest = v.position.x;
        }
        if (v.position.x < smallest) {
            smallest = v.position.x;
        }
    }
    return (largest - smallest) / 2.0;
}
