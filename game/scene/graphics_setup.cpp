#include "scene/graphics_setup.h"

#include <cfloat>
#include <cmath>

#include "core/game_world.h"
#include "effects/particle_emitters.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr int kBold = 700;

platform::Light sceneLight() {
    platform::Light light;
    light.type = platform::kLightDirectional;
    light.diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.ambient = {0.1f, 0.1f, 0.1f, 0.0f};
    light.position = {0.0f, 0.0f, 0.0f};
    light.direction = vec3Normalize(world.lightDirection);
    light.range = std::sqrt(FLT_MAX);
    return light;
}

}  // namespace

bool initGraphics(platform::WindowHandle window) {
    world.device = platform::GraphicsDevice::create(window, world.screenWidth, world.screenHeight)
                       .release();
    if (world.device == nullptr) return false;
    world.device->setRenderState(platform::RenderState::Lighting, 1);
    world.device->setRenderState(platform::RenderState::Ambient, kWhite);
    world.light = sceneLight();
    world.device->setLight(0, world.light);
    world.device->lightEnable(0, true);
    world.emitters = createEmitterList();
    return true;
}

void setupCamera() {
    world.view = matrixLookAtLH(world.cameraEye, world.cameraTarget, world.cameraUp);
    // Aspect 1, not the screen's: the picture is stretched to the screen's shape.
    world.projection = matrixPerspectiveFovLH(0.78539819f, 1.0f, 1.0f, 1000.0f);
    if (world.device == nullptr) return;
    world.device->setTransform(platform::TransformType::View, world.view);
    world.device->setTransform(platform::TransformType::Projection, world.projection);
}

bool createSmallFont() {
    world.smallTextRect = {2, 5, world.screenWidth - 2, world.screenHeight - 5};
    if (world.device == nullptr) return false;
    world.smallFont = platform::Font::create(*world.device, 20, kBold, "Arial").release();
    return world.smallFont != nullptr;
}

bool createLargeFont() {
    // Margins mirror the small rectangle's, so the small font must come first.
    world.largeTextRect = {250, 100, world.screenWidth - world.smallTextRect.left,
                           world.screenHeight - world.smallTextRect.top};
    if (world.device == nullptr) return false;
    world.largeFont = platform::Font::create(*world.device, 40, kBold, "Arial").release();
    return world.largeFont != nullptr;
}
