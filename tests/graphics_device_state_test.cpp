#include <gtest/gtest.h>

#include <vector>

#include "gl_test_window.h"
#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

// The device sends GL only what changed since it last sent it, keeps the
// scene's values per shader build and puts its switches back lazily; these
// check that what is drawn still follows what was asked every time.

namespace {

using platform::RenderState;
using platform::TransformType;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A square facing the camera, half-size `half`, at depth z.
platform::MeshData square(float half, float z) {
    platform::MeshData data;
    const Vec3 normal{0, 0, -1};
    data.vertices = {{{-half, -half, z}, normal, 0, 1},
                     {{half, -half, z}, normal, 1, 1},
                     {{-half, half, z}, normal, 0, 0},
                     {{half, half, z}, normal, 1, 0}};
    data.indices = {0, 1, 2, 2, 1, 3};
    data.subsets.push_back({0, 6});
    return data;
}

std::vector<uint8_t> solid(int size, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < size * size; ++i) rgba.insert(rgba.end(), {r, g, b, 255});
    return rgba;
}

class DeviceState : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        device().setTransform(TransformType::View,
                              matrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
        device().setTransform(TransformType::Projection,
                              matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
        device().setTransform(TransformType::World, matrixIdentity());
        device().setRenderState(RenderState::CullMode, platform::kCullNone);
        device().clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
    }

    platform::GraphicsDevice& device() { return *gl.device; }

    // Lit by the ambient level alone, so a face shows its ambient colour
    // exactly, with the diffuse alpha.
    void flatColour(float r, float g, float b, float alpha) {
        device().setRenderState(RenderState::Lighting, 1);
        device().setRenderState(RenderState::Ambient, 0xFFFFFFFF);
        device().lightEnable(0, false);
        platform::Material material;
        material.ambient = {r, g, b, 1};
        material.diffuse = {r, g, b, alpha};
        device().setMaterial(material);
    }

    // The column where world point (x, 0, 0) lands.
    int screenX(float x) {
        const Matrix viewProjection =
            matrixMultiply(device().getTransform(TransformType::View),
                           device().getTransform(TransformType::Projection));
        const Vec3 projected = vec3TransformCoord({x, 0, 0}, viewProjection);
        return static_cast<int>((projected.x + 1.0f) * 0.5f * kWidth);
    }

    Rgb at(const std::vector<uint32_t>& frame, int x, int y) {
        return rgbOf(frame[static_cast<size_t>(y) * kWidth + x]);
    }

    GLTestWindow gl{kWidth, kHeight};
};

TEST_F(DeviceState, SceneSwitchesApplyAgainAfterAScreenImage) {
    platform::GpuMesh* nearSquare = device().createMesh(square(0.5f, 0.0f));
    platform::GpuMesh* farSquare = device().createMesh(square(2.0f, 2.0f));
    const auto white = solid(8, 255, 255, 255);
    platform::Texture* image = device().createTexture(8, 8, white.data());
    ASSERT_NE(image, nullptr);

    flatColour(1, 0, 0, 1);
    device().drawSubset(nearSquare, 0);
    // Text turns depth testing and writing off and blending on for itself.
    device().drawScreenImage(image, 0, 0, 8, 8, 0xFFFFFFFF);
    flatColour(0, 0, 1, 0.5f);
    device().drawSubset(farSquare, 0);

    const auto frame = device().readPixels();
    const Rgb centre = at(frame, kWidth / 2, kHeight / 2);
    EXPECT_EQ(centre.r, 255) << "the far square must stay hidden behind the near one";
    EXPECT_EQ(centre.b, 0);
    // Beside the near square the far one shows unblended, its alpha ignored.
    const Rgb beside = at(frame, kWidth / 2 + 50, kHeight / 2);
    EXPECT_EQ(beside.r, 0);
    EXPECT_EQ(beside.b, 255);
    const Rgb corner = at(frame, 2, 2);
    EXPECT_EQ(corner.g, 255) << "the screen image itself";

    device().releaseTexture(image);
    device().releaseMesh(nearSquare);
    device().releaseMesh(farSquare);
}

TEST_F(DeviceState, EachKindOfDrawGetsTheTransformOfItsOwnTime) {
    platform::GpuMesh* mesh = device().createMesh(square(0.4f, 0.0f));
    const auto green = solid(4, 0, 255, 0);
    platform::Texture* texture = device().createTexture(4, 4, green.data());
    ASSERT_NE(texture, nullptr);
    device().setRenderState(RenderState::Lighting, 0);  // white faces, texels as they are

    device().setTexture(0, texture);
    device().setTransform(TransformType::World, matrixTranslation(-1, 0, 0));
    device().drawSubset(mesh, 0);
    device().setTexture(0, nullptr);
    device().setTransform(TransformType::World, matrixTranslation(1, 0, 0));
    device().drawSubset(mesh, 0);
    // The textured build last drew at x = -1; this draw must land at +1.
    device().setTexture(0, texture);
    device().setTransform(TransformType::World, matrixTranslation(1, 0, 0));
    device().drawSubset(mesh, 0);
    // And the untextured build, last used at +1, now draws at -1.
    device().setTexture(0, nullptr);
    device().setTransform(TransformType::World, matrixTranslation(-1, 0, 0));
    device().drawSubset(mesh, 0);

    const auto frame = device().readPixels();
    const Rgb atPlusOne = at(frame, screenX(1.0f), kHeight / 2);
    const Rgb atMinusOne = at(frame, screenX(-1.0f), kHeight / 2);
    EXPECT_EQ(atPlusOne.r, 0) << "textured, drawn last at +1";
    EXPECT_EQ(atPlusOne.g, 255);
    EXPECT_EQ(atMinusOne.r, 255) << "untextured, drawn last at -1";
    EXPECT_EQ(atMinusOne.g, 255);

    device().releaseTexture(texture);
    device().releaseMesh(mesh);
}

TEST_F(DeviceState, ATextureMadeInPlaceOfAReleasedOneIsTheOneDrawn) {
    platform::GpuMesh* mesh = device().createMesh(square(1.0f, 0.0f));
    device().setRenderState(RenderState::Lighting, 0);
    const auto red = solid(4, 255, 0, 0);
    platform::Texture* first = device().createTexture(4, 4, red.data());
    device().setTexture(0, first);
    device().drawSubset(mesh, 0);
    device().releaseTexture(first);

    // GL may hand out the released texture's name again.
    const auto blue = solid(4, 0, 0, 255);
    platform::Texture* second = device().createTexture(4, 4, blue.data());
    ASSERT_NE(second, nullptr);
    device().setTexture(0, second);
    device().drawSubset(mesh, 0);

    const Rgb centre = at(device().readPixels(), kWidth / 2, kHeight / 2);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(centre.b, 255);
    device().releaseTexture(second);
    device().releaseMesh(mesh);
}

TEST_F(DeviceState, ColoursFollowEveryChangeBackAndForth) {
    platform::GpuMesh* mesh = device().createMesh(square(0.3f, 0.0f));
    const float xs[] = {-1.2f, 0.0f, 1.2f};
    const float reds[] = {1.0f, 0.0f, 1.0f};  // the first colour comes back last
    for (int i = 0; i < 3; ++i) {
        flatColour(reds[i], 0, 1 - reds[i], 1);
        device().setTransform(TransformType::World, matrixTranslation(xs[i], 0, 0));
        device().drawSubset(mesh, 0);
    }
    const auto frame = device().readPixels();
    const Rgb middle = at(frame, kWidth / 2, kHeight / 2);
    EXPECT_EQ(middle.r, 0);
    EXPECT_EQ(middle.b, 255);
    for (int x : {kWidth / 2 - 75, kWidth / 2 + 75}) {
        const Rgb side = at(frame, x, kHeight / 2);
        EXPECT_EQ(side.r, 255) << x;
        EXPECT_EQ(side.b, 0) << x;
    }
    device().releaseMesh(mesh);
}

}  // namespace
