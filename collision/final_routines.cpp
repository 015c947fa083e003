#include "collision/final_routines.h"

#include <cmath>

namespace {

// The gap between two witness points and the unit direction from the first to the second. The
// direction of two coinciding points is left as the zero vector rather than 0/0.
double Gap(const Vector3d& from, const Vector3d& to, Vector3d& normal) {
    const Vector3d m = to - from;
    const double d = m.Length();
    normal = d > 0.0 ? m * (1.0 / d) : m;
    return d;
}

}  // namespace

double Vertex_Vertex_Final(PolyVertex& v1, const WalkSide& s1, PolyVertex& v2, const WalkSide& s2,
                           const WitnessOutputs& out) {
    out.point1 = s1.World(v1);
    out.point2 = s2.World(v2);
    return Gap(out.point1, out.point2, out.normal);
}

double Vertex_Edge_Final(PolyVertex& v, const WalkSide& s1, PolyEdge& e, const WalkSide& s2,
                         const WitnessOutputs& out) {
    s2.Refreshed(e);
    const Vector3d& p = s1.World(v);
    const Vector3d& tail = e.tail->world;
    out.point1 = p;
    out.point2 = tail + Dot(p - tail, e.direction) * e.direction;
    return Gap(out.point1, out.point2, out.normal);
}

double Vertex_Face_Final(PolyVertex& v, const WalkSide& s1, PolyFace& f, const WalkSide& s2,
                         const WitnessOutputs& out) {
    s2.Refreshed(f);
    const Vector3d& p = s1.World(v);
    const double height = f.plane.Value(p);
    out.point1 = p;
    out.point2 = p - height * f.plane.normal;
    out.normal = -f.plane.normal;
    return height;
}

double Edge_Edge_Final(PolyEdge& e1, const WalkSide& s1, PolyEdge& e2, const WalkSide& s2,
                       const WitnessOutputs& out) {
    s1.Refreshed(e1);
    s2.Refreshed(e2);
    const Vector3d& t1 = e1.tail->world;
    const Vector3d& t2 = e2.tail->world;
    const Vector3d& u1 = e1.direction;
    const Vector3d& u2 = e2.direction;
    const Vector3d w = Cross(u1, u2);
    const double ww = Dot(w, w);

    if (ww == 0.0) {
        const Vector3d& h2 = e2.head->world;
        out.point1 = e1.head->world;
        out.point2 = h2 + Dot(out.point1 - h2, u2) * u2;
        return Gap(out.point1, out.point2, out.normal);
    }

    const double s = Dot(Cross(t2 - t1, u2), w) / ww;
    const double t = Dot(Cross(t1 - t2, u1), Cross(u2, u1)) / ww;
    out.point1 = t1 + s * u1;
    out.point2 = t2 + t * u2;
    const Vector3d m = out.point2 - out.point1;
    // Nearly parallel edges give a cross product too short to trust as a direction.
    if (w.Vanishes()) {
        out.normal = m;
    } else {
        out.normal = Dot(w, m) < 0.0 ? -w : w;
    }
    out.normal.Set_Length(1.0);
    return m.Length();
}

double Edge_Face_Final(PolyEdge& e, const WalkSide& s1, PolyFace& f, const WalkSide& s2,
                       const WitnessOutputs& out) {
    s1.Refreshed(e);
    s2.Refreshed(f);
    const double dt = f.plane.Value(e.tail->world);
    const double dh = f.plane.Value(e.head->world);
    // An edge lying in the face's plane has no single crossing: take its tail.
    const double sum = std::fabs(dt) + std::fabs(dh);
    const double fraction = sum > 0.0 ? std::fabs(dt) / sum : 0.0;
    const Vector3d crossing = e.tail->world + (fraction * e.length) * e.direction;
    out.point1 = crossing;
    out.point2 = crossing;
    out.normal = -f.plane.normal;
    return dh >= 0.0 ? -dt : -dh;
}
