#include "core/startup.h"

#include "audio/music.h"
#include "core/game_world.h"
#include "core/platform/message_box.h"
#include "core/screen_frame.h"
#include "effects/particle_emitters.h"
#include "gameplay/level_files.h"
#include "gameplay/progress_file.h"
#include "scene/graphics_setup.h"
#include "scene/text.h"

namespace {

constexpr float kHalfTurn = 3.1415927f;

void drawLoadingScreen() {
    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawText(world.largeFont, "Loading, please wait...", world.largeTextRect, kMenuTextColor);
    device.endScene();
    device.present();
}

MeshResource* loadedMesh(const char* fileName) {
    auto* mesh = new MeshResource(world.device);
    mesh->load(fileName);
    return mesh;
}

// A failed load has told the player already; its objects stay with zero
// boxes and draw nothing.
void loadMeshes() {
    world.rockMesh = new MeshResource(world.device);
    world.shipMesh = new MeshResource(world.device);
    world.skyDomeMesh = new MeshResource(world.device);
    world.bombMesh = new MeshResource(world.device);
    world.rockMesh->load("rock.x");
    world.shipMesh->load("bigship.x");
    world.skyDomeMesh->load("SkyDome.x");
    world.bombMesh->load("BombS.x");
    world.rocketMesh = loadedMesh("Rocket.x");
}

SceneObject* boxedObject(MeshResource* mesh) {
    auto* object = new SceneObject(mesh);
    object->computeLocalBox();
    return object;
}

void createSceneObjects() {
    world.ship = new SceneObject(world.shipMesh);
    world.skyDome = new SceneObject(world.skyDomeMesh);
    for (auto*& rock : world.rocks) rock = boxedObject(world.rockMesh);
    for (int i = 0; i < kPickupSlots; ++i) {
        world.pickups[i] = boxedObject(world.bombMesh);
        world.pickupActive[i] = 0;
        world.rockets[i] = boxedObject(world.rocketMesh);
        world.rockets[i]->rotation = matrixRotationY(kHalfTurn);
        world.rocketX[i] = 0;
        world.rocketZ[i] = 0;
        world.rocketActive[i] = 0;
    }
    world.ship->computeLocalBox();
}

void releaseMesh(MeshResource*& mesh) {
    if (mesh == nullptr) return;
    mesh->release();
    delete mesh;
    mesh = nullptr;
}

template <typename T>
void deleteAndClear(T*& pointer) {
    delete pointer;
    pointer = nullptr;
}

}  // namespace

bool loadGame(platform::WindowHandle window) {
    if (!initGraphics(window)) {
        platform::showMessageBox(
            {nullptr, "שגיאה",
             "שגיאה בטעינת דירקט-אקס, נסה להתקין שוב או לעדכן את גרסאת הדירקט-אקס שלך.",
             platform::MessageBoxIcon::None});
        return false;
    }
    if (!loadProgress()) saveProgress();

    world.device->setRenderState(platform::RenderState::ZEnable, 1);
    world.device->setRenderState(platform::RenderState::CullMode, platform::kCullNone);
    world.device->setRenderState(platform::RenderState::Ambient, 0xFF969696);

    createSmallFont();
    createLargeFont();
    drawLoadingScreen();

    loadMeshes();
    createSceneObjects();
    loadLevel();
    // The menu follows a successful start even when the level's rock file
    // was missing.
    world.mode = GameMode::Menu;
    return true;
}

void shutdownGame() {
    // Only what was created is released: the window may have been closed
    // before start-up loading ever ran.
    deleteAndClear(world.smallFont);
    deleteAndClear(world.largeFont);
    releaseMesh(world.shipMesh);
    releaseMesh(world.rockMesh);
    releaseMesh(world.skyDomeMesh);
    releaseMesh(world.bombMesh);
    releaseMesh(world.rocketMesh);
    if (world.emitters != nullptr) destroyEmitterList();
    deleteAndClear(world.materialBuffer);
    deleteAndClear(world.device);
    releaseMusic();

    // The scene objects outlive nothing they point to.
    deleteAndClear(world.ship);
    deleteAndClear(world.skyDome);
    for (auto*& rock : world.rocks) deleteAndClear(rock);
    for (auto*& pickup : world.pickups) deleteAndClear(pickup);
    for (auto*& rocket : world.rockets) deleteAndClear(rocket);
}
