#include "core/platform/window_system.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/file_system.h"
#include "core/platform/gamepads_internal.h"
#include "core/platform/key_codes.h"
#include "core/platform/window_system_internal.h"
#include "core/platform/x11_full_screen.h"

namespace platform {

struct NativeWindow {
    SDL_Window* sdl = nullptr;
    uint32_t sdlId = 0;
    WindowProcedure procedure = nullptr;
    bool fullScreen = false;
};

namespace {

// Handles stay valid for the whole run, so a destroyed window's handle can
// still be passed around and simply refers to nothing.
std::vector<std::unique_ptr<NativeWindow>>& windows() {
    static std::vector<std::unique_ptr<NativeWindow>> all;
    return all;
}

uint32_t postedEventType() {
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

NativeWindow* windowById(uint32_t sdlId) {
    for (auto& window : windows()) {
        if (window->sdl != nullptr && window->sdlId == sdlId) return window.get();
    }
    return nullptr;
}

NativeWindow* firstLiveWindow() {
    for (auto& window : windows()) {
        if (window->sdl != nullptr) return window.get();
    }
    return nullptr;
}

// For events that name no window.
NativeWindow* askedForOrFirstWindow(WindowHandle filter) {
    return filter != nullptr && filter->sdl != nullptr ? filter : firstLiveWindow();
}

void requestGLAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    // A 16-bit depth buffer, as the game's scene is laid out for.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// Input no window procedure receives, kept out of the queue at its source.
// Pointer motion is among it: the game takes none, and a message box, which
// does, turns it on while it is open. Window events stay: message boxes and
// SDL's renderers follow them.
void turnOffEventsNoProcedureTakes() {
    SDL_StopTextInput();  // typed text and its composition
    constexpr Uint32 unused[] = {SDL_KEYUP,           SDL_MOUSEMOTION,      SDL_MOUSEWHEEL,
                                 SDL_FINGERDOWN,      SDL_FINGERUP,         SDL_FINGERMOTION,
                                 SDL_MULTIGESTURE,    SDL_DOLLARGESTURE,    SDL_KEYMAPCHANGED,
                                 SDL_CLIPBOARDUPDATE, SDL_AUDIODEVICEADDED, SDL_DROPFILE,
                                 SDL_DROPTEXT,        SDL_DROPBEGIN,        SDL_DROPCOMPLETE};
    for (Uint32 type : unused) SDL_EventState(type, SDL_IGNORE);
}

PadButton padButtonFromSdl(Uint8 button) {
    static_assert(static_cast<int>(PadButton::DpadRight) == SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    return button <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT ? static_cast<PadButton>(button)
                                                      : PadButton::Other;
}

// Pad events carry no window: like SDL_QUIT they go to the window asked for,
// or the first one. The joystick events beneath them stay on, since SDL
// builds the pad events from them, but give no message.
bool messageFromPadEvent(const SDL_Event& event, Message& out) {
    static_assert(static_cast<int>(PadAxis::RightTrigger) == SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED: openGamepad(event.cdevice.which); return false;
        case SDL_CONTROLLERDEVICEREMOVED:
            if (!closeGamepad(event.cdevice.which)) return false;
            out = {nullptr, kMsgPadRemoved, 0, padParam(event.cdevice.which)};
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
            out = {nullptr, kMsgPadButtonDown,
                   static_cast<uintptr_t>(padButtonFromSdl(event.cbutton.button)),
                   padParam(event.cbutton.which)};
            return true;
        case SDL_CONTROLLERAXISMOTION: {
            // A moving stick streams positions far faster than the game takes
            // messages (one a frame): only the pushes it makes are messages,
            // so a flick within one frame still counts and keys never wait.
            const auto axis = static_cast<PadAxis>(event.caxis.axis);
            if (axis != PadAxis::LeftX && axis != PadAxis::RightTrigger) return false;
            const int push = padPushFrom(event.caxis.which, event.caxis.axis, event.caxis.value);
            if (push == 0) return false;
            out = {nullptr, kMsgPadPush, event.caxis.axis,
                   padParam(event.caxis.which, static_cast<int16_t>(push))};
            return true;
        }
        default: return false;
    }
}

// The context bit of a key message: Alt was held.
constexpr intptr_t kAltHeldBit = intptr_t{1} << 29;

bool withAltAlone(Uint16 modifiers) {
    return (modifiers & KMOD_ALT) != 0 && (modifiers & (KMOD_CTRL | KMOD_GUI)) == 0;
}

ScreenSize drawableSizeOf(SDL_Window* sdl) {
    int width = 0, height = 0;
    if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) != 0) {
        SDL_GL_GetDrawableSize(sdl, &width, &height);
    } else {
        SDL_GetWindowSizeInPixels(sdl, &width, &height);
    }
    return {width, height};
}

bool messageFromWindowEvent(const SDL_WindowEvent& event, WindowHandle target, Message& out) {
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE: out = {target, kMsgClose, 0, 0}; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: out = {target, kMsgKillFocus, 0, 0}; return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            if (target == nullptr || target->sdl == nullptr) return false;
            const ScreenSize pixels = drawableSizeOf(target->sdl);
            out = {target, kMsgSize, 0, sizeParam(pixels.width, pixels.height)};
            return true;
        }
        default: return false;
    }
}

// One SDL event becomes at most one message. Returns false for events that
// mean nothing to a window procedure.
bool messageFromEvent(const SDL_Event& event, WindowHandle filter, Message& out) {
    WindowHandle target = nullptr;
    if (event.type == SDL_KEYDOWN) {
        target = windowById(event.key.windowID);
        if (target == nullptr) target = firstLiveWindow();
        out = {target, kMsgKeyDown, virtualKeyFromSdl(event.key.keysym.sym),
               event.key.repeat ? (intptr_t{1} << 30) | 1 : 1};
        if (withAltAlone(event.key.keysym.mod) && out.wParam == kKeyEnter) {
            out.message = kMsgSysKeyDown;
            out.lParam |= kAltHeldBit;
        }
    } else if (event.type == SDL_WINDOWEVENT) {
        target = windowById(event.window.windowID);
        if (!messageFromWindowEvent(event.window, target, out)) return false;
    } else if (event.type == SDL_AUDIODEVICEREMOVED) {
        // Only output devices the program opened are reported as removed.
        if (event.adevice.iscapture != 0) return false;
        target = askedForOrFirstWindow(filter);
        out = {target, kMsgAudioDeviceLost, 0, 0};
    } else if (event.type == SDL_QUIT) {
        // Sent for the last window closing and for SIGINT/SIGTERM: both mean
        // "close the window" to the game.
        target = askedForOrFirstWindow(filter);
        out = {target, kMsgClose, 0, 0};
    } else if (messageFromPadEvent(event, out)) {
        target = askedForOrFirstWindow(filter);
        out.window = target;
    } else if (event.type == postedEventType()) {
        target = static_cast<WindowHandle>(event.user.data1);
        out = {target, static_cast<uint32_t>(event.user.code),
               reinterpret_cast<uintptr_t>(event.user.data2), 0};
        if (out.message == kMsgQuit) return filter == nullptr;
    } else {
        return false;
    }
    if (target == nullptr || target->sdl == nullptr) return false;
    return filter == nullptr || filter == target;
}

}  // namespace

namespace {

// Docks match a window to its menu entry by the app id (Wayland) or WM_CLASS
// (X11): both are the desktop entry's id. One a player set stays.
void nameTheApplication() {
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", VORLUNE_APP_ID, 0);
    setenv("SDL_VIDEO_X11_WMCLASS", VORLUNE_APP_ID, 0);
    SDL_SetHint(SDL_HINT_APP_NAME, "Vorlune");
    // Another window taking the focus leaves the full-screen picture where it is.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
}

bool initVideo() { return SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0; }

bool nonEmpty(const char* value) { return value != nullptr && *value != '\0'; }

bool onX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

}  // namespace

bool ensureVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    nameTheApplication();
    // Wayland first where a compositor runs: through XWayland a scaled output
    // shows the picture blurred, and full screen is only what X makes of it.
    // SDL 2.26 would take X11 whenever DISPLAY is set too. A driver the
    // player chose with SDL_VIDEODRIVER is left to SDL.
    const char* compositor = std::getenv("WAYLAND_DISPLAY");
    if (nonEmpty(std::getenv("SDL_VIDEODRIVER")) || !nonEmpty(compositor)) return initVideo();
    // Without a runtime folder the socket cannot be found, and the Wayland
    // library would say so on its own line before ours.
    const bool findable = compositor[0] == '/' || nonEmpty(std::getenv("XDG_RUNTIME_DIR"));
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    if (findable && initVideo()) return true;
    const std::string reason = findable ? SDL_GetError() : "XDG_RUNTIME_DIR is not set";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    const bool onX11 = initVideo();
    std::fprintf(stderr, "%s: the Wayland compositor \"%s\" could not be used (%s); %s\n",
                 program_invocation_short_name, compositor, reason.c_str(),
                 onX11 ? "running on X11 instead" : "X11 failed as well");
    return onX11;
}

SDL_Window* sdlWindowOf(WindowHandle window) { return window != nullptr ? window->sdl : nullptr; }

ScreenSize primaryScreenSize() {
    if (!ensureVideo()) return {};
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h};
}

WindowHandle createWindow(const WindowDescription& description) {
    if (!ensureVideo()) return nullptr;
    turnOffEventsNoProcedureTakes();
    if (description.gamepads) startGamepads();
    if (description.openGL) requestGLAttributes();
    Uint32 flags = SDL_WINDOW_SHOWN;
    int x = description.x, y = description.y;
    const bool fullScreen = description.kind == WindowDescription::Kind::FullScreen;
    // On X11 the state is asked for before the window is first shown (see
    // x11_full_screen.h); the borderless window at the given (screen) size
    // covers the screen also on a bare X server, where nobody grants it.
    const bool fullScreenOnX11 = fullScreen && onX11();
    switch (description.kind) {
        case WindowDescription::Kind::Plain: flags |= SDL_WINDOW_BORDERLESS; break;
        case WindowDescription::Kind::FullScreen:
            flags |= SDL_WINDOW_BORDERLESS;
            flags |= fullScreenOnX11 ? SDL_WINDOW_HIDDEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
            if (fullScreenOnX11) flags &= ~static_cast<Uint32>(SDL_WINDOW_SHOWN);
            break;
        case WindowDescription::Kind::Resizable:
            flags |= SDL_WINDOW_RESIZABLE;
            x = y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
            break;
    }
    // The picture is drawn at the output's real pixels, sharp on a scaled one.
    if (description.openGL) flags |= SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    SDL_Window* sdl = SDL_CreateWindow(description.title.c_str(), x, y, description.width,
                                       description.height, flags);
    if (sdl != nullptr && fullScreenOnX11) {
        askX11FullScreen(sdl, true);
        SDL_ShowWindow(sdl);
    }
    if (sdl == nullptr) return nullptr;
    auto window = std::make_unique<NativeWindow>();
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->procedure = description.procedure;
    window->fullScreen = fullScreen;
    WindowHandle handle = window.get();
    windows().push_back(std::move(window));
    if (handle->procedure != nullptr) handle->procedure(handle, kMsgCreate, 0, 0);
    return handle;
}

bool windowExists(WindowHandle window) { return window != nullptr && window->sdl != nullptr; }

void setWindowFullScreen(WindowHandle window, bool fullScreen, int windowWidth, int windowHeight) {
    if (!windowExists(window)) return;
    SDL_Window* sdl = window->sdl;
    window->fullScreen = fullScreen;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(sdl));
    if (fullScreen) {
        SDL_SetWindowBordered(sdl, SDL_FALSE);
        SDL_Rect screen{};
        if (onX11() && SDL_GetDisplayBounds(display, &screen) == 0) {
            // Covering the screen where no window manager grants the state.
            SDL_SetWindowPosition(sdl, screen.x, screen.y);
            SDL_SetWindowSize(sdl, screen.w, screen.h);
            askX11FullScreen(sdl, true);
        } else {
            SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        return;
    }
    if (!askX11FullScreen(sdl, false)) SDL_SetWindowFullscreen(sdl, 0);
    SDL_SetWindowBordered(sdl, SDL_TRUE);
    SDL_SetWindowResizable(sdl, SDL_TRUE);
    SDL_SetWindowSize(sdl, windowWidth, windowHeight);
    const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    SDL_SetWindowPosition(sdl, centred, centred);
}

bool windowIsFullScreen(WindowHandle window) { return windowExists(window) && window->fullScreen; }

ScreenSize windowSize(WindowHandle window) {
    if (!windowExists(window)) return {};
    ScreenSize size;
    SDL_GetWindowSize(window->sdl, &size.width, &size.height);
    return size;
}

ScreenSize drawableSize(WindowHandle window) {
    return windowExists(window) ? drawableSizeOf(window->sdl) : ScreenSize{};
}

void setWindowMinimumSize(WindowHandle window, int width, int height) {
    if (windowExists(window)) SDL_SetWindowMinimumSize(window->sdl, width, height);
}

void destroyWindow(WindowHandle window) {
    if (!windowExists(window)) return;
    if (window->procedure != nullptr) window->procedure(window, kMsgDestroy, 0, 0);
    if (window->sdl == nullptr) return;  // the procedure destroyed it itself
    SDL_Window* sdl = window->sdl;
    window->sdl = nullptr;
    SDL_DestroyWindow(sdl);
}

bool peekMessage(Message& out, WindowHandle window) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    // Events that give no message are passed over here, not one per call: a
    // caller taking one message per frame would otherwise reach a key only
    // after every such event queued ahead of it.
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (messageFromEvent(event, window, out)) return true;
    }
    return false;
}

// SDL's own blocking wait ends itself by sending an event to the newest
// window over a second X connection. A window destroyed just after such a
// wait can be gone before that event reaches the server, and the X library
// then ends the whole program. Short sleeps between polls never send it.
bool waitForEvent(SDL_Event& event, uint32_t timeoutMs) {
    constexpr uint32_t kPollIntervalMs = 5;
    const uint32_t start = SDL_GetTicks();
    for (;;) {
        if (SDL_PollEvent(&event) != 0) return true;
        const uint32_t waited = SDL_GetTicks() - start;
        if (waited >= timeoutMs) return false;
        SDL_Delay(std::min(kPollIntervalMs, timeoutMs - waited));
    }
}

bool waitMessage(Message& out, uint32_t timeoutMs) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    const uint32_t start = SDL_GetTicks();
    for (;;) {
        const uint32_t waited = SDL_GetTicks() - start;
        if (waited >= timeoutMs) return false;
        SDL_Event event;
        if (!waitForEvent(event, timeoutMs - waited)) return false;
        if (messageFromEvent(event, nullptr, out)) return true;
    }
}

void translateMessage(const Message&) {
    // Character messages are not used by either program; keys are handled as
    // key-down messages alone.
}

intptr_t dispatchMessage(const Message& message) {
    if (!windowExists(message.window) || message.window->procedure == nullptr) return 0;
    return message.window->procedure(message.window, message.message, message.wParam,
                                     message.lParam);
}

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    if (message == kMsgClose) destroyWindow(window);
    return 0;
}

void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam) {
    if (SDL_WasInit(SDL_INIT_EVENTS) == 0) return;
    SDL_Event event{};
    event.type = postedEventType();
    event.user.code = static_cast<Sint32>(message);
    event.user.data1 = window;
    event.user.data2 = reinterpret_cast<void*>(wParam);
    SDL_PushEvent(&event);
}

void postQuitMessage(int exitCode) {
    postMessage(nullptr, kMsgQuit, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)));
}

bool setWindowIconFromFile(WindowHandle window, const std::string& fileName, int size, bool large) {
    // A pipe or a huge file in the icon's place is a broken icon, not a wait.
    const std::optional<std::string> content =
        readWholeRegularFile(fileName.c_str(), kLargestImageFile);
    if (!content) return false;
    SDL_Surface* loaded =
        IMG_Load_RW(SDL_RWFromConstMem(content->data(), static_cast<int>(content->size())), 1);
    if (loaded == nullptr) return false;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32);
    bool ok = icon != nullptr && SDL_BlitScaled(loaded, nullptr, icon, nullptr) == 0;
    SDL_FreeSurface(loaded);
    // The window system keeps one icon per window: the large one is shown,
    // the small one only has to be readable.
    if (ok && large && windowExists(window)) SDL_SetWindowIcon(window->sdl, icon);
    SDL_FreeSurface(icon);
    return ok;
}

}  // namespace platform
