#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/game_world.h"
#include "core/main_loop.h"
#include "core/screens.h"
#include "core/startup.h"
#include "core/window_input.h"
#include "effects/particle_emitters.h"
#include "gl_test_window.h"
#include "message_recorder.h"
#include "scene/graphics_setup.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

constexpr uint32_t kClearColor = 0xFF00FFE6;

struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int pixels = 0;
    int darkestGreen = 255;
};

// Where the frame differs from the clear colour.
InkBox inkIn(const std::vector<uint32_t>& frame, int width, int height) {
    InkBox box;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = frame[static_cast<size_t>(y) * width + x];
            if (p == kClearColor) continue;
            ++box.pixels;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x);
            box.bottom = std::max(box.bottom, y);
            box.darkestGreen = std::min(box.darkestGreen, rgbOf(p).g);
        }
    }
    return box;
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        resetWorld();
        ASSERT_GT(world.screenWidth, 0) << "no display";
        platform::setFrameCapture(true);
    }
    void TearDown() override {
        platform::destroyWindow(window);
        shutdownGame();
        platform::setFrameCapture(false);
        resetWorld();
    }

    TempWorkingFolder folder;
    MessageRecorder messages;
    platform::WindowHandle window = nullptr;
};

TEST_F(GameWindow, CoversTheScreenAndWarnsOfAMissingIcon) {
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(messages.boxes.size(), 2u);
    EXPECT_EQ(messages.boxes[0].caption, "Error");
    EXPECT_EQ(messages.boxes[0].text, "Could not load large icon!");
    EXPECT_EQ(messages.boxes[0].owner, window);
    EXPECT_EQ(messages.boxes[1].text, "Could not load small icon!");
}

TEST_F(GameWindow, TakesItsIconsFromTheIconFile) {
    folder.copyFromGame("Icon.ico");
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(GameWindow, StartUpShowsTheLoadingScreenThenTheMenu) {
    folder.copyWholeGame();
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_TRUE(loadGame(window));
    EXPECT_EQ(world.mode, GameMode::Menu);
    EXPECT_TRUE(messages.boxes.empty());
    ASSERT_NE(world.device, nullptr);
    ASSERT_NE(world.largeFont, nullptr);
    EXPECT_EQ(world.smallTextRect, (Rect{2, 5, world.screenWidth - 2, world.screenHeight - 5}));
    EXPECT_EQ(world.largeTextRect, (Rect{250, 100, world.screenWidth - 2, world.screenHeight - 5}));
    EXPECT_EQ(world.light.direction, (Vec3{0, 0, -1}));
    EXPECT_EQ(world.device->renderState(platform::RenderState::Ambient), 0xFF969696u);
    EXPECT_EQ(world.device->renderState(platform::RenderState::CullMode), platform::kCullNone);
    ASSERT_NE(world.emitters, nullptr);
    EXPECT_TRUE(world.emitters->entries.empty());

    // The one frame presented so far: "Loading, please wait..." in the large
    // font, black at alpha 225, from the large rectangle's top left.
    const auto& frame = world.device->lastPresentedFrame();
    ASSERT_EQ(frame.size(), static_cast<size_t>(world.screenWidth) * world.screenHeight);
    const InkBox ink = inkIn(frame, world.screenWidth, world.screenHeight);
    ASSERT_GT(ink.pixels, 500);
    EXPECT_GE(ink.left, 250);
    EXPECT_LE(ink.left, 256);
    EXPECT_GE(ink.top, 100);
    EXPECT_LE(ink.bottom, 100 + 42);  // one line of a 40-pixel font
    EXPECT_GT(ink.right - ink.left, 300);
    EXPECT_LT(ink.right - ink.left, 520);
    // Solid glyph cores: the clear colour's 255 green darkened to 255 x 30/255.
    EXPECT_NEAR(ink.darkestGreen, 30, 3);
}

TEST_F(GameWindow, MenuFrameDrawsItsTextsInTheirPlaces) {
    folder.copyWholeGame();
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_TRUE(loadGame(window));
    MainLoop loop{window, false};
    ASSERT_TRUE(runLoopPass(loop));
    EXPECT_EQ(world.smallTextRect.left, 2);
    EXPECT_EQ(world.smallTextRect.top, 5);
    const auto& frame = world.device->lastPresentedFrame();
    const int width = world.screenWidth;
    // The texts are black at alpha 225 over the sky: the only near-black
    // pixels. Count them per text line: "FPS: 60" top left, the title at 100,
    // the three entries at 200, 250 and 300.
    auto inkBetween = [&](int top, int bottom, int left, int right) {
        int count = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const Rgb p = rgbOf(frame[static_cast<size_t>(y) * width + x]);
                count += p.r < 45 && p.g < 45 && p.b < 45;
            }
        }
        return count;
    };
    EXPECT_GT(inkBetween(5, 25, 2, 100), 50);
    EXPECT_GT(inkBetween(100, 145, 250, 450), 300);
    EXPECT_GT(inkBetween(200, 222, 250, 400), 100);
    EXPECT_GT(inkBetween(250, 272, 250, 400), 100);
    EXPECT_GT(inkBetween(300, 322, 250, 400), 100);
    EXPECT_EQ(inkBetween(150, 195, 250, 600), 0);
    EXPECT_EQ(inkBetween(330, 400, 0, 200), 0);
}

}  // namespace

namespace {

TEST_F(GameWindow, CameraMatricesReachTheDevice) {
    folder.copyWholeGame();
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_TRUE(loadGame(window));
    world.cameraEye = {0, 60, -830};
    world.cameraTarget = {0, 35, -910};
    setupCamera();
    const Matrix view = matrixLookAtLH({0, 60, -830}, {0, 35, -910}, {0, 1, 0});
    EXPECT_EQ(world.view, view);
    EXPECT_EQ(world.device->getTransform(platform::TransformType::View), view);
    // Aspect 1 whatever the screen's shape.
    const Matrix projection = matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f);
    EXPECT_EQ(world.projection, projection);
    EXPECT_EQ(world.device->getTransform(platform::TransformType::Projection), projection);
}

}  // namespace

namespace {

// The smallest window still shows every screen's text whole: no text runs
// into the window's right edge, where a line too wide for it is cut off.
TEST_F(GameWindow, EveryScreenKeepsItsTextWholeInTheSmallestWindow) {
    folder.copyWholeGame();
    std::filesystem::remove("SkyDome.x");  // text over the plain clear colour
    window = createGameWindow(world.screenWidth, world.screenHeight);
    ASSERT_TRUE(loadGame(window));
    std::snprintf(world.levelBanner, sizeof world.levelBanner, "Level %d", 20);
    auto black = [](Rgb p) { return p.r < 45 && p.g < 45 && p.b < 45; };
    auto white = [](Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; };
    struct Screen {
        const char* name;
        void (*frame)();
        bool (*isText)(Rgb);
    };
    const Screen screens[] = {{"menu", menuFrame, black},
                              {"game over", gameOverFrame, white},
                              {"level transition", levelTransitionFrame, white},
                              {"the end", theEndFrame, white}};
    constexpr int kWidth = 640, kHeight = 360;
    const int screenWidth = world.screenWidth, screenHeight = world.screenHeight;
    fitScreenToWindow(kWidth, kHeight);
    for (const Screen& screen : screens) {
        screen.frame();
        const auto& frame = world.device->lastPresentedFrame();
        ASSERT_EQ(frame.size(), static_cast<size_t>(kWidth) * kHeight) << screen.name;
        int text = 0, atTheEdge = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (!screen.isText(rgbOf(frame[static_cast<size_t>(y) * kWidth + x]))) continue;
                ++text;
                atTheEdge += x >= kWidth - 12;
            }
        }
        EXPECT_GT(text, 150) << screen.name;
        EXPECT_EQ(atTheEdge, 0) << screen.name;
    }
    fitScreenToWindow(screenWidth, screenHeight);  // the record's screen size outlives the test
}

}  // namespace
