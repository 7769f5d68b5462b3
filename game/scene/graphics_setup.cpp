#include "scene/graphics_setup.h"

#include <algorithm>
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

platform::Font* boldFont(int32_t height) {
    return platform::Font::create(*world.device, layoutPixels(height), kBold, "Arial").release();
}

void layOutSmallText() {
    world.smallTextRect = {2, 5, world.screenWidth - 2, world.screenHeight - 5};
}

// Margins mirror the small rectangle's, so the small one is laid out first.
void layOutLargeText() {
    world.largeTextRect = {layoutPixels(250), layoutPixels(100),
                           world.screenWidth - world.smallTextRect.left,
                           world.screenHeight - world.smallTextRect.top};
}

}  // namespace

bool initGraphics(platform::WindowHandle window) {
    // The window's real pixels, which a scaled output or a window manager
    // may have made other than the screen's size.
    const platform::ScreenSize drawable = platform::drawableSize(window);
    if (drawable.width > 0 && drawable.height > 0) setScreenSize(drawable.width, drawable.height);
    world.device =
        platform::GraphicsDevice::create(window, world.screenWidth, world.screenHeight).release();
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
    layOutSmallText();
    if (world.device == nullptr) return false;
    world.smallFont = boldFont(20);
    return world.smallFont != nullptr;
}

bool createLargeFont() {
    layOutLargeText();
    if (world.device == nullptr) return false;
    world.largeFont = boldFont(40);
    return world.largeFont != nullptr;
}

int32_t layoutPixels(int32_t pixels) {
    return static_cast<int32_t>(std::lround(static_cast<float>(pixels) * world.textScale));
}

void setScreenSize(int width, int height) {
    world.screenWidth = static_cast<int16_t>(std::clamp(width, 1, 32767));
    world.screenHeight = static_cast<int16_t>(std::clamp(height, 1, 32767));
    // The widest text, the credits, ends near x = 940 and the menu's last
    // line near y = 325: below that the texts shrink together.
    constexpr float kLayoutWidth = 970.0f, kLayoutHeight = 340.0f;
    world.textScale =
        std::min({1.0f, world.screenWidth / kLayoutWidth, world.screenHeight / kLayoutHeight});
}

void fitScreenToWindow(int width, int height) {
    if (width <= 0 || height <= 0) return;
    const float oldScale = world.textScale;
    setScreenSize(width, height);
    layOutSmallText();
    layOutLargeText();
    if (world.device == nullptr) return;  // start-up loading makes the device at this size
    world.device->resize(world.screenWidth, world.screenHeight);
    // Made again only when their size changes: sharp at every size.
    if (world.textScale == oldScale) return;
    delete world.smallFont;
    delete world.largeFont;
    world.smallFont = boldFont(20);
    world.largeFont = boldFont(40);
}
