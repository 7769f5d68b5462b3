#include "gameplay/impact_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/game_world.h"
#include "core/window_input.h"
#include "effects/particle_emitters.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

void place(SceneObject& object, Vec3 lo, Vec3 hi) {
    object.minBounds = lo;
    object.maxBounds = hi;
}

// A cube of half-size h around a point.
void around(SceneObject& object, float x, float y, float z, float h) {
    place(object, {x - h, y - h, z - h}, {x + h, y + h, z + h});
}

class ImpactRules : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        if (world.emitters == nullptr) world.emitters = createEmitterList();
        auto make = [this] {
            objects.push_back(std::make_unique<SceneObject>(nullptr));
            return objects.back().get();
        };
        world.ship = make();
        for (auto*& rock : world.rocks) rock = make();
        for (auto*& pickup : world.pickups) pickup = make();
        for (auto*& rocket : world.rockets) rocket = make();
        // Everything far apart unless a test places it.
        for (int i = 0; i < kRockSlots; ++i) around(*world.rocks[i], 1000.0f + i * 100, 0, 0, 1);
        for (int i = 0; i < kPickupSlots; ++i)
            around(*world.pickups[i], -1000.0f - i * 100, 0, 0, 1);
        for (int i = 0; i < kRocketSlots; ++i)
            around(*world.rockets[i], 0, 1000.0f + i * 100, 0, 1);
        around(*world.ship, 0, 35, 40, 5);
        world.mode = GameMode::Playing;
        world.levelEndZ = -5000.0f;
        world.shipZ = -50.0f;
    }
    void TearDown() override {
        world.ship = nullptr;
        for (auto*& rock : world.rocks) rock = nullptr;
        for (auto*& pickup : world.pickups) pickup = nullptr;
        for (auto*& rocket : world.rockets) rocket = nullptr;
    }

    std::vector<std::unique_ptr<SceneObject>> objects;
    TempWorkingFolder folder;
};

TEST(BoxesOverlap, StrictOnEveryAxis) {
    SceneObject a(nullptr), b(nullptr);
    place(a, {0, 0, 0}, {1, 1, 1});
    place(b, {0.5f, 0.5f, 0.5f}, {2, 2, 2});
    EXPECT_TRUE(boxesOverlap(a, b));
    place(b, {1, 0, 0}, {2, 1, 1});  // faces meet exactly on x
    EXPECT_FALSE(boxesOverlap(a, b));
    place(b, {0, -1, 0}, {1, 0, 1});  // on y
    EXPECT_FALSE(boxesOverlap(a, b));
    place(b, {0, 0, 1}, {1, 1, 3});  // on z
    EXPECT_FALSE(boxesOverlap(a, b));
    place(b, {0.5f, 0.5f, std::nanf("")}, {2, 2, 2});
    EXPECT_FALSE(boxesOverlap(a, b));
}

TEST_F(ImpactRules, PassingTheEndFinishesTheLevelAndSavesIt) {
    world.level = 4;
    world.levelEndZ = -900.0f;
    world.shipZ = -990.0f;  // + 90 equals the end: not yet
    world.shipX = 30.0f;
    world.bombs = 2;
    applyImpactRules();
    EXPECT_EQ(world.mode, GameMode::Playing);
    world.shipZ = -990.01f;
    applyImpactRules();
    EXPECT_EQ(world.mode, GameMode::LevelTransition);
    EXPECT_EQ(world.level, 5);
    EXPECT_STREQ(world.levelBanner, "Level 5");
    EXPECT_EQ(world.shipZ, 0.0f);
    EXPECT_EQ(world.shipX, 30.0f);
    EXPECT_EQ(world.bombs, 2);
    std::ifstream saved("Data.vrp");
    std::string text;
    saved >> text;
    EXPECT_EQ(text, "7");
}

TEST_F(ImpactRules, FinishingTheLastLevelGoesToTheEnd) {
    world.level = 20;
    world.levelEndZ = -100.0f;
    world.shipZ = -200.0f;
    applyImpactRules();
    EXPECT_EQ(world.level, 21);
    EXPECT_EQ(world.mode, GameMode::TheEnd);
    EXPECT_STREQ(world.levelBanner, "Level 21");
}

TEST_F(ImpactRules, RocketsStrikeRocksAndTheRockMovesBehindTheShip) {
    world.rockCount = 3;
    around(*world.rocks[1], 0, 30, -300, 10);
    around(*world.rockets[0], 0, 30, -295, 2);
    around(*world.rockets[2], 0, 30, -305, 2);  // a second rocket in the same old box
    world.rocketActive[0] = 1;
    world.rocketActive[2] = 1;
    world.rocketActive[3] = 1;  // in flight elsewhere
    world.bombs = 1;
    applyImpactRules();
    EXPECT_EQ(world.rocketActive[0], 0);
    EXPECT_EQ(world.rocketActive[2], 0);
    EXPECT_EQ(world.rocketActive[3], 1);
    EXPECT_EQ(world.rockPos[1].z, 70);  // trunc(-50 + 120): ahead of the ship early on
    EXPECT_EQ(world.bombs, 1);
    EXPECT_EQ(world.mode, GameMode::Playing);
}

TEST_F(ImpactRules, InactiveRocketsHitNothing) {
    world.rockCount = 1;
    around(*world.rocks[0], 0, 30, -300, 10);
    around(*world.rockets[0], 0, 30, -300, 2);
    world.rockPos[0].z = 300;
    applyImpactRules();
    EXPECT_EQ(world.rockPos[0].z, 300);
}

TEST_F(ImpactRules, ACrashResetsTheRunAndStopsTheRockTests) {
    world.rockCount = 10;
    world.level = 6;
    world.shipX = -30.0f;
    world.spin = 1.0f;
    world.bombs = 4;
    world.roll = 0.2f;
    world.steerCommand = "right";
    around(*world.rocks[3], 0, 35, 40, 10);  // on the ship
    around(*world.rocks[5], 0, 30, -300, 10);
    around(*world.rockets[0], 0, 30, -300, 2);
    world.rocketActive[0] = 1;
    world.rockPos[5].z = 300;
    applyImpactRules();
    EXPECT_EQ(world.mode, GameMode::GameOver);
    EXPECT_EQ(world.shipZ, 0.0f);
    EXPECT_EQ(world.shipX, 0.0f);
    EXPECT_EQ(world.spin, 0.0f);
    EXPECT_EQ(world.bombs, 0);
    EXPECT_EQ(world.level, 6);
    EXPECT_EQ(world.roll, 0.2f);
    EXPECT_EQ(world.steerCommand, "right");
    // Rock 5 came after the crash: its rocket test never ran.
    EXPECT_EQ(world.rocketActive[0], 1);
    EXPECT_EQ(world.rockPos[5].z, 300);
}

TEST_F(ImpactRules, AStruckRockStillCrashesTheShipInTheSameFrame) {
    world.rockCount = 1;
    around(*world.rocks[0], 0, 35, 40, 10);
    around(*world.rockets[1], 0, 35, 40, 2);
    world.rocketActive[1] = 1;
    applyImpactRules();
    EXPECT_EQ(world.rocketActive[1], 0);
    EXPECT_EQ(world.mode, GameMode::GameOver);
}

TEST_F(ImpactRules, PickupsCountAfterTheCrashReset) {
    world.rockCount = 1;
    world.pickupCount = 3;
    around(*world.rocks[0], 0, 35, 40, 10);
    around(*world.pickups[0], 0, 35, 40, 3);
    around(*world.pickups[2], 0, 35, 40, 3);
    world.pickupActive[0] = 1;
    world.pickupActive[2] = 1;
    world.bombs = 4;
    applyImpactRules();
    EXPECT_EQ(world.mode, GameMode::GameOver);
    EXPECT_EQ(world.bombs, 2);
    EXPECT_EQ(world.pickupActive[0], 0);
    EXPECT_EQ(world.pickupActive[2], 0);
}

TEST_F(ImpactRules, ATakenPickupIsNeverCountedAgain) {
    world.pickupCount = 1;
    around(*world.pickups[0], 0, 35, 40, 3);
    world.pickupActive[0] = 1;
    applyImpactRules();
    applyImpactRules();
    EXPECT_EQ(world.bombs, 1);
    // Slots beyond the count are never looked at.
    around(*world.pickups[1], 0, 35, 40, 3);
    world.pickupActive[1] = 1;
    applyImpactRules();
    EXPECT_EQ(world.bombs, 1);
}

TEST_F(ImpactRules, ACrashInTheFrameOfCompletionStillCounts) {
    world.level = 3;
    world.levelEndZ = -100.0f;
    world.shipZ = -200.0f;
    world.rockCount = 1;
    around(*world.rocks[0], 0, 35, 40, 10);
    applyImpactRules();
    EXPECT_EQ(world.level, 4);
    EXPECT_EQ(world.mode, GameMode::GameOver);
    EXPECT_TRUE(std::filesystem::exists("Data.vrp"));
}

}  // namespace

namespace {

// A slot just taken holds the box of its last flight until the rocket is
// first drawn; a rock standing where that flight ended must not be struck.
TEST_F(ImpactRules, AFreshRocketStrikesNothingWhereItsSlotLastFlew) {
    world.rockCount = 2;
    world.rockPos[1] = {0, 30, 300};
    around(*world.rocks[1], 0, 30, -300, 10);
    around(*world.rockets[0], 0, 30, -295, 2);  // where the slot's last rocket struck
    world.bombs = 1;
    windowProc(nullptr, platform::kMsgKeyDown, platform::kKeySpace, 1);
    ASSERT_EQ(world.rocketActive[0], 1);
    applyImpactRules();
    EXPECT_EQ(world.rocketActive[0], 1);
    EXPECT_EQ(world.rockPos[1].z, 300);
}

}  // namespace
