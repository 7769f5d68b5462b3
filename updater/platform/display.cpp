#include "updater/platform/display.h"

#include <SDL2/SDL.h>

#include <cstring>

#include "core/platform/window_system_internal.h"

namespace platform {

bool displayAvailable() {
    if (!ensureVideo()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 &&
           std::strcmp(driver, "offscreen") != 0;
}

}  // namespace platform
