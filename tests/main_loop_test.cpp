#include <gtest/gtest.h>

#include "core/game_world.h"
#include "core/main_loop.h"
#include "core/startup.h"
#include "fake_clock.h"
#include "world_reset.h"

namespace {

class Pacing : public ::testing::Test {
protected:
    void SetUp() override { resetWorld(); }
    MainLoop loop;
};

TEST_F(Pacing, FirstFrameRunsAtOnceWhateverTheClockReads) {
    for (uint32_t start : {0u, 5u, 15u, 0x7FFFFFFFu, 0xFFFFFFF5u}) {
        FakeClock clock(start);
        MainLoop fresh;
        world.lastFrameTime = 0;
        waitForFrameStart(fresh);
        EXPECT_TRUE(clock.sleeps.empty()) << start;
        EXPECT_EQ(world.lastFrameTime, start);
    }
}

TEST_F(Pacing, FramesStartAtLeastSixteenMillisecondsApart) {
    FakeClock clock(1000);
    waitForFrameStart(loop);
    clock.now += 3;  // a cheap frame
    waitForFrameStart(loop);
    EXPECT_EQ(world.lastFrameTime, 1016u);
    EXPECT_EQ(clock.sleeps.size(), 13u);
    for (uint32_t slept : clock.sleeps) EXPECT_EQ(slept, 1u);
}

TEST_F(Pacing, ALateFrameIsNotCaughtUp) {
    FakeClock clock(500);
    waitForFrameStart(loop);
    clock.now += 40;  // a frame that took far too long
    waitForFrameStart(loop);
    EXPECT_EQ(world.lastFrameTime, 540u);
    EXPECT_TRUE(clock.sleeps.empty());
    waitForFrameStart(loop);
    EXPECT_EQ(world.lastFrameTime, 556u);
}

TEST_F(Pacing, KeepsItsRhythmAcrossTheClockWrap) {
    FakeClock clock(0xFFFFFFF0u);
    waitForFrameStart(loop);
    clock.now += 2;
    waitForFrameStart(loop);
    EXPECT_EQ(world.lastFrameTime, 0u);  // 0xFFFFFFF0 + 16 wraps to 0
    waitForFrameStart(loop);
    EXPECT_EQ(world.lastFrameTime, 16u);
    EXPECT_EQ(clock.now, 16u);
}

TEST_F(Pacing, QuitBeforeStartUpTouchesNothingThatDoesNotExist) {
    // The window was closed by the very first message: no device, no fonts.
    FakeClock clock(40);
    world.mode = GameMode::Quit;
    world.lightDirection = {0.0f, 0.0f, -2.0f};
    ASSERT_EQ(world.device, nullptr);
    EXPECT_TRUE(runLoopPass(loop));
    EXPECT_EQ(world.light.direction, (Vec3{0.0f, 0.0f, -1.0f}));
    EXPECT_EQ(world.mode, GameMode::Quit);
    shutdownGame();
    EXPECT_EQ(world.device, nullptr);
}

TEST_F(Pacing, EveryPassAfterStartUpIsPaced) {
    // Even the pass that ends the game paces before it ends.
    FakeClock clock(2000);
    world.mode = GameMode::Quit;
    for (int pass = 0; pass < 5; ++pass) ASSERT_TRUE(runLoopPass(loop));
    EXPECT_EQ(world.lastFrameTime, 2000u + 4u * kFrameInterval);
}

}  // namespace
