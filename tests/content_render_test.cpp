#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/game_world.h"
#include "gameplay/rules.h"
#include "gl_test_window.h"
#include "mesh_test_support.h"
#include "message_recorder.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

using platform::TransformType;

constexpr int kWidth = 640, kHeight = 360;    // the screen's shape, stretched as the game does
constexpr uint32_t kClearColor = 0xFF00FFE6;  // a colour none of our textures holds

struct Placement {
    Matrix world;
    const char* what;
};

// Each shipped mesh drawn lit and textured as the game draws it, over the
// plain clear colour so its own pixels can be told apart.
class ContentRender : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device";
        resetWorld();
        world.device = gl.device.get();
        for (const char* name : {"rock.x", "rock.bmp", "bigship.x", "hull.bmp", "canopy.bmp",
                                 "flame.bmp", "BombS.x", "bomb.bmp", "Rocket.x", "rocket.bmp"})
            folder.copyFromGame(name);
    }
    void TearDown() override {
        delete world.materialBuffer;
        resetWorld();
    }

    // The playing frame's camera at the start of a level, or the menu's.
    void playingCamera() {
        camera(matrixLookAtLH({0, 60, 170}, {0, 35, 90}, {0, 1, 0}), {0, 0.1f, -3});
    }
    void menuCamera() { camera(matrixLookAtLH({0, 55, 170}, {0, 0, 0}, {0, 1, 0}), {0, 1, -2}); }
    void camera(const Matrix& view, const Vec3& light) {
        mesh_test::setUpGameDrawing(*gl.device, light);
        view_ = view;
        gl.device->setTransform(TransformType::View, view_);
        gl.device->setTransform(TransformType::Projection, projection_);
    }

    // Draws the mesh at each placement into one frame, keeps the frame as a
    // screenshot, and checks each object's pixels against the rectangle its
    // box covers on the screen.
    void drawAndCheck(const char* fileName, const std::vector<Placement>& placements,
                      const std::string& screenshot, double minimumCover) {
        MessageRecorder messages;
        MeshResource mesh(gl.device.get());
        mesh.load(fileName);
        ASSERT_TRUE(messages.boxes.empty());
        SceneObject object(&mesh);
        ASSERT_TRUE(object.computeLocalBox());

        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
        std::vector<mesh_test::PixelRect> rects;
        for (const Placement& placement : placements) {
            gl.device->setTransform(TransformType::World, placement.world);
            mesh.draw();
            rects.push_back(mesh_test::screenRectOf(object.localCorners, placement.world, view_,
                                                    projection_, kWidth, kHeight));
        }
        const auto frame = gl.device->readPixels();
        mesh_test::saveScreenshot(frame, kWidth, kHeight, screenshot);

        for (size_t i = 0; i < placements.size(); ++i) {
            SCOPED_TRACE(placements[i].what);
            const mesh_test::PixelRect& rect = rects[i];
            ASSERT_GT(rect.area(), 200) << "too small to see";
            ASSERT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= kWidth &&
                        rect.bottom <= kHeight)
                << "off the screen";
            int covered = 0;
            double light = 0;
            std::set<uint32_t> colours;
            mesh_test::PixelRect drawn{rect.right, rect.bottom, rect.left, rect.top};
            for (int y = rect.top; y < rect.bottom; ++y) {
                for (int x = rect.left; x < rect.right; ++x) {
                    const uint32_t pixel = frame[static_cast<size_t>(y) * kWidth + x];
                    if (pixel == kClearColor) continue;
                    ++covered;
                    light += mesh_test::luminance(pixel);
                    colours.insert(pixel);
                    drawn = {std::min(drawn.left, x), std::min(drawn.top, y),
                             std::max(drawn.right, x + 1), std::max(drawn.bottom, y + 1)};
                }
            }
            ASSERT_GT(covered, 0);
            EXPECT_GE(covered, minimumCover * rect.area());
            // The object reaches across its box's rectangle: its outline, not
            // just some part of it, is where the box says.
            EXPECT_GE(drawn.right - drawn.left, 0.6 * (rect.right - rect.left));
            EXPECT_GE(drawn.bottom - drawn.top, 0.4 * (rect.bottom - rect.top));
            EXPECT_GE(colours.size(), 16u) << "textured and shaded, not one flat colour";
            EXPECT_GT(light / covered, 0.08) << "lit well enough to see";
        }
        // Nothing is drawn outside the boxes' rectangles (one pixel of slack).
        int stray = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (frame[static_cast<size_t>(y) * kWidth + x] == kClearColor) continue;
                bool inside = false;
                for (mesh_test::PixelRect rect : rects) {
                    rect = {rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1};
                    inside = inside || rect.contains(x, y);
                }
                stray += !inside;
            }
        }
        EXPECT_EQ(stray, 0);
        mesh.release();
    }

    TempWorkingFolder folder;
    GLTestWindow gl{kWidth, kHeight};
    Matrix view_;
    const Matrix projection_ = matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f);
};

// The ship's world as the playing frame makes it: scale x rotation x translation.
Matrix shipInPlay(float x, float roll) {
    return matrixMultiply(
        matrixMultiply(matrixScaling(rules::kShipScaleSideways, rules::kShipScaleUp,
                                     rules::kShipScaleSideways),
                       matrixRotationZ(roll)),
        matrixTranslation(x, rules::kShipHeight,
                          static_cast<float>(-rules::kShipAdvance) + rules::kShipLead));
}

TEST_F(ContentRender, ShipInPlayInEachLane) {
    playingCamera();
    drawAndCheck("bigship.x", {{shipInPlay(0, 0), "centre lane"}}, "mesh-ship-playing", 0.25);
    // In an outer lane, banked as it arrives there; the picture's edge may
    // cut the wingtip, so only the part on the screen is checked.
    playingCamera();
    drawAndCheck("bigship.x", {{shipInPlay(-24, 0.2f), "moving right"}}, "mesh-ship-banked", 0.12);
}

TEST_F(ContentRender, ShipOnTheMenusTurntable) {
    menuCamera();
    const Matrix turned = matrixMultiply(matrixScaling(1.3f, 0.8f, 1.3f), matrixRotationY(1.0f));
    drawAndCheck("bigship.x", {{turned, "turning at the origin"}}, "mesh-ship-menu", 0.15);
}

TEST_F(ContentRender, RocksInTheThreeLanesAhead) {
    playingCamera();
    std::vector<Placement> rocks;
    for (float x : {-30.0f, 0.0f, 30.0f}) {
        rocks.push_back(
            {matrixMultiply(matrixScaling(rules::kRockScale, rules::kRockScale, rules::kRockScale),
                            matrixTranslation(x, 35, -150)),
             x < 0   ? "right lane"
             : x > 0 ? "left lane"
                     : "centre lane"});
    }
    drawAndCheck("rock.x", rocks, "mesh-rocks", 0.5);
}

TEST_F(ContentRender, BombPickupTurningInALane) {
    playingCamera();
    const Matrix world =
        matrixMultiply(matrixMultiply(matrixRotationY(0.8f), matrixScaling(1.5f, 1.5f, 1.5f)),
                       matrixTranslation(30, 35, 20));
    drawAndCheck("BombS.x", {{world, "pickup"}}, "mesh-bomb", 0.3);
}

TEST_F(ContentRender, RocketFlyingAheadOfTheShip) {
    playingCamera();
    const Matrix world = matrixMultiply(matrixRotationY(3.1415927f), matrixTranslation(0, 30, 40));
    drawAndCheck("Rocket.x", {{world, "rocket"}}, "mesh-rocket", 0.25);
}

}  // namespace
