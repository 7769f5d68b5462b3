#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gl_test_window.h"
#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

namespace {

using platform::RenderState;
using platform::TransformType;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr uint32_t kSkyColor = 0xFF00FFE6;

platform::MeshData sphere(float radius, int rings, int segments) {
    platform::MeshData data;
    for (int ring = 0; ring <= rings; ++ring) {
        const float theta = 3.14159265f * ring / rings;
        for (int segment = 0; segment <= segments; ++segment) {
            const float phi = 2.0f * 3.14159265f * segment / segments;
            const Vec3 normal{std::sin(theta) * std::cos(phi), std::cos(theta),
                              std::sin(theta) * std::sin(phi)};
            data.vertices.push_back({{normal.x * radius, normal.y * radius, normal.z * radius},
                                     normal,
                                     static_cast<float>(segment) / segments,
                                     static_cast<float>(ring) / rings});
        }
    }
    for (int ring = 0; ring < rings; ++ring) {
        for (int segment = 0; segment < segments; ++segment) {
            const uint32_t a = ring * (segments + 1) + segment, b = a + segments + 1;
            data.indices.insert(data.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    data.subsets.push_back({0, static_cast<uint32_t>(data.indices.size())});
    return data;
}

class GraphicsDevice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device"; }

    uint32_t pixel(const std::vector<uint32_t>& frame, int x, int y) {
        return frame[static_cast<size_t>(y) * kWidth + x];
    }

    // A camera at z = -5 looking at the origin, as the game builds its matrices.
    void lookAtOriginFromFront() {
        gl.device->setTransform(TransformType::View,
                                matrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
        gl.device->setTransform(TransformType::Projection,
                                matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
        gl.device->setTransform(TransformType::World, matrixIdentity());
    }

    void lightFrom(const Vec3& direction) {
        platform::Light light;
        light.diffuse = {1, 1, 1, 0};
        light.ambient = {0.1f, 0.1f, 0.1f, 0};
        light.direction = vec3Normalize(direction);
        gl.device->setLight(0, light);
        gl.device->lightEnable(0, true);
    }

    void greyMaterial() {
        platform::Material material;
        material.diffuse = material.ambient = {0.5f, 0.5f, 0.5f, 1.0f};
        gl.device->setMaterial(material);
    }

    GLTestWindow gl{kWidth, kHeight};
};

TEST_F(GraphicsDevice, ClearFillsTheFrameWithTheColourExactly) {
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, kSkyColor, 1.0f, 0);
    const auto frame = gl.device->readPixels();
    ASSERT_EQ(frame.size(), static_cast<size_t>(kWidth * kHeight));
    for (uint32_t p : frame) ASSERT_EQ(p, kSkyColor);  // opaque clear: no tolerance
}

TEST_F(GraphicsDevice, DirectionalLightBrightensFacesTurnedTowardsIt) {
    gl.device->setRenderState(RenderState::CullMode, platform::kCullNone);
    gl.device->setRenderState(RenderState::Ambient, 0xFF969696);
    greyMaterial();
    lookAtOriginFromFront();
    platform::GpuMesh* ball = gl.device->createMesh(sphere(1.5f, 24, 32));
    ASSERT_NE(ball, nullptr);

    // Light travelling towards +x: it falls on the faces turned to -x, which
    // a camera looking down +z (left-handed) sees on the left.
    lightFrom({1, 0, 0});
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    gl.device->drawSubset(ball, 0);
    const auto sideLit = gl.device->readPixels();
    const Rgb left = rgbOf(pixel(sideLit, kWidth / 2 - 75, kHeight / 2));
    const Rgb centre = rgbOf(pixel(sideLit, kWidth / 2, kHeight / 2));
    const Rgb right = rgbOf(pixel(sideLit, kWidth / 2 + 75, kHeight / 2));
    // 75 pixels left of centre the ray meets the ball where the normal's x is
    // about -0.48: 0.344 + 0.5 x 0.48 -> about 148.
    EXPECT_NEAR(left.r, 148, 6);
    // Unlit side: material ambient x (ambient level + light ambient) only,
    // 0.5 x (150/255 + 0.1) = 0.344 -> 88. Tolerance 3 for Gouraud interpolation.
    EXPECT_NEAR(right.r, 88, 3);
    EXPECT_NEAR(centre.r, 88, 3);

    // Light travelling towards +z comes from behind the camera: the centre
    // faces it fully, 0.344 + 0.5 = 0.844 -> 215.
    lightFrom({0, 0, 1});
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    gl.device->drawSubset(ball, 0);
    const auto frontLit = gl.device->readPixels();
    const Rgb facing = rgbOf(pixel(frontLit, kWidth / 2, kHeight / 2));
    EXPECT_NEAR(facing.r, 215, 4);
    EXPECT_EQ(facing.r, facing.g);
    EXPECT_EQ(rgbOf(pixel(frontLit, 2, 2)).r, 0);  // nothing outside the ball

    // With lighting off the mesh shows plain white.
    gl.device->setRenderState(RenderState::Lighting, 0);
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    gl.device->drawSubset(ball, 0);
    EXPECT_EQ(pixel(gl.device->readPixels(), kWidth / 2, kHeight / 2), 0xFFFFFFFFu);
    gl.device->releaseMesh(ball);
}

// A mesh is left out only where none of it can show: one reaching into the
// view by a sliver past any of its six sides still draws.
TEST_F(GraphicsDevice, AMeshReachingIntoTheViewPastAnySideStillDraws) {
    gl.device->setRenderState(RenderState::CullMode, platform::kCullNone);
    gl.device->setRenderState(RenderState::Lighting, 0);
    lookAtOriginFromFront();
    // At the origin the view reaches 2.07 to each side; near is 1 ahead of
    // the camera, far 1000.
    const struct {
        const char* side;
        Vec3 centre;
        float radius;
    } table[] = {
        {"left", {-2.9f, 0, 0}, 1},  {"right", {2.9f, 0, 0}, 1},  {"bottom", {0, -2.9f, 0}, 1},
        {"top", {0, 2.9f, 0}, 1},    {"near", {0, 0, -5}, 1.5f}, {"far", {0, 0, 1090}, 100},
    };
    for (const auto& row : table) {
        platform::GpuMesh* ball = gl.device->createMesh(sphere(row.radius, 24, 32));
        gl.device->setTransform(TransformType::World,
                                matrixTranslation(row.centre.x, row.centre.y, row.centre.z));
        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
        gl.device->drawSubset(ball, 0);
        const auto frame = gl.device->readPixels();
        EXPECT_GT(std::count(frame.begin(), frame.end(), 0xFFFFFFFFu), 20) << row.side;
        gl.device->releaseMesh(ball);
    }
}

TEST_F(GraphicsDevice, TextureIsModulatedByTheLitColour) {
    gl.device->setRenderState(RenderState::CullMode, platform::kCullNone);
    gl.device->setRenderState(RenderState::Ambient, 0xFF969696);
    greyMaterial();
    lookAtOriginFromFront();
    lightFrom({0, 0, 1});
    const uint8_t red[4] = {255, 0, 0, 255};
    platform::Texture* texture = gl.device->createTexture(1, 1, red);
    ASSERT_NE(texture, nullptr);
    platform::GpuMesh* ball = gl.device->createMesh(sphere(1.5f, 24, 32));
    gl.device->setTexture(0, texture);
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    gl.device->drawSubset(ball, 0);
    const Rgb centre = rgbOf(pixel(gl.device->readPixels(), kWidth / 2, kHeight / 2));
    EXPECT_NEAR(centre.r, 215, 4);
    EXPECT_EQ(centre.g, 0);
    EXPECT_EQ(centre.b, 0);
    gl.device->setTexture(0, nullptr);
    gl.device->releaseMesh(ball);
    gl.device->releaseTexture(texture);
}

TEST_F(GraphicsDevice, DepthTestAndDepthWriteSwitches) {
    gl.device->setRenderState(RenderState::CullMode, platform::kCullNone);
    gl.device->setRenderState(RenderState::Lighting, 0);
    lookAtOriginFromFront();
    platform::GpuMesh* ball = gl.device->createMesh(sphere(1.0f, 12, 16));
    const uint8_t blue[4] = {0, 0, 255, 255};
    platform::Texture* blueTexture = gl.device->createTexture(1, 1, blue);

    auto drawFrontWhiteThenBackBlue = [&] {
        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
        gl.device->setTexture(0, nullptr);
        gl.device->setTransform(TransformType::World, matrixTranslation(0, 0, 0));
        gl.device->drawSubset(ball, 0);
        gl.device->setTexture(0, blueTexture);
        gl.device->setTransform(TransformType::World, matrixTranslation(0, 0, 3));
        gl.device->drawSubset(ball, 0);
        return pixel(gl.device->readPixels(), kWidth / 2, kHeight / 2);
    };
    EXPECT_EQ(drawFrontWhiteThenBackBlue(), 0xFFFFFFFFu);  // the nearer ball hides the far one
    gl.device->setRenderState(RenderState::ZEnable, 0);
    EXPECT_EQ(drawFrontWhiteThenBackBlue(), 0xFF0000FFu);  // no depth test: last drawn wins
    gl.device->setRenderState(RenderState::ZEnable, 1);
    gl.device->setRenderState(RenderState::ZWriteEnable, 0);
    EXPECT_EQ(drawFrontWhiteThenBackBlue(), 0xFF0000FFu);  // the front ball left no depth
    gl.device->setRenderState(RenderState::ZWriteEnable, 1);
    gl.device->setTexture(0, nullptr);
    gl.device->releaseTexture(blueTexture);
    gl.device->releaseMesh(ball);
}

TEST_F(GraphicsDevice, PointSpritesAddTheirColourAndShrinkWithDistance) {
    lookAtOriginFromFront();
    gl.device->setRenderState(RenderState::Lighting, 0);
    gl.device->setRenderState(RenderState::ZWriteEnable, 0);
    gl.device->setRenderState(RenderState::AlphaBlendEnable, 1);
    gl.device->setRenderState(RenderState::DestBlend, platform::kBlendOne);
    gl.device->setRenderState(RenderState::PointSpriteEnable, 1);
    gl.device->setRenderState(RenderState::PointScaleEnable, 1);
    gl.device->setRenderState(RenderState::PointSize, platform::floatBits(1.0f));
    gl.device->setRenderState(RenderState::PointSizeMin, platform::floatBits(1.0f));
    gl.device->setRenderState(RenderState::PointScaleA, platform::floatBits(0.0f));
    gl.device->setRenderState(RenderState::PointScaleB, platform::floatBits(0.0f));
    gl.device->setRenderState(RenderState::PointScaleC, platform::floatBits(1.0f));
    const uint8_t white[4] = {255, 255, 255, 255};
    platform::Texture* texture = gl.device->createTexture(1, 1, white);
    gl.device->setTexture(0, texture);
    platform::PointBuffer* points = gl.device->createPointBuffer(2);
    ASSERT_NE(points, nullptr);
    platform::PointVertex* vertices = gl.device->lockPointBuffer(points);
    ASSERT_NE(vertices, nullptr);
    // 20 units from the eye: 240 / 20 = 12 pixels. 60 units: 4 pixels.
    vertices[0] = {-2.0f, 0.0f, 15.0f, 0xFF402000};
    vertices[1] = {6.0f, 0.0f, 55.0f, 0xFF402000};
    gl.device->unlockPointBuffer(points);
    gl.device->setPointSource(points);

    const uint32_t background = 0xFF204060;
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, background, 1.0f, 0);
    gl.device->drawPointList(0, 2);
    const auto frame = gl.device->readPixels();
    int brighter = 0, nearSprite = 0, farSprite = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t p = pixel(frame, x, y);
            if (p == background) continue;
            ++brighter;
            EXPECT_EQ(p, 0xFF606060u);  // additive: background + particle colour
            (x < kWidth / 2 ? nearSprite : farSprite) += 1;
        }
    }
    EXPECT_EQ(brighter, nearSprite + farSprite);
    EXPECT_NEAR(nearSprite, 144, 30);
    EXPECT_NEAR(farSprite, 16, 8);

    // Only the first point: the second leaves no trace.
    gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, background, 1.0f, 0);
    gl.device->drawPointList(0, 1);
    const auto single = gl.device->readPixels();
    int lit = 0;
    for (uint32_t p : single) lit += p != background;
    EXPECT_EQ(lit, nearSprite);
    gl.device->releasePointBuffer(points);
    gl.device->setTexture(0, nullptr);
    gl.device->releaseTexture(texture);
}

TEST_F(GraphicsDevice, TransformsAndStatesReadBackAsSet) {
    const Matrix view = matrixLookAtLH({0, 60, 170}, {0, 35, 90}, {0, 1, 0});
    gl.device->setTransform(TransformType::View, view);
    EXPECT_EQ(gl.device->getTransform(TransformType::View), view);
    gl.device->setRenderState(RenderState::ZWriteEnable, 0);
    EXPECT_EQ(gl.device->renderState(RenderState::ZWriteEnable), 0u);
    // A new device starts with point filtering; linear once asked for.
    EXPECT_EQ(gl.device->samplerState(0, platform::SamplerState::MinFilter), platform::kFilterPoint);
    gl.device->setSamplerState(0, platform::SamplerState::MinFilter, platform::kFilterLinear);
    EXPECT_EQ(gl.device->samplerState(0, platform::SamplerState::MinFilter),
              platform::kFilterLinear);
}

}  // namespace

namespace {

// The program destroys its window before it releases what it drew with.
TEST(GraphicsDeviceShutdown, ReleasingAfterTheWindowIsGoneIsSafe) {
    GLTestWindow gl(64, 64);
    ASSERT_NE(gl.device, nullptr);
    const uint8_t white[4] = {255, 255, 255, 255};
    platform::Texture* texture = gl.device->createTexture(1, 1, white);
    platform::GpuMesh* mesh = gl.device->createMesh(sphere(1.0f, 4, 4));
    platform::PointBuffer* points = gl.device->createPointBuffer(4);
    ASSERT_NE(texture, nullptr);
    platform::destroyWindow(gl.window);
    EXPECT_FALSE(platform::windowExists(gl.window));
    gl.device->clear(platform::kClearTarget, 0xFF000000, 1.0f, 0);
    gl.device->drawSubset(mesh, 0);
    gl.device->present();
    EXPECT_TRUE(gl.device->readPixels().empty());
    gl.device->releaseTexture(texture);
    gl.device->releaseMesh(mesh);
    gl.device->releasePointBuffer(points);
    gl.device.reset();
}

}  // namespace
