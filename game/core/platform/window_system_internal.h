#pragma once
// Shared between the platform pieces that need the SDL window behind a handle
// (the graphics device makes its GL context on it).

#include <SDL2/SDL.h>

#include "core/platform/window_system.h"

namespace platform {

SDL_Window* sdlWindowOf(WindowHandle window);
// Starts SDL's video subsystem once; false when there is no display.
bool ensureVideo();
// The next event, waiting up to `timeoutMs` for one; false when none came.
bool waitForEvent(SDL_Event& event, uint32_t timeoutMs);

}  // namespace platform
