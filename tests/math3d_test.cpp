#include <gtest/gtest.h>

#include <cmath>

#include "scene/platform/math3d.h"

namespace {

void expectVec(const Vec3& actual, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

TEST(Math3d, BoxCornersMoveByScaleThenTranslation) {
    // A box from (-1,-2,-3) to (4,5,6), scaled by 2 and moved by (10,0,0).
    const Matrix m = matrixMultiply(matrixScaling(2, 2, 2), matrixTranslation(10, 0, 0));
    const Vec3 lo = vec3TransformCoord({-1, -2, -3}, m);
    const Vec3 hi = vec3TransformCoord({4, 5, 6}, m);
    EXPECT_EQ(lo, (Vec3{8, -4, -6}));
    EXPECT_EQ(hi, (Vec3{18, 10, 12}));
    // The other order moves first and scales the move too.
    const Matrix other = matrixMultiply(matrixTranslation(10, 0, 0), matrixScaling(2, 2, 2));
    EXPECT_EQ(vec3TransformCoord({-1, -2, -3}, other), (Vec3{18, -4, -6}));
}

TEST(Math3d, RotationsFollowLeftHandedRowVectorConvention) {
    const float quarter = 1.5707964f;
    expectVec(vec3TransformCoord({1, 0, 0}, matrixRotationY(quarter)), 0, 0, -1, 1e-6f);
    expectVec(vec3TransformCoord({0, 0, 1}, matrixRotationY(quarter)), 1, 0, 0, 1e-6f);
    expectVec(vec3TransformCoord({0, 1, 0}, matrixRotationX(quarter)), 0, 0, 1, 1e-6f);
    expectVec(vec3TransformCoord({1, 0, 0}, matrixRotationZ(quarter)), 0, 1, 0, 1e-6f);
    EXPECT_EQ(matrixRotationX(0.0f), matrixIdentity());
    // Elements are the plain single-precision sine and cosine.
    const Matrix y = matrixRotationY(3.1415927f);
    EXPECT_EQ(y.m[0][0], std::cos(3.1415927f));
    EXPECT_EQ(y.m[0][2], -std::sin(3.1415927f));
    EXPECT_EQ(y.m[2][0], std::sin(3.1415927f));
}

TEST(Math3d, MultiplyAppliesLeftFactorFirst) {
    const Matrix rotateThenMove = matrixMultiply(matrixRotationZ(1.5707964f),
                                                 matrixTranslation(5, 0, 0));
    expectVec(vec3TransformCoord({1, 0, 0}, rotateThenMove), 5, 1, 0, 1e-6f);
    const Matrix moveThenRotate = matrixMultiply(matrixTranslation(5, 0, 0),
                                                 matrixRotationZ(1.5707964f));
    expectVec(vec3TransformCoord({1, 0, 0}, moveThenRotate), 0, 6, 0, 1e-5f);
}

TEST(Math3d, NormalizeKeepsDirectionAndLeavesZeroAlone) {
    EXPECT_EQ(vec3Normalize({0, 0, -2}), (Vec3{0, 0, -1}));
    EXPECT_EQ(vec3Normalize({0, 0, 0}), (Vec3{0, 0, 0}));
    const Vec3 menuLight = vec3Normalize({0, 1, -2});
    const float length = std::sqrt(5.0f);
    EXPECT_EQ(menuLight.y, 1.0f / length);
    EXPECT_EQ(menuLight.z, -2.0f / length);
}

TEST(Math3d, LookAtFromTheMenuCamera) {
    // Eye (0, 55, 170) looking at the origin, y up.
    const Matrix view = matrixLookAtLH({0, 55, 170}, {0, 0, 0}, {0, 1, 0});
    const float distance = std::sqrt(55.0f * 55.0f + 170.0f * 170.0f);  // 178.6757
    // Looking towards -z, world -x is on the right of the screen.
    EXPECT_FLOAT_EQ(view.m[0][0], -1.0f);
    EXPECT_FLOAT_EQ(view.m[1][1], 170.0f / distance);
    EXPECT_FLOAT_EQ(view.m[2][1], -55.0f / distance);
    EXPECT_FLOAT_EQ(view.m[1][2], -55.0f / distance);
    EXPECT_FLOAT_EQ(view.m[2][2], -170.0f / distance);
    EXPECT_FLOAT_EQ(view.m[3][2], distance);
    EXPECT_EQ(view.m[0][3], 0.0f);
    EXPECT_EQ(view.m[3][3], 1.0f);
    expectVec(vec3TransformCoord({0, 55, 170}, view), 0, 0, 0, 1e-4f);
    expectVec(vec3TransformCoord({0, 0, 0}, view), 0, 0, distance, 1e-4f);
    expectVec(vec3TransformCoord({-10, 0, 0}, view), 10, 0, distance, 1e-4f);
}

TEST(Math3d, PerspectiveMapsNearAndFarToZeroAndOne) {
    const Matrix projection = matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f);
    EXPECT_FLOAT_EQ(projection.m[0][0], 2.4142137f);
    EXPECT_FLOAT_EQ(projection.m[1][1], 2.4142137f);
    EXPECT_FLOAT_EQ(projection.m[2][2], 1000.0f / 999.0f);
    EXPECT_EQ(projection.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(projection.m[3][2], -1000.0f / 999.0f);
    EXPECT_EQ(projection.m[3][3], 0.0f);
    expectVec(vec3TransformCoord({0, 0, 1}, projection), 0, 0, 0, 1e-6f);
    expectVec(vec3TransformCoord({0, 0, 1000}, projection), 0, 0, 1, 1e-6f);
    // The edge of the 45-degree field at depth 10 lands on the edge of the picture.
    const float edge = 10.0f * std::tan(0.78539819f / 2.0f);
    expectVec(vec3TransformCoord({edge, edge, 10}, projection), 1, 1, 0.9009009f, 1e-5f);
}

TEST(Math3d, BoundingBoxReadsPositionsAtTheStride) {
    struct Vertex {
        Vec3 position;
        float extra[3];
    };
    const Vertex vertices[] = {{{1, 5, -3}, {100, 100, 100}},
                               {{-1, 2, 6}, {-100, -100, -100}},
                               {{4, -2, 0}, {0, 0, 0}}};
    Vec3 lo, hi;
    ASSERT_TRUE(computeBoundingBox(vertices, 3, sizeof(Vertex), lo, hi));
    EXPECT_EQ(lo, (Vec3{-1, -2, -3}));
    EXPECT_EQ(hi, (Vec3{4, 5, 6}));
    // A single vertex gives an empty box at that point.
    ASSERT_TRUE(computeBoundingBox(vertices, 1, sizeof(Vertex), lo, hi));
    EXPECT_EQ(lo, hi);
    Vec3 untouched{7, 7, 7};
    EXPECT_FALSE(computeBoundingBox(vertices, 0, sizeof(Vertex), untouched, untouched));
    EXPECT_EQ(untouched, (Vec3{7, 7, 7}));
}

}  // namespace
