#pragma once
// The full-screen state of a window on X11, asked of the window manager
// directly. SDL 2.26 asks the same but then waits up to 100 ms for the window
// to change, which a window already the screen's size never does: every
// start would stand still that long.

struct SDL_Window;

namespace platform {

// Asks for the state, or for its end, without waiting for the answer: before
// the window is first shown as a property the manager reads when it maps
// the window, afterwards as a request to it. False when the window is not
// an X11 one.
bool askX11FullScreen(SDL_Window* window, bool fullScreen);

}  // namespace platform
