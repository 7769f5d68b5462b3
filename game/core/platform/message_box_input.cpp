#include "core/platform/message_box_input.h"

namespace platform::message_box {

namespace {

bool isClosingKey(SDL_Keycode key) {
    return key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE || key == SDLK_ESCAPE;
}

// A and Start confirm on a pad as Enter does on the keyboard.
bool isClosingPadButton(Uint8 button) {
    return button == SDL_CONTROLLER_BUTTON_A || button == SDL_CONTROLLER_BUTTON_START;
}

bool onButton(const InputState& state, int x, int y) {
    const SDL_Point point{x, y};
    return SDL_PointInRect(&point, &state.button) == SDL_TRUE;
}

}  // namespace

EventOutcome handleEvent(InputState& state, const SDL_Event& event) {
    EventOutcome outcome;
    switch (event.type) {
        case SDL_QUIT:
            // The player wants out (or the process was signalled): the box
            // gives way and the game still hears about it.
            outcome.close = true;
            outcome.keep = true;
            break;
        case SDL_KEYDOWN:
            // Keys count whichever of our windows has the focus: a borderless
            // game window may keep it, and its own keys are ignored while the
            // box is up. A held key's repeats must not dismiss a box the
            // player has not read yet.
            outcome.close = event.key.repeat == 0 && isClosingKey(event.key.keysym.sym);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            outcome.close = isClosingPadButton(event.cbutton.button);
            break;
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            // The game opens and closes its pads (and pauses) once the box is gone.
            outcome.keep = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID != state.windowId) {
                outcome.keep = event.window.event == SDL_WINDOWEVENT_CLOSE;
            } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                outcome.close = true;
            } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                       event.window.event == SDL_WINDOWEVENT_SHOWN ||
                       event.window.event == SDL_WINDOWEVENT_RESTORED ||
                       event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                outcome.redraw = true;
            } else if (event.window.event == SDL_WINDOWEVENT_LEAVE && state.buttonHot) {
                state.buttonHot = false;
                outcome.redraw = true;
            }
            break;
        case SDL_MOUSEMOTION:
            if (event.motion.windowID == state.windowId) {
                const bool hot = onButton(state, event.motion.x, event.motion.y);
                outcome.redraw = hot != state.buttonHot;
                state.buttonHot = hot;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.windowID == state.windowId && event.button.button == SDL_BUTTON_LEFT) {
                state.pressedOnButton = onButton(state, event.button.x, event.button.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            // Like any button: it fires when pressed and released on it.
            if (event.button.windowID == state.windowId && event.button.button == SDL_BUTTON_LEFT) {
                outcome.close =
                    state.pressedOnButton && onButton(state, event.button.x, event.button.y);
                state.pressedOnButton = false;
            }
            break;
        default:
            // Messages the game posts to itself (from any thread) must survive;
            // input meant for the game's window is dropped, the box being modal.
            outcome.keep = event.type >= SDL_USEREVENT && event.type < SDL_LASTEVENT;
            break;
    }
    return outcome;
}

}  // namespace platform::message_box
