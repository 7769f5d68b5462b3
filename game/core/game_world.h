#pragma once
// The one record that holds all state of the game. Every part of the game
// reads and writes its fields directly, from the game's only thread.

#include <cstdint>
#include <string>

#include "core/settings.h"
#include "scene/meshmanager.h"
#include "scene/platform/font.h"
#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

struct EmitterList;
struct MusicGraph;
struct MusicControl;
struct MusicEvents;
struct MusicVideoWindow;

// The game flow state; see the transitions in the window procedure, start-up,
// the screens, the level loader and the impact rules.
enum class GameMode : uint8_t {
    Quit = 0,
    Menu = 1,
    Playing = 2,
    GameOver = 3,
    LevelTransition = 4,
    TheEnd = 5,
    Loading = 255,
};

constexpr int kRockSlots = 50;
constexpr int kPickupSlots = 5;
constexpr int kRocketSlots = 5;
constexpr int kLastLevel = 20;

struct RockPosition {
    int32_t x = 0, y = 0, z = 0;  // z is a depth: the rock stands at world (x, y, -z)
};

struct GameWorld {
    GameWorld();

    // Game flow and progress
    GameMode mode = GameMode::Loading;
    int32_t level = 0;
    char levelBanner[18] = {};  // "Level " + any 32-bit number + terminator
    uint32_t levelStartTime = 0;
    float levelEndZ = 50.0f;
    uint32_t lastFrameTime = 0;
    // A recorded run is being shown: nothing is saved or recorded, and the
    // viewer's keys only end it.
    bool watchingReplay = false;

    // Ship, steering, camera and light
    float shipZ = 0.0f;
    float shipX = 0.0f;
    float roll = 0.0f;
    float spin = 0.0f;
    std::string steerCommand;  // "right", "left" or empty
    Vec3 cameraEye{0.0f, 55.0f, 170.0f};
    Vec3 cameraTarget{0.0f, 0.0f, 0.0f};
    Vec3 cameraUp{0.0f, 1.0f, 0.0f};
    Vec3 lightDirection{0.0f, 0.0f, -2.0f};

    // Objects of the level, created once at start-up
    SceneObject* ship = nullptr;
    SceneObject* skyDome = nullptr;
    SceneObject* rocks[kRockSlots] = {};
    RockPosition rockPos[kRockSlots] = {};
    int32_t rockCount = 0;
    SceneObject* pickups[kPickupSlots] = {};
    uint8_t pickupActive[kPickupSlots] = {};
    int32_t pickupCount = 0;
    SceneObject* rockets[kRocketSlots] = {};
    uint8_t rocketActive[kRocketSlots] = {};
    int32_t rocketX[kRocketSlots] = {};
    int32_t rocketZ[kRocketSlots] = {};
    int32_t bombs = 0;

    // Resources
    MeshResource* rockMesh = nullptr;
    MeshResource* shipMesh = nullptr;
    MeshResource* skyDomeMesh = nullptr;
    MeshResource* bombMesh = nullptr;
    MeshResource* rocketMesh = nullptr;
    MaterialBuffer* materialBuffer = nullptr;
    platform::Font* smallFont = nullptr;
    platform::Font* largeFont = nullptr;
    Rect smallTextRect;
    Rect largeTextRect;
    // How much the screens' texts are shrunk to fit a small window; 1 on a full screen.
    float textScale = 1.0f;
    EmitterList* emitters = nullptr;

    // Platform objects. The device owns its rendering context; there is no
    // separate library object to hold beside it.
    platform::GraphicsDevice* device = nullptr;
    platform::Light light;
    Matrix view;
    Matrix projection;
    MusicGraph* graph = nullptr;
    MusicControl* mediaControl = nullptr;
    MusicEvents* mediaEvent = nullptr;  // null until the music has been started
    MusicVideoWindow* videoWindow = nullptr;

    // Primary screen size, taken before the game starts; from then on the
    // size of the picture in the game's window.
    int16_t screenWidth = 0;
    int16_t screenHeight = 0;

    // The player's settings in force (the command line's choices over the file's).
    Settings settings;
};

extern GameWorld world;
