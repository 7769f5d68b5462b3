#include "core/platform/message_box.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/message_box_input.h"
#include "core/platform/message_box_layout.h"
#include "core/platform/window_system_internal.h"

namespace platform {

namespace {

// Function statics, so a sink can be installed before main() starts.
std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}
MessageBoxSink& installedSink() {
    static MessageBoxSink sink;
    return sink;
}

MessageBoxSink currentSink() {
    std::lock_guard lock(sinkMutex());
    return installedSink();
}

void writeToStderr(const MessageBoxRequest& request) {
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
    std::fflush(stderr);
}

// The dummy and offscreen drivers accept windows nobody can see or close;
// a box there would wait forever.
bool canShowWindows() {
    if (!ensureVideo()) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 &&
           std::strcmp(driver, "offscreen") != 0;
}

struct TtfSession {
    const bool ok = TTF_Init() == 0;  // counted by SDL2_ttf, so fonts elsewhere stay usable
    ~TtfSession() {
        if (ok) TTF_Quit();
    }
};

// The box gets a window of its own; if it is the only one (an error before
// the game's window exists), closing it must not read as "quit the game".
class NoQuitOnLastWindowClose {
public:
    NoQuitOnLastWindowClose() {
        if (const char* value = SDL_GetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE)) previous_ = value;
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    }
    ~NoQuitOnLastWindowClose() {
        if (previous_) {
            SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, previous_->c_str());
        } else {
            SDL_ResetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE);
        }
    }
    NoQuitOnLastWindowClose(const NoQuitOnLastWindowClose&) = delete;
    NoQuitOnLastWindowClose& operator=(const NoQuitOnLastWindowClose&) = delete;

private:
    std::optional<std::string> previous_;
};

// The game's window takes no pointer motion, so the window system keeps it
// out of the queue; the box's button lights up under the pointer, so the box
// takes it while it is open.
class PointerMotionWhileOpen {
public:
    ~PointerMotionWhileOpen() { SDL_EventState(SDL_MOUSEMOTION, previous_); }

private:
    const Uint8 previous_ = SDL_EventState(SDL_MOUSEMOTION, SDL_ENABLE);
};

// SDL may back a software window with a GL renderer of its own, which
// leaves its context current; the game's drawing must find its own again.
class KeepGLContext {
public:
    ~KeepGLContext() {
        if (context_ != nullptr) SDL_GL_MakeCurrent(window_, context_);
    }

private:
    SDL_Window* window_ = SDL_GL_GetCurrentWindow();
    SDL_GLContext context_ = SDL_GL_GetCurrentContext();
};

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};

void present(SDL_Renderer* renderer, SDL_Surface* picture) {
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, picture);
    SDL_RenderClear(renderer);
    if (texture != nullptr) SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    SDL_DestroyTexture(texture);
}

// Runs the box until it is closed. Returns false when it could not be shown
// at all; `kept` receives the events the game must still see.
bool runBox(const MessageBoxRequest& request, TTF_Font* font, std::vector<SDL_Event>& kept) {
    const bool errorIcon = request.icon == MessageBoxIcon::Error;
    message_box::BoxImage image = message_box::renderBox(font, request.text, errorIcon, false);
    if (!image.surface) return false;

    std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow(
        request.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, image.surface->w,
        image.surface->h, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP));
    if (!window) return false;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer(
        SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!renderer) renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) return false;
    if (SDL_Window* owner = sdlWindowOf(request.owner)) SDL_SetWindowModalFor(window.get(), owner);
    SDL_ShowWindow(window.get());
    SDL_RaiseWindow(window.get());

    message_box::InputState state;
    state.windowId = SDL_GetWindowID(window.get());
    state.button = image.button;
    bool drawnHot = false;
    bool dirty = true;
    for (bool open = true; open;) {
        if (dirty) {
            if (state.buttonHot != drawnHot) {
                drawnHot = state.buttonHot;
                message_box::BoxImage redrawn =
                    message_box::renderBox(font, request.text, errorIcon, drawnHot);
                if (redrawn.surface) image = std::move(redrawn);
            }
            present(renderer.get(), image.surface.get());
            dirty = false;
        }
        SDL_Event event;
        if (!waitForEvent(event, 500)) continue;
        const message_box::EventOutcome outcome = message_box::handleEvent(state, event);
        if (outcome.keep) kept.push_back(event);
        if (outcome.close) open = false;
        if (outcome.redraw) dirty = true;
    }
    return true;
}

bool showOnScreen(const MessageBoxRequest& request) {
    if (!canShowWindows()) return false;
    TtfSession ttf;
    if (!ttf.ok) return false;
    message_box::FontPtr font = message_box::openFont();
    if (!font) return false;

    std::vector<SDL_Event> kept;
    bool shown = false;
    {
        KeepGLContext keepGameContext;
        NoQuitOnLastWindowClose noQuit;
        PointerMotionWhileOpen pointerMotion;
        shown = runBox(request, font.get(), kept);
    }
    for (SDL_Event& event : kept) SDL_PushEvent(&event);
    return shown;
}

}  // namespace

void showMessageBox(const MessageBoxRequest& request) {
    if (MessageBoxSink sink = currentSink()) {
        sink(request);
        return;
    }
    if (!showOnScreen(request)) writeToStderr(request);
}

void setMessageBoxSink(MessageBoxSink sink) {
    std::lock_guard lock(sinkMutex());
    installedSink() = std::move(sink);
}

}  // namespace platform
