#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/game_world.h"
#include "gameplay/rules.h"
#include "gl_test_window.h"
#include "mesh_test_support.h"
#include "message_recorder.h"
#include "scene/meshmanager.h"
#include "scene/platform/texture_file.h"
#include "scene/platform/x_mesh_file.h"
#include "scene/sky_dome.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

struct ShippedMesh {
    const char* name;
    size_t triangleLimit;
};
// In the order start-up loads them, with the triangles each may have.
constexpr ShippedMesh kMeshes[] = {
    {"rock.x", 320}, {"bigship.x", 1500}, {"SkyDome.x", 2000}, {"BombS.x", 400}, {"Rocket.x", 400}};
constexpr const char* kParticleTextures[] = {"spark.bmp", "particle.bmp", "explosion.png"};

// Copies every mesh, every texture their materials name, and the sprites.
void copyContent(const TempWorkingFolder& folder) {
    for (const ShippedMesh& mesh : kMeshes) {
        folder.copyFromGame(mesh.name);
        const auto file = platform::readXMeshFile(std::string(VORLUNE_DIST_DIR) + "/" + mesh.name);
        ASSERT_TRUE(file.has_value()) << mesh.name;
        for (const auto& material : file->materials) {
            if (!material.textureFileName.empty()) folder.copyFromGame(material.textureFileName);
        }
    }
    for (const char* name : kParticleTextures) folder.copyFromGame(name);
}

TEST(Content, EveryMeshAndTextureTheGameNamesLoadsWithoutAMessage) {
    GLTestWindow gl(64, 64);
    ASSERT_NE(gl.device, nullptr);
    TempWorkingFolder folder;
    copyContent(folder);
    MessageRecorder messages;
    for (const ShippedMesh& mesh : kMeshes) {
        SCOPED_TRACE(mesh.name);
        MeshResource resource(gl.device.get());
        resource.load(mesh.name);
        EXPECT_NE(resource.mesh, nullptr);
        ASSERT_GE(resource.materialCount, 1u);
        // Every material of ours names a texture, and each one loaded.
        for (platform::Texture* texture : resource.textures) EXPECT_NE(texture, nullptr);
        resource.release();
    }
    for (const char* name : kParticleTextures) {
        platform::Texture* texture = platform::loadTextureFile(*gl.device, name);
        EXPECT_NE(texture, nullptr) << name;
        gl.device->releaseTexture(texture);
    }
    EXPECT_TRUE(messages.boxes.empty());
    delete world.materialBuffer;
    world.materialBuffer = nullptr;
}

TEST(Content, MeshesStayWithinTheirTriangleBudgetsAndCarryNormalsAndTextureCoordinates) {
    for (const ShippedMesh& mesh : kMeshes) {
        SCOPED_TRACE(mesh.name);
        const auto file = platform::readXMeshFile(std::string(VORLUNE_DIST_DIR) + "/" + mesh.name);
        ASSERT_TRUE(file.has_value());
        const size_t triangles = file->mesh.indices.size() / 3;
        EXPECT_LE(triangles, mesh.triangleLimit);
        EXPECT_GE(triangles, 100u);  // a shape, not a placeholder
        EXPECT_TRUE(file->mesh.hasNormals);
        float spreadU = 0, spreadV = 0;
        for (const auto& vertex : file->mesh.vertices) {
            spreadU = std::max(spreadU, std::fabs(vertex.u - file->mesh.vertices[0].u));
            spreadV = std::max(spreadV, std::fabs(vertex.v - file->mesh.vertices[0].v));
            ASSERT_NEAR(vec3Length(vertex.normal), 1.0f, 1e-3f);
        }
        EXPECT_GT(spreadU, 0.1f);
        EXPECT_GT(spreadV, 0.1f);
        // Every subset is drawn: each material covers some faces.
        ASSERT_GE(file->mesh.subsets.size(), file->materials.size());
        for (size_t i = 0; i < file->materials.size(); ++i)
            EXPECT_GT(file->mesh.subsets[i].indexCount, 0u) << "material " << i;
    }
}

TEST(Content, ParticleSpritesFadeToBlackAtTheirRimAndThePngHasAlpha) {
    for (const char* name : kParticleTextures) {
        SCOPED_TRACE(name);
        SDL_Surface* loaded = IMG_Load((std::string(VORLUNE_DIST_DIR) + "/" + name).c_str());
        ASSERT_NE(loaded, nullptr);
        SDL_Surface* image = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
        const bool hasAlpha = SDL_ISPIXELFORMAT_ALPHA(loaded->format->format);
        SDL_FreeSurface(loaded);
        ASSERT_NE(image, nullptr);
        auto pixel = [&](int x, int y) {
            return static_cast<const uint8_t*>(image->pixels) + y * image->pitch + x * 4;
        };
        const uint8_t* corner = pixel(0, 0);
        const uint8_t* middle = pixel(image->w / 2, image->h / 2);
        EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
        EXPECT_GT(middle[0] + middle[1] + middle[2], 600);
        if (std::string(name).ends_with(".png")) {
            EXPECT_TRUE(hasAlpha);
            EXPECT_EQ(corner[3], 0);
            EXPECT_GT(middle[3], 200);
        }
        SDL_FreeSurface(image);
    }
}

// The game's rules decide how big things may be: these checks place the
// real meshes as the game places them and compare their boxes.
class ContentSizes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gl.device, nullptr);
        resetWorld();
        world.device = gl.device.get();
        copyContent(folder);
        for (MeshResource** mesh : {&rock, &ship, &dome, &bomb, &rocket})
            *mesh = new MeshResource(world.device);
        rock->load("rock.x");
        ship->load("bigship.x");
        dome->load("SkyDome.x");
        bomb->load("BombS.x");
        rocket->load("Rocket.x");
        ASSERT_TRUE(messages.boxes.empty());
    }
    void TearDown() override {
        for (MeshResource* mesh : {rock, ship, dome, bomb, rocket}) {
            if (mesh != nullptr) mesh->release();
            delete mesh;
        }
        delete world.materialBuffer;
        resetWorld();
    }

    static SceneObject placed(MeshResource* mesh, float scale, Vec3 at, Vec3 scaleXyz = {}) {
        SceneObject object(mesh);
        EXPECT_TRUE(object.computeLocalBox());
        object.scale = scaleXyz.x != 0 ? matrixScaling(scaleXyz.x, scaleXyz.y, scaleXyz.z)
                                       : matrixScaling(scale, scale, scale);
        object.translation = matrixTranslation(at.x, at.y, at.z);
        object.updateWorldBox();
        return object;
    }
    // The game's overlap test: strict on all three axes.
    static bool overlap(const SceneObject& a, const SceneObject& b) {
        return a.minBounds.x < b.maxBounds.x && a.maxBounds.x > b.minBounds.x &&
               a.minBounds.y < b.maxBounds.y && a.maxBounds.y > b.minBounds.y &&
               a.minBounds.z < b.maxBounds.z && a.maxBounds.z > b.minBounds.z;
    }
    SceneObject shipAt(float x, float z) {
        return placed(ship, 0, {x, rules::kShipHeight, z},
                      {rules::kShipScaleSideways, rules::kShipScaleUp, rules::kShipScaleSideways});
    }
    SceneObject rockAt(float x, float y, float z) {
        return placed(rock, rules::kRockScale, {x, y, z});
    }

    TempWorkingFolder folder;
    GLTestWindow gl{64, 64};
    MessageRecorder messages;
    MeshResource *rock = nullptr, *ship = nullptr, *dome = nullptr, *bomb = nullptr,
                 *rocket = nullptr;
};

TEST_F(ContentSizes, ARockInTheNextLaneClearsTheShipAndOneInItsLaneDoesNot) {
    // Level rocks stand up to 2 off their lane and 4 off the ship's height.
    for (float shipX : {-30.0f, 0.0f, 30.0f}) {
        for (float lane : {-30.0f, 0.0f, 30.0f}) {
            for (float offX : {-2.0f, 2.0f}) {
                for (float y : {31.0f, 39.0f}) {
                    const bool sameLane = lane == shipX;
                    EXPECT_EQ(overlap(rockAt(lane + offX, y, -100), shipAt(shipX, -100)), sameLane)
                        << "ship " << shipX << " rock " << lane + offX << ", " << y;
                }
            }
        }
    }
}

TEST_F(ContentSizes, ARocketFlyingDownItsLaneReachesTheRockThere) {
    for (float lane : {-30.0f, 0.0f, 30.0f}) {
        for (float rockY : {31.0f, 35.0f, 39.0f}) {
            const SceneObject target = rockAt(lane + 2, rockY, -400);
            bool struck = false;
            // Fired at the ship's place, 7 units further each frame.
            for (int z = 86; z > -500 && !struck; z -= 7) {
                SceneObject shot = placed(rocket, 1, {lane, 30, static_cast<float>(z)});
                struck = overlap(target, shot);
            }
            EXPECT_TRUE(struck) << "lane " << lane << " rock height " << rockY;
            // The rocket in the next lane passes it by.
            bool stray = false;
            for (int z = 86; z > -500; z -= 7) {
                SceneObject shot =
                    placed(rocket, 1, {lane == 30 ? 0.0f : lane + 30, 30, static_cast<float>(z)});
                stray = stray || overlap(target, shot);
            }
            EXPECT_FALSE(stray);
        }
    }
}

TEST_F(ContentSizes, APickupIsTakenInItsLaneOnly) {
    const SceneObject pickup = placed(bomb, 1.5f, {30, 35, -200});
    EXPECT_TRUE(overlap(pickup, shipAt(30, -200)));
    EXPECT_TRUE(overlap(pickup, shipAt(30, -205)));
    EXPECT_FALSE(overlap(pickup, shipAt(0, -200)));
}

TEST_F(ContentSizes, TheDomeLiesInsideTheFarPlaneAllRoundTheCamera) {
    // The dome as the pass draws it: seen from the camera's own place, 14 or
    // 15 units low, pushed 1 unit along the view.
    float farthest = 0;
    for (const auto& vertex : dome->mesh->vertices)
        farthest = std::max(farthest, vec3Length(vertex.position));
    EXPECT_LT(farthest + 15.0f + 1.0f, 1000.0f);
    EXPECT_GT(farthest, 100.0f);  // far enough that the 14-unit drop barely shows
}

// Relative luminance limits for a contrast of 3:1 against white and black text.
constexpr double kDarkestReadable = 0.10, kBrightestReadable = 0.30;

TEST(ContentSky, IsAMidBrightDaySkyWithAHorizonAndEveryTextStaysReadable) {
    constexpr int kWidth = 640, kHeight = 360;  // the screen's shape
    GLTestWindow gl(kWidth, kHeight);
    ASSERT_NE(gl.device, nullptr);
    TempWorkingFolder folder;
    copyContent(folder);
    resetWorld();
    world.device = gl.device.get();
    mesh_test::setUpGameDrawing(*gl.device, {0, 0.1f, -3});
    gl.device->setTransform(platform::TransformType::Projection,
                            matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f));
    MeshResource mesh(world.device);
    mesh.load("SkyDome.x");
    SceneObject dome(&mesh);
    world.skyDome = &dome;

    const struct {
        GameMode mode;
        Vec3 eye, target;
        float spin;
    } screens[] = {{GameMode::Playing, {0, 60, 170}, {0, 35, 90}, 0},
                   {GameMode::Menu, {0, 55, 170}, {0, 0, 0}, 0},
                   {GameMode::Menu, {0, 55, 170}, {0, 0, 0}, 2.5f}};
    for (const auto& screen : screens) {
        world.mode = screen.mode;
        world.spin = screen.spin;
        gl.device->setTransform(platform::TransformType::View,
                                matrixLookAtLH(screen.eye, screen.target, {0, 1, 0}));
        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, 0xFF000000, 1.0f, 0);
        drawSkyDome();
        const auto frame = gl.device->readPixels();
        double darkest = 1, brightest = 0, sum = 0;
        std::vector<double> rowLight(kHeight, 0.0), rowBlue(kHeight, 0.0);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t pixel = frame[static_cast<size_t>(y) * kWidth + x];
                const double l = mesh_test::luminance(pixel);
                darkest = std::min(darkest, l);
                brightest = std::max(brightest, l);
                sum += l;
                rowLight[y] += l / kWidth;
                rowBlue[y] +=
                    (static_cast<int>(pixel & 0xFF) - static_cast<int>((pixel >> 16) & 0xFF)) /
                    static_cast<double>(kWidth);
            }
        }
        EXPECT_GE(darkest, kDarkestReadable);
        EXPECT_LE(brightest, kBrightestReadable);
        const double mean = sum / (kWidth * kHeight);
        EXPECT_GT(mean, 0.14);  // a day sky, not a night one
        EXPECT_LT(mean, 0.26);
        // The horizon: the brightest band lies in the top third, with the
        // deeper blue of the sky above it and the cloud below.
        const int horizon =
            static_cast<int>(std::max_element(rowLight.begin(), rowLight.end()) - rowLight.begin());
        EXPECT_GT(horizon, 2);
        EXPECT_LT(horizon, kHeight / 3);
        EXPECT_GT(rowLight[horizon] - rowLight[0], 0.02);
        EXPECT_GT(rowLight[horizon] - rowLight[kHeight - 1], 0.02);
        for (double blue : rowBlue) EXPECT_GT(blue, 20.0);  // blue everywhere
    }
    world.skyDome = nullptr;
    mesh.release();
    delete world.materialBuffer;
    resetWorld();
}

}  // namespace
