#include "sim/pair_records.h"

#include <algorithm>

#include "collision/vclip.h"
#include "geometry/polyhedron.h"
#include "sim/collision.h"
#include "sim/sim_object.h"
#include "sim/tovrel.h"

namespace {

template <typename T>
int Index_In(const std::vector<T>& list, const Feature* feature) {
    return static_cast<int>(static_cast<const T*>(feature) - list.data());
}

}  // namespace

std::vector<const Collision*> Records_Of(const Tovrel& sim, const SimObject& body) {
    std::vector<const Collision*> records;
    const auto& active = sim.active_objects;
    if (std::find(active.begin(), active.end(), &body) == active.end()) {
        return records;
    }
    std::vector<const Collision*> current(sim.Asked_Records().begin(), sim.Asked_Records().end());
    for (const auto& [key, c] : sim.contacts) {
        current.push_back(c);
    }
    for (const SimObject* other : active) {
        const auto of_pair = [&](const Collision* c) {
            return (c->body_a == &body && c->body_b == other) ||
                   (c->body_b == &body && c->body_a == other);
        };
        const auto found = std::find_if(current.begin(), current.end(), of_pair);
        if (found != current.end()) {
            records.push_back(*found);
        }
    }
    return records;
}

const Collision* Nearest_Record(const Tovrel& sim, const SimObject& body) {
    const Collision* nearest = nullptr;
    double gap = 0.0;
    for (const Collision* c : Records_Of(sim, body)) {
        const double g = sim.In_Contact(*c) ? 0.0 : c->distance;
        if (nearest == nullptr || g < gap) {
            nearest = c;
            gap = g;
        }
    }
    return nearest;
}

std::string Feature_Label(const Polyhedron& shape, const Feature* feature) {
    if (feature == nullptr) {
        return "none";
    }
    switch (feature->kind) {
        case FeatureKind::Vertex:
            return "vertex " + std::to_string(Index_In(shape.vertices, feature));
        case FeatureKind::Edge:
            return "edge " + std::to_string(Index_In(shape.edges, feature));
        case FeatureKind::Face:
            return "face " + std::to_string(Index_In(shape.faces, feature));
    }
    return "none";
}

WalkCounter::WalkCounter()
    : queries_(vclip_call_count.load()), tests_(vclip_state_test_count.load()) {}

WalkCounter::Work WalkCounter::Take() {
    const unsigned long now_queries = vclip_call_count.load();
    const unsigned long now_tests = vclip_state_test_count.load();
    const unsigned long queries = now_queries - queries_;
    const unsigned long tests = now_tests - tests_;
    queries_ = now_queries;
    tests_ = now_tests;
    return {queries, queries > 0 ? static_cast<double>(tests) / queries : 0.0};
}
