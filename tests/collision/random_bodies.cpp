#include "collision/random_bodies.h"

#include <cmath>

#include "support/hull.h"

PlacedShape Random_Body(TestRandom& random, int max_hull_points) {
    PlacedShape body;
    switch (random.Integer(0, 5)) {
        case 0:
        case 1:
            body.kind = "hull";
            body.tables = Random_Hull_Tables(random, random.Integer(4, max_hull_points));
            break;
        case 2:
            body.kind = "box";
            body.tables = Box_Tables();
            break;
        case 3:
            body.kind = "paddle";
            body.tables = Paddle_Tables();
            break;
        case 4:
            body.kind = "prism";
            body.tables = Prism_Tables(random.Integer(3, 8));
            break;
        default:
            body.kind = "tetrahedron";
            body.tables = Tetrahedron_Tables();
            break;
    }
    body.polyhedron = body.tables.Build();
    body.pose.orientation = random.Rotation();
    if (random.Integer(0, 1) == 0) {
        body.pose.scale = {random.Uniform(0.3, 3.0), random.Uniform(0.3, 3.0),
                           random.Uniform(0.3, 3.0)};
    } else {
        const double k = random.Uniform(0.45, 1.9);
        body.pose.scale = {k, 1.0 / std::sqrt(k), 1.0 / std::sqrt(k)};
    }
    return body;
}

void Nudge(BodyPose& pose, TestRandom& random, double step, double degrees) {
    pose.position += random.In_Box(step);
    pose.orientation =
        Quaternion::From_Axis_Angle(random.Uniform(-degrees, degrees), random.On_Unit_Sphere()) *
        pose.orientation;
}
