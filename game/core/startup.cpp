#include "core/startup.h"

#include "core/game_world.h"
#include "core/platform/message_box.h"
#include "effects/particle_emitters.h"
#include "gameplay/level_files.h"
#include "gameplay/progress_file.h"
#include "scene/graphics_setup.h"
#include "scene/text.h"

namespace {

constexpr uint32_t kClearColor = 0xFF00FFE6;

void drawLoadingScreen() {
    platform::GraphicsDevice& device = *world.device;
    device.clear(platform::kClearTarget | platform::kClearZBuffer, kClearColor, 1.0f, 0);
    device.beginScene();
    drawText(world.largeFont, "Loading, please wait...", world.largeTextRect, kMenuTextColor);
    device.endScene();
    device.present();
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

    // TODO(meshes): the five meshes and every scene object are made here.

    loadLevel();
    world.mode = GameMode::Menu;
    return true;
}

void shutdownGame() {
    // Only what start-up created is released: the window may have been closed
    // before start-up loading ever ran.
    delete world.smallFont;
    world.smallFont = nullptr;
    delete world.largeFont;
    world.largeFont = nullptr;
    if (world.emitters != nullptr) destroyEmitterList();
    delete world.device;
    world.device = nullptr;
}
