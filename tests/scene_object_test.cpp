#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/game_world.h"
#include "scene/meshmanager.h"
#include "world_reset.h"

namespace {

// A resource holding only readable vertices: boxes need nothing more, so
// these tests run without a window.
class BoxOnlyMesh {
public:
    explicit BoxOnlyMesh(const std::vector<Vec3>& positions) : resource(nullptr) {
        for (const Vec3& p : positions) geometry.vertices.push_back({p, {}, 0, 0});
        resource.mesh = &geometry;
    }
    MeshGeometry geometry;
    MeshResource resource;
};

// Vertices spanning (-1, -2, -3) to (4, 5, 6), the extremes on different vertices.
const std::vector<Vec3> kSpread = {{-1, 0, 0}, {4, 1, 1},  {0, -2, 2},
                                   {1, 5, 0},  {2, 2, -3}, {3, 3, 6}};

class SceneObjectTest : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(); }
    void TearDown() override { resetWorld(); }
};

TEST_F(SceneObjectTest, ConstructionTakesTheWorldsDeviceIdentityMatricesAndZeroBoxes) {
    auto* fakeDevice = reinterpret_cast<platform::GraphicsDevice*>(0x1000);
    world.device = fakeDevice;  // only copied, never used
    BoxOnlyMesh mesh(kSpread);
    SceneObject object(&mesh.resource);
    world.device = nullptr;
    EXPECT_EQ(object.device, fakeDevice);
    EXPECT_EQ(object.meshResource, &mesh.resource);
    EXPECT_EQ(object.rotation, matrixIdentity());
    EXPECT_EQ(object.scale, matrixIdentity());
    EXPECT_EQ(object.translation, matrixIdentity());
    EXPECT_EQ(object.minBounds, Vec3{});
    EXPECT_EQ(object.maxBounds, Vec3{});
    for (const Vec3& corner : object.worldBounds) EXPECT_EQ(corner, Vec3{});
}

TEST_F(SceneObjectTest, LocalBoxCornersAndTheirWorldPlaceUnderScaleAndTranslation) {
    BoxOnlyMesh mesh(kSpread);
    SceneObject object(&mesh.resource);
    ASSERT_TRUE(object.computeLocalBox());
    const Vec3 expectedCorners[8] = {{-1, -2, -3}, {4, -2, -3}, {-1, 5, -3}, {4, 5, -3},
                                     {-1, -2, 6},  {4, -2, 6},  {-1, 5, 6},  {4, 5, 6}};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(object.localCorners[i], expectedCorners[i]) << i;
    // Until the first update the bounds are the model-space box.
    EXPECT_EQ(object.minBounds, object.localCorners[0]);
    EXPECT_EQ(object.maxBounds, object.localCorners[7]);

    object.scale = matrixScaling(2, 2, 2);
    object.translation = matrixTranslation(10, 0, 0);
    object.updateWorldBox();
    EXPECT_EQ(object.worldBounds[0], (Vec3{8, -4, -6}));
    EXPECT_EQ(object.worldBounds[5], (Vec3{18, -4, 12}));
    EXPECT_EQ(object.worldBounds[7], (Vec3{18, 10, 12}));
    EXPECT_EQ(object.minBounds, (Vec3{8, -4, -6}));
    EXPECT_EQ(object.maxBounds, (Vec3{18, 10, 12}));
    // The corners themselves never change.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(object.localCorners[i], expectedCorners[i]) << i;
}

TEST_F(SceneObjectTest, RotationNeverChangesTheBox) {
    BoxOnlyMesh mesh(kSpread);
    SceneObject plain(&mesh.resource), turned(&mesh.resource);
    ASSERT_TRUE(plain.computeLocalBox());
    ASSERT_TRUE(turned.computeLocalBox());
    for (SceneObject* object : {&plain, &turned}) {
        object->scale = matrixScaling(1.15f, 0.75f, 1.15f);
        object->translation = matrixTranslation(-30, 35, -100);
    }
    plain.updateWorldBox();
    for (const Matrix& rotation :
         {matrixRotationZ(0.2530727f), matrixRotationY(3.1415927f), matrixRotationX(1.0f)}) {
        turned.rotation = rotation;
        turned.updateWorldBox();
        EXPECT_EQ(turned.minBounds, plain.minBounds);
        EXPECT_EQ(turned.maxBounds, plain.maxBounds);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(turned.worldBounds[i], plain.worldBounds[i]);
    }
}

TEST_F(SceneObjectTest, AMirroringScaleStillGivesMinimumBelowMaximum) {
    BoxOnlyMesh mesh(kSpread);
    SceneObject object(&mesh.resource);
    ASSERT_TRUE(object.computeLocalBox());
    object.scale = matrixScaling(-1, 1, 1);
    object.updateWorldBox();
    EXPECT_EQ(object.worldBounds[0].x, 1.0f);         // the corners swap sides...
    EXPECT_EQ(object.minBounds, (Vec3{-4, -2, -3}));  // ...the bounds do not
    EXPECT_EQ(object.maxBounds, (Vec3{1, 5, 6}));
}

TEST_F(SceneObjectTest, APointMeshGivesEightEqualCorners) {
    BoxOnlyMesh mesh({{2, 3, 4}, {2, 3, 4}});
    SceneObject object(&mesh.resource);
    ASSERT_TRUE(object.computeLocalBox());
    for (const Vec3& corner : object.localCorners) EXPECT_EQ(corner, (Vec3{2, 3, 4}));
    object.translation = matrixTranslation(1, 1, 1);
    object.updateWorldBox();
    EXPECT_EQ(object.minBounds, (Vec3{3, 4, 5}));
    EXPECT_EQ(object.maxBounds, object.minBounds);
}

TEST_F(SceneObjectTest, WithoutAMeshTheBoxStaysZeroAndMovesAsAPoint) {
    MeshResource failed(nullptr);  // as after a failed load: no mesh
    SceneObject object(&failed);
    EXPECT_FALSE(object.computeLocalBox());
    EXPECT_EQ(object.minBounds, Vec3{});
    EXPECT_EQ(object.maxBounds, Vec3{});
    for (const Vec3& corner : object.localCorners) EXPECT_EQ(corner, Vec3{});
    object.scale = matrixScaling(7.2f, 7.2f, 7.2f);
    object.translation = matrixTranslation(30, 35, -400);
    object.updateWorldBox();
    EXPECT_EQ(object.minBounds, (Vec3{30, 35, -400}));
    EXPECT_EQ(object.maxBounds, (Vec3{30, 35, -400}));

    SceneObject noResource(nullptr);
    EXPECT_FALSE(noResource.computeLocalBox());
    BoxOnlyMesh empty({});
    SceneObject noVertices(&empty.resource);
    EXPECT_FALSE(noVertices.computeLocalBox());
    EXPECT_EQ(noVertices.maxBounds, Vec3{});
}

TEST(BoxExtents, ANaNCornerNeverReplacesABoundAndTiesKeepTheFirst) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Vec3 corners[8] = {{0, 0, 0},      {1, 1, 1},  {nan, nan, nan}, {-1, 2, -2},
                       {0.5f, nan, 3}, {1, -5, 0}, {-0.0f, 0, 0},   {0, 0, 0}};
    Vec3 lo, hi;
    computeBoxExtents(&lo, &hi, corners);
    EXPECT_EQ(lo, (Vec3{-1, -5, -2}));
    EXPECT_EQ(hi, (Vec3{1, 2, 3}));

    // Equal values never replace: corner 0's +0 stays although -0 compares equal.
    Vec3 zeros[8] = {{0, 0, 0}, {-0.0f, -0.0f, -0.0f}, {}, {}, {}, {}, {}, {}};
    computeBoxExtents(&lo, &hi, zeros);
    EXPECT_FALSE(std::signbit(lo.x));
    EXPECT_FALSE(std::signbit(hi.y));
}

TEST(BoxExtentsDeathTest, MissingPointersStopTheProgramNamingTheFirstOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Vec3 lo, hi, corners[8];
    EXPECT_DEATH(computeBoxExtents(nullptr, &hi, corners), "minBounds");
    EXPECT_DEATH(computeBoxExtents(&lo, nullptr, corners), "maxBounds");
    EXPECT_DEATH(computeBoxExtents(&lo, &hi, nullptr), "worldBounds");
    EXPECT_DEATH(computeBoxExtents(nullptr, nullptr, nullptr), "minBounds");
    EXPECT_DEATH(computeBoxExtents(&lo, nullptr, nullptr), "maxBounds");
}

}  // namespace
