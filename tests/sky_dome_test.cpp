#include "scene/sky_dome.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/game_world.h"
#include "gl_test_window.h"
#include "mesh_test_support.h"
#include "message_recorder.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

using platform::RenderState;
using platform::TransformType;

constexpr int kWidth = 320, kHeight = 180;
constexpr uint32_t kClearColor = 0xFF00FFE6;  // the game's own clear colour

// The cameras of the playing frame (at ship position shipZ) and of the menu.
Matrix playingView(float shipZ) {
    return matrixLookAtLH({0, 60, shipZ + 170}, {0, 35, shipZ + 90}, {0, 1, 0});
}
Matrix menuView() { return matrixLookAtLH({0, 55, 170}, {0, 0, 0}, {0, 1, 0}); }

class SkyDomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        resetWorld();
        world.device = gl.device.get();
        mesh_test::setUpGameDrawing(device(), {0, 0.1f, -3});
        device().setTransform(TransformType::Projection,
                              matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
        folder.copyFromGame("SkyDome.x");
        folder.copyFromGame("sky.png");
        world.skyDomeMesh = new MeshResource(world.device);
        world.skyDomeMesh->load("SkyDome.x");
        ASSERT_TRUE(messages.boxes.empty());
        world.skyDome = new SceneObject(world.skyDomeMesh);
    }
    void TearDown() override {
        if (world.skyDomeMesh != nullptr) world.skyDomeMesh->release();
        delete world.skyDomeMesh;
        delete world.skyDome;
        delete world.materialBuffer;
        resetWorld();
    }

    platform::GraphicsDevice& device() { return *gl.device; }

    std::vector<uint32_t> frameWith(GameMode mode, const Matrix& view, float spin = 0.0f) {
        world.mode = mode;
        world.spin = spin;
        device().setTransform(TransformType::View, view);
        device().clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
        drawSkyDome();
        return device().readPixels();
    }

    TempWorkingFolder folder;
    GLTestWindow gl{kWidth, kHeight};
    MessageRecorder messages;
};

TEST_F(SkyDomeTest, CoversTheWholeScreenOnEveryScreenThatDrawsIt) {
    const struct {
        GameMode mode;
        Matrix view;
        const char* screenshot;
    } screens[] = {{GameMode::Playing, playingView(0), "sky-dome-playing"},
                   {GameMode::GameOver, playingView(-700), nullptr},
                   {GameMode::Menu, menuView(), "sky-dome-menu"},
                   {GameMode::LevelTransition, playingView(-2000), nullptr},
                   {GameMode::TheEnd, playingView(-50), nullptr}};
    for (const auto& screen : screens) {
        SCOPED_TRACE(static_cast<int>(screen.mode));
        const auto frame = frameWith(screen.mode, screen.view, 0.7f);
        if (screen.screenshot != nullptr)
            mesh_test::saveScreenshot(frame, kWidth, kHeight, screen.screenshot);
        int uncovered = 0;
        for (uint32_t pixel : frame) uncovered += pixel == kClearColor;
        EXPECT_EQ(uncovered, 0);
    }
}

TEST_F(SkyDomeTest, PlacesTheDomeByModeAndLeavesViewAndStatesAsFound) {
    const Matrix view = playingView(-123.0f);
    world.view = menuView();  // the device's view counts, not the record's
    for (RenderState state :
         {RenderState::ZEnable, RenderState::ZWriteEnable, RenderState::Lighting})
        device().setRenderState(state, 0);

    frameWith(GameMode::Playing, view, 2.0f);
    EXPECT_EQ(device().getTransform(TransformType::View), view);
    for (RenderState state :
         {RenderState::ZEnable, RenderState::ZWriteEnable, RenderState::Lighting})
        EXPECT_EQ(device().renderState(state), 1u);
    EXPECT_EQ(world.skyDome->translation, matrixTranslation(0, -14, 0));
    EXPECT_EQ(world.skyDome->rotation, matrixRotationY(platform::bitsFloat(0x4062A975)));
    EXPECT_EQ(device().getTransform(TransformType::World),
              matrixMultiply(matrixTranslation(0, -14, 0), matrixRotationY(3.5415928f)));

    frameWith(GameMode::GameOver, view, 2.0f);
    EXPECT_EQ(world.skyDome->translation, matrixTranslation(0, -14, 0));
    EXPECT_EQ(world.skyDome->rotation, matrixRotationY(3.5415928f));

    // Outside play the yaw follows spin: at 0 it is play's own yaw.
    frameWith(GameMode::Menu, menuView(), 0.0f);
    EXPECT_EQ(world.skyDome->translation, matrixTranslation(0, -15, 0));
    EXPECT_EQ(world.skyDome->rotation, matrixRotationY(3.5415928f));
    frameWith(GameMode::TheEnd, view, 1.0f);
    EXPECT_EQ(world.skyDome->translation, matrixTranslation(0, -15, 0));
    EXPECT_EQ(world.skyDome->rotation, matrixRotationY(4.5415926f));
    frameWith(GameMode::LevelTransition, view, 1.0f);
    EXPECT_EQ(world.skyDome->rotation, matrixRotationY(4.5415926f));
    EXPECT_EQ(device().getTransform(TransformType::View), view);
}

TEST_F(SkyDomeTest, NeverHidesWhatIsDrawnAfterIt) {
    // A white square 600 units ahead of the camera: beyond the dome, inside the
    // far plane. Were the dome to leave its depth, the square would be hidden.
    platform::MeshData square;
    square.vertices = {{{-50, -50, 600}, {0, 0, -1}, 0, 0},
                       {{-50, 50, 600}, {0, 0, -1}, 0, 0},
                       {{50, 50, 600}, {0, 0, -1}, 0, 0},
                       {{50, -50, 600}, {0, 0, -1}, 0, 0}};
    square.indices = {0, 1, 2, 0, 2, 3};
    square.subsets = {{0, 6}};
    platform::GpuMesh* gpu = device().createMesh(square);
    ASSERT_NE(gpu, nullptr);
    frameWith(GameMode::Playing, matrixLookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}));
    device().setTransform(TransformType::World, matrixIdentity());
    device().setTexture(0, nullptr);
    device().setRenderState(RenderState::Lighting, 0);
    device().drawSubset(gpu, 0);
    const auto frame = device().readPixels();
    EXPECT_EQ(frame[static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2], 0xFFFFFFFFu);
    EXPECT_NE(frame[0], 0xFFFFFFFFu);  // the dome all round it
    device().releaseMesh(gpu);
}

TEST_F(SkyDomeTest, WhilePlayingTheCamerasPlaceDoesNotMoveTheDome) {
    const auto start = frameWith(GameMode::Playing, playingView(0));
    const auto later = frameWith(GameMode::Playing, playingView(-4321.5f));
    EXPECT_EQ(start, later);
    // Spin plays no part in play, but turns the dome on the other screens.
    EXPECT_EQ(frameWith(GameMode::Playing, playingView(0), 1.0f), start);
    EXPECT_NE(frameWith(GameMode::Menu, playingView(0), 1.0f),
              frameWith(GameMode::Menu, playingView(0), 0.0f));
}

TEST_F(SkyDomeTest, IsDrawnUnlitWhateverTheLightAndAmbientLevel) {
    const auto lit = frameWith(GameMode::Playing, playingView(0));
    device().setRenderState(RenderState::Ambient, 0xFF000000);
    device().lightEnable(0, false);
    EXPECT_EQ(frameWith(GameMode::Playing, playingView(0)), lit);
}

TEST_F(SkyDomeTest, WithoutADomeNothingIsDrawnAndTheStatesStillEndOn) {
    delete world.skyDome;
    world.skyDome = nullptr;
    device().setRenderState(RenderState::Lighting, 0);
    const auto frame = frameWith(GameMode::Menu, menuView());
    for (uint32_t pixel : frame) ASSERT_EQ(pixel, kClearColor);
    EXPECT_EQ(device().renderState(RenderState::Lighting), 1u);
    EXPECT_EQ(device().getTransform(TransformType::View), menuView());
}

}  // namespace
