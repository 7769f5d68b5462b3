#include <gtest/gtest.h>

#include "core/game_world.h"
#include "gameplay/flight.h"
#include "world_reset.h"

namespace {

class Steering : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(); }
    static void frames(int count) {
        for (int i = 0; i < count; ++i) applySteering();
    }
};

TEST_F(Steering, RightFromTheCentreGoesToTheRightLaneAndBanks) {
    world.steerCommand = "right";
    frames(1);
    EXPECT_EQ(world.shipX, -1.0f);
    EXPECT_EQ(world.roll, 0.008726646f);
    frames(29);
    EXPECT_EQ(world.shipX, -30.0f);
    // Thirty bank steps, levelled once in the frame the lane is reached.
    EXPECT_NEAR(world.roll, 0.2530727f, 5e-7f);
    EXPECT_EQ(world.steerCommand, "right");
    const float before = world.roll;
    frames(1);
    EXPECT_EQ(world.shipX, -30.0f);
    EXPECT_EQ(world.roll, before - before / 30);
}

TEST_F(Steering, ACommandIsUsedUpAtTheCentre) {
    world.shipX = -30.0f;
    world.steerCommand = "left";
    frames(30);
    EXPECT_EQ(world.shipX, 0.0f);
    EXPECT_TRUE(world.steerCommand.empty());
    frames(5);
    EXPECT_EQ(world.shipX, 0.0f);
}

TEST_F(Steering, LeftFromTheCentreGoesOnToTheLeftLane) {
    world.steerCommand = "left";
    frames(1);
    EXPECT_EQ(world.shipX, 1.0f);
    EXPECT_EQ(world.steerCommand, "left");
    frames(40);
    EXPECT_EQ(world.shipX, 30.0f);
}

TEST_F(Steering, ANewCommandTurnsTheShipBackAtOnce) {
    world.steerCommand = "right";
    frames(12);
    ASSERT_EQ(world.shipX, -12.0f);
    world.steerCommand = "left";
    frames(12);
    EXPECT_EQ(world.shipX, 0.0f);
    EXPECT_TRUE(world.steerCommand.empty());
}

TEST_F(Steering, AtTheLimitOnlyTheBankLevelsOut) {
    world.shipX = -30.0f;
    world.roll = 0.3f;
    world.steerCommand = "right";
    frames(1);
    EXPECT_EQ(world.shipX, -30.0f);
    EXPECT_EQ(world.roll, 0.3f - 0.3f / 30);
}

TEST_F(Steering, OnlyTheExactWordsSteer) {
    for (const char* text : {"Right", "right ", "l", "up", ""}) {
        world.shipX = 0.0f;
        world.steerCommand = text;
        frames(3);
        EXPECT_EQ(world.shipX, 0.0f) << text;
    }
}

TEST_F(Steering, BetweenLanesTheBankHolds) {
    world.shipX = -12.0f;
    world.roll = 0.1f;
    frames(3);
    EXPECT_EQ(world.roll, 0.1f);
}

}  // namespace
