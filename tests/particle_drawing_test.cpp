#include <gtest/gtest.h>

#include <vector>

#include "core/platform/clock.h"
#include "fake_clock.h"
#include "particle_test_support.h"
#include "scene/platform/math3d.h"

namespace {

using platform::RenderState;

constexpr int kSize = 128;

class ParticleDrawing : public ParticleWorld {
protected:
    void SetUp() override {
        ParticleWorld::SetUp();
        ASSERT_TRUE(writeSpriteImage("dot.bmp"));
        // The camera ten units in front of the origin, as the game builds its matrices.
        gl.device->setTransform(platform::TransformType::View,
                                matrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
        gl.device->setTransform(platform::TransformType::Projection,
                                matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
        gl.device->setTransform(platform::TransformType::World, matrixIdentity());
        // Lighting off shows the vertex colour as it is.
        gl.device->setRenderState(RenderState::Lighting, 0);
    }

    ParticleEmitter* emitterAt(const Vec3& position, int count, uint32_t color) {
        EXPECT_TRUE(createEmitter(count, "dot.bmp", position, {0, 0, 0}, Fixed, color));
        return entries().back();
    }

    std::vector<uint32_t> drawOver(uint32_t background) {
        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, background, 1.0f, 0);
        drawEmitters();
        return gl.device->readPixels();
    }

    static int redAt(const std::vector<uint32_t>& frame, int x, int y) {
        return rgbOf(frame[static_cast<size_t>(y) * kSize + x]).r;
    }

    // Pixels brighter than the background along row y, between two columns.
    static int litWidth(const std::vector<uint32_t>& frame, int y, int from, int to, int floor) {
        int lit = 0;
        for (int x = from; x < to; ++x) lit += redAt(frame, x, y) > floor ? 1 : 0;
        return lit;
    }

    // Where a point on the x axis lands on screen with this camera.
    static int screenX(float worldX, float distance) {
        return static_cast<int>(kSize / 2 + worldX * (kSize / 2) / (distance * 0.41421356f));
    }
};

TEST_F(ParticleDrawing, SpritesAddTheirColourToTheScene) {
    emitterAt({0, 0, 0}, 1, 0xFF404040);
    const auto frame = drawOver(0xFF202020);
    const Rgb centre = rgbOf(frame[static_cast<size_t>(kSize / 2) * kSize + kSize / 2]);
    EXPECT_NEAR(centre.r, 0x60, 2);  // 0x20 behind + 0x40 added
    EXPECT_NEAR(centre.g, 0x60, 2);
    EXPECT_NEAR(centre.b, 0x60, 2);
    EXPECT_EQ(redAt(frame, 2, 2), 0x20);

    // Two bursts at one place add up.
    emitterAt({0, 0, 0}, 1, 0xFF404040);
    EXPECT_NEAR(redAt(drawOver(0xFF202020), kSize / 2, kSize / 2), 0xA0, 3);

    // The draw leaves depth writes on and blending and sprites off again;
    // the blend factor and point sizes stay as set.
    EXPECT_EQ(gl.device->renderState(RenderState::ZWriteEnable), 1u);
    EXPECT_EQ(gl.device->renderState(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(gl.device->renderState(RenderState::PointSpriteEnable), 0u);
    EXPECT_EQ(gl.device->renderState(RenderState::PointScaleEnable), 0u);
    EXPECT_EQ(gl.device->renderState(RenderState::DestBlend), platform::kBlendOne);
    EXPECT_EQ(gl.device->renderState(RenderState::PointScaleC), platform::floatBits(1.0f));
    EXPECT_EQ(gl.device->texture(0), entries().back()->texture);
}

TEST_F(ParticleDrawing, SpritesShrinkWithDistance) {
    emitterAt({-2, 0, 0}, 1, 0xFFFFFFFF);  // 10 units from the eye
    emitterAt({8, 0, 30}, 1, 0xFFFFFFFF);  // 40 units from the eye
    const auto frame = drawOver(0xFF000000);
    const int nearX = screenX(-2, 10), farX = screenX(8, 40);
    ASSERT_LT(nearX + 10, farX - 5);
    const int nearWidth = litWidth(frame, kSize / 2, 0, (nearX + farX) / 2, 0);
    const int farWidth = litWidth(frame, kSize / 2, (nearX + farX) / 2, kSize, 0);
    // Viewport height / distance: 12.8 and 3.2 pixels.
    EXPECT_NEAR(nearWidth, 13, 2);
    EXPECT_NEAR(farWidth, 3, 1);
    EXPECT_GT(redAt(frame, nearX, kSize / 2), 200);
    EXPECT_GT(redAt(frame, farX, kSize / 2), 200);
}

TEST_F(ParticleDrawing, OnlyTheLivingAreDrawnEachOnce) {
    SteppingClock clock(0);  // births at 0, 1, 2, 3 ms
    ParticleEmitter* emitter = emitterAt({0, 0, 0}, 4, 0xFF404040);
    for (int i = 0; i < 4; ++i) emitter->particles[i].position = {-3.0f + 2.0f * i, 0, 0};
    const int columns[4] = {screenX(-3, 10), screenX(-1, 10), screenX(1, 10), screenX(3, 10)};

    const auto all = drawOver(0xFF000000);
    for (int column : columns) EXPECT_EQ(redAt(all, column, kSize / 2), 0x40) << column;

    clock.now = 10002;  // the first two are now more than 10000 ms old
    expireParticles();
    const auto some = drawOver(0xFF000000);
    EXPECT_EQ(redAt(some, columns[0], kSize / 2), 0);
    EXPECT_EQ(redAt(some, columns[1], kSize / 2), 0);
    // Each living particle once: no leftover points from the earlier fill.
    EXPECT_EQ(redAt(some, columns[2], kSize / 2), 0x40);
    EXPECT_EQ(redAt(some, columns[3], kSize / 2), 0x40);
}

}  // namespace
