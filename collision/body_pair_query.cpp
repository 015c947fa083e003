#include "collision/body_pair_query.h"

#include "collision/vclip.h"

Matrix4d World_Transform(const BodyPose& pose) {
    // The rotation times the diagonal scale is the rotation with its columns scaled: built so,
    // every query spares a full product of two matrices, most of whose terms are zeros.
    Matrix4d m = pose.orientation.To_Matrix();
    const double scale[3] = {pose.scale.x, pose.scale.y, pose.scale.z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            m(row, column) *= scale[column];
        }
    }
    m.Set_Translation(pose.position);
    return m;
}

bool Query_Body_Pair(Polyhedron& shape_a, const BodyPose& pose_a, Polyhedron& shape_b,
                     const BodyPose& pose_b, ClosestFeatures& record) {
    return Query_Placed_Pair(shape_a, World_Transform(pose_a), shape_b, World_Transform(pose_b),
                             record);
}

bool Query_Placed_Pair(Polyhedron& shape_a, const Matrix4d& transform_a, Polyhedron& shape_b,
                       const Matrix4d& transform_b, ClosestFeatures& record) {
    Vector3d point_a;
    Vector3d point_b;
    Vector3d normal;
    const double d = VClip(shape_a, transform_a, record.feature_a, point_a, shape_b, transform_b,
                           record.feature_b, point_b, normal);
    if (!(d > 0.0)) {  // a NaN distance (degenerate placement) is no proof of a gap
        return true;
    }
    record.point_a = point_a;
    record.point_b = point_b;
    record.distance = d;
    record.normal = normal;
    return false;
}
