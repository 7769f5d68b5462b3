#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "core/game_world.h"
#include "fake_clock.h"
#include "gameplay/rocks_and_rockets.h"
#include "gl_test_window.h"
#include "scene/meshmanager.h"
#include "world_reset.h"

namespace {

// Gives an object the local box (-1,-2,-3)..(4,5,6) without any mesh file.
void giveLocalBox(SceneObject& object) {
    const Vec3 lo{-1, -2, -3}, hi{4, 5, 6};
    for (int i = 0; i < 8; ++i) {
        object.localCorners[i] = {(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y,
                                  (i & 4) ? hi.z : lo.z};
    }
    object.minBounds = lo;
    object.maxBounds = hi;
}

class RocksAndRockets : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        ASSERT_NE(gl.device, nullptr);
        world.device = gl.device.get();
        mesh = std::make_unique<MeshResource>(world.device);
        auto make = [this] {
            objects.push_back(std::make_unique<SceneObject>(mesh.get()));
            giveLocalBox(*objects.back());
            return objects.back().get();
        };
        for (auto*& rock : world.rocks) rock = make();
        for (auto*& pickup : world.pickups) pickup = make();
        for (auto*& rocket : world.rockets) {
            rocket = make();
            rocket->rotation = matrixRotationY(3.1415927f);
        }
    }
    void TearDown() override {
        for (auto*& rock : world.rocks) rock = nullptr;
        for (auto*& pickup : world.pickups) pickup = nullptr;
        for (auto*& rocket : world.rockets) rocket = nullptr;
        world.device = nullptr;
    }

    GLTestWindow gl{64, 64};
    std::unique_ptr<MeshResource> mesh;
    std::vector<std::unique_ptr<SceneObject>> objects;
};

TEST_F(RocksAndRockets, RocksStandScaledAtTheirNegatedDepth) {
    world.rockCount = 2;
    world.rockPos[0] = {10, 35, 400};
    world.rockPos[1] = {0, 0, -20};
    drawRocksAndPickups();
    const SceneObject& rock = *world.rocks[0];
    EXPECT_EQ(rock.translation, matrixTranslation(10, 35, -400));
    const float s = 7.2f;
    EXPECT_EQ(rock.minBounds, (Vec3{s * -1 + 10, s * -2 + 35, s * -3 - 400}));
    EXPECT_EQ(rock.maxBounds, (Vec3{s * 4 + 10, s * 5 + 35, s * 6 - 400}));
    EXPECT_EQ(world.rocks[1]->translation.m[3][2], 20.0f);  // behind the start
    // The last world transform set is the last rock's scale x translation.
    EXPECT_EQ(world.device->getTransform(platform::TransformType::World),
              matrixMultiply(matrixScaling(7.2f, 7.2f, 7.2f), matrixTranslation(0, 0, 20)));
    // Slots beyond the count are left alone.
    EXPECT_EQ(world.rocks[2]->translation, matrixIdentity());
}

TEST_F(RocksAndRockets, PickupsSpinTogetherButTheirBoxDoesNot) {
    FakeClock clock(2500);
    world.pickupCount = 2;
    world.pickupActive[0] = 1;
    world.pickupActive[1] = 1;
    world.pickups[0]->translation = matrixTranslation(0, 35, -100);
    world.pickups[1]->translation = matrixTranslation(30, 35, -200);
    drawRocksAndPickups();
    EXPECT_EQ(world.pickups[0]->rotation, matrixRotationY(2.5f));
    EXPECT_EQ(world.pickups[1]->rotation, matrixRotationY(2.5f));
    EXPECT_EQ(world.pickups[0]->minBounds, (Vec3{-1.5f, 35 - 3.0f, -100 - 4.5f}));
    EXPECT_EQ(world.device->getTransform(platform::TransformType::World),
              matrixMultiply(matrixMultiply(matrixRotationY(2.5f), matrixScaling(1.5f, 1.5f, 1.5f)),
                             matrixTranslation(30, 35, -200)));
}

TEST_F(RocksAndRockets, TakenPickupsAreNeitherDrawnNorBoxed) {
    world.pickupCount = 1;
    world.pickupActive[0] = 0;
    world.pickups[0]->translation = matrixTranslation(0, 35, -100);
    drawRocksAndPickups();
    EXPECT_EQ(world.pickups[0]->minBounds, (Vec3{-1, -2, -3}));
}

TEST_F(RocksAndRockets, RocketsAreDrawnWhereTheyStandThenMoveOn) {
    world.rocketActive[1] = 1;
    world.rocketX[1] = -30;
    world.rocketZ[1] = 86;
    moveAndDrawRockets();
    EXPECT_EQ(world.rockets[1]->translation, matrixTranslation(-30, 30, 86));
    EXPECT_EQ(world.rocketZ[1], 79);
    EXPECT_EQ(world.device->getTransform(platform::TransformType::World),
              matrixMultiply(matrixRotationY(3.1415927f), matrixTranslation(-30, 30, 86)));
    // The half turn does not enter the box.
    EXPECT_EQ(world.rockets[1]->minBounds, (Vec3{-31, 28, 83}));
    moveAndDrawRockets();
    EXPECT_EQ(world.rockets[1]->translation.m[3][2], 79.0f);
    EXPECT_EQ(world.rocketZ[1], 72);
    // Free slots do not move.
    EXPECT_EQ(world.rocketZ[0], 0);
}

TEST_F(RocksAndRockets, ARocketAtTheEdgeOfTheRangeStopsInsteadOfOverflowing) {
    world.rocketActive[0] = 1;
    world.rocketZ[0] = std::numeric_limits<int32_t>::min() + 3;
    moveAndDrawRockets();
    EXPECT_EQ(world.rocketZ[0], std::numeric_limits<int32_t>::min() + 3);
    world.rocketZ[0] = std::numeric_limits<int32_t>::min() + 7;
    moveAndDrawRockets();
    EXPECT_EQ(world.rocketZ[0], std::numeric_limits<int32_t>::min());
}

}  // namespace
