#pragma once
// What each SDL event means while a message box is open. Private to the
// platform layer; kept apart from the window so it can be checked alone.

#include <SDL2/SDL.h>

namespace platform::message_box {

struct InputState {
    Uint32 windowId = 0;
    SDL_Rect button{};
    bool pressedOnButton = false;  // the left button went down on OK
    bool buttonHot = false;        // the pointer is over OK
};

struct EventOutcome {
    bool close = false;    // the box is done
    bool keep = false;     // the game must still get the event after the box closes
    bool redraw = false;   // the box's picture changed or was lost
};

EventOutcome handleEvent(InputState& state, const SDL_Event& event);

}  // namespace platform::message_box
