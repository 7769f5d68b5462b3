#include "core/window_mode.h"

#include "core/game_world.h"
#include "core/player_settings.h"
#include "core/window_input.h"
#include "scene/graphics_setup.h"

void toggleFullScreen(platform::WindowHandle window) {
    const bool fullScreen = !world.settings.fullScreen;
    world.settings.fullScreen = fullScreen;
    platform::setWindowFullScreen(window, fullScreen, world.settings.windowWidth,
                                  world.settings.windowHeight);
    rememberFullScreen(fullScreen);
    savePlayerSettings();
}

void onWindowResized(platform::WindowHandle window, int width, int height) {
    fitScreenToWindow(width, height);
    if (world.settings.fullScreen || platform::windowIsFullScreen(window)) return;
    // The player's own size for the window, kept in the window system's units.
    const platform::ScreenSize size = platform::windowSize(window);
    if (size.width <= 0 || size.height <= 0) return;
    world.settings.windowWidth = size.width;
    world.settings.windowHeight = size.height;
    rememberWindowSize(size.width, size.height);
}

void onFocusLost() {
    // As the player's own Esc, so a run's replay has it too.
    if (world.mode == GameMode::Playing && world.settings.pauseWhenAway)
        handleKey(platform::kKeyEscape);
}
