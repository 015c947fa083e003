// Expected to fail (CTest WILL_FAIL) until the walk handles it: a small box resting its bottom edge
// across the top edge of a larger one, 2e-16 above it, the stack tilted. From the lower box's top
// edge and the upper box's +x face, carried over from the query before, the walk loops between an
// edge-edge and an edge-face pair until the step limit ends the program.
#include <gtest/gtest.h>

#include "collision/vclip.h"
#include "support/shapes.h"

TEST(VClipKnownFailure, EdgesCrossingWithinRoundingDoNotEndTheWalk) {
    auto lower = Make_Box(), upper = Make_Box();
    Matrix4d ml, mu;  // their first three rows
    // clang-format off
    const double rows[24] = {
        -0x1.f9645109807bap-2, -0x1.1f0cf7e58673fp-7, -0x1.460231f48eaf5p-4, 0, 0x1.f9f2ef412892p-5,
        0x1.194297f8efb2p-2, -0x1.a720abb73c3eap-2, 0, 0x1.a17b98e76c29fp-5, -0x1.abbbdf8580d7ap-2,
        -0x1.1485a1ed3230cp-2, 0, -0x1.164a37b6dee8fp-9, 0x1.25bdcc9891ed1p-7, -0x1.fde6428eb59fcp-9,
        -0x1.7120b147fe338p-4, 0x1.fa2514e40e49fp-8, 0x1.04ba1693ba2f5p-8, 0x1.448df1611cf1fp-8,
        -0x1.2168e098b0a41p-3, 0x1.885e421e34dfcp-8, -0x1.fff8a5bb86aeep-10, -0x1.fd144f1872d97p-8,
        -0x1.672ba5dbc6d3ap-1};
    // clang-format on
    std::copy(rows, rows + 12, ml.m);
    std::copy(rows + 12, rows + 24, mu.m);
    Feature *top_edge = &lower->edges[1], *plus_x = &upper->faces[2];  // (1, 1, 1)-(-1, 1, 1); +x
    Vector3d p1, p2, normal;
    EXPECT_EXIT((VClip(*lower, ml, top_edge, p1, *upper, mu, plus_x, p2, normal), exit(0)),
                testing::ExitedWithCode(0), "");
}
