#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdio>
#include <memory>

#include "core/game_world.h"

namespace {

TEST(GameWorldRecord, StartsInLoadingWithNothingCreated) {
    auto fresh = std::make_unique<GameWorld>();
    EXPECT_EQ(fresh->mode, GameMode::Loading);
    EXPECT_EQ(static_cast<int>(fresh->mode), 255);
    EXPECT_EQ(fresh->level, 0);
    EXPECT_EQ(fresh->levelEndZ, 50.0f);
    EXPECT_EQ(fresh->lastFrameTime, 0u);
    EXPECT_TRUE(fresh->steerCommand.empty());
    EXPECT_EQ(fresh->cameraEye, (Vec3{0, 55, 170}));
    EXPECT_EQ(fresh->cameraTarget, (Vec3{0, 0, 0}));
    EXPECT_EQ(fresh->cameraUp, (Vec3{0, 1, 0}));
    EXPECT_EQ(fresh->lightDirection, (Vec3{0, 0, -2}));
    EXPECT_EQ(fresh->device, nullptr);
    EXPECT_EQ(fresh->ship, nullptr);
    EXPECT_EQ(fresh->skyDome, nullptr);
    for (auto* rock : fresh->rocks) EXPECT_EQ(rock, nullptr);
    EXPECT_EQ(fresh->smallFont, nullptr);
    EXPECT_EQ(fresh->emitters, nullptr);
    EXPECT_EQ(fresh->mediaEvent, nullptr);
    EXPECT_EQ(fresh->bombs, 0);
    EXPECT_STREQ(fresh->levelBanner, "");
}

TEST(GameWorldRecord, ScreenSizeIsThePrimaryDisplays) {
    SDL_DisplayMode mode{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0) << SDL_GetError();
    EXPECT_EQ(world.screenWidth, mode.w);
    EXPECT_EQ(world.screenHeight, mode.h);
}

TEST(GameWorldRecord, BannerHoldsAnyLevelNumber) {
    GameWorld record;
    const int32_t before = record.levelStartTime;
    std::snprintf(record.levelBanner, sizeof record.levelBanner, "Level %d", INT32_MIN);
    EXPECT_STREQ(record.levelBanner, "Level -2147483648");
    EXPECT_EQ(record.levelStartTime, static_cast<uint32_t>(before));
}

}  // namespace
