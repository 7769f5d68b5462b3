// Closing a message box with its window's close button, as the window
// manager reports it: an X client message to the box's window. Kept apart
// because the X headers define macros (None among them) that clash with
// the game's names.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/message_box.h"

// Last: everything above must be read before the X macros exist.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

namespace {

// The X library is already loaded by SDL; the test borrows the three calls
// it needs rather than linking it.
struct XCalls {
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XSendEvent) sendEvent = nullptr;
    decltype(&XFlush) flush = nullptr;
    decltype(&XSync) sync = nullptr;
    decltype(&XGrabServer) grabServer = nullptr;
    decltype(&XUngrabServer) ungrabServer = nullptr;
    decltype(&XSetErrorHandler) setErrorHandler = nullptr;
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    template <typename Call>
    static bool find(void* library, Call& call, const char* name) {
        call = reinterpret_cast<Call>(dlsym(library, name));
        return call != nullptr;
    }
    bool load() {
        void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (library == nullptr) library = dlopen("libX11.so.6", RTLD_LAZY);
        return library != nullptr && find(library, internAtom, "XInternAtom") &&
               find(library, sendEvent, "XSendEvent") && find(library, flush, "XFlush") &&
               find(library, sync, "XSync") && find(library, grabServer, "XGrabServer") &&
               find(library, ungrabServer, "XUngrabServer") &&
               find(library, setErrorHandler, "XSetErrorHandler") &&
               find(library, openDisplay, "XOpenDisplay") &&
               find(library, closeDisplay, "XCloseDisplay");
    }
};

XCalls x;
std::atomic<int> closeRequestsSent{0};
std::atomic<bool> watchdogFired{false};

void pressCloseButton(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = x.internAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(x.internAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    x.sendEvent(display, window, False, NoEventMask, &event);
    x.flush(display);
}

// The X window of the window a window event is about, if it is one.
bool x11WindowOf(const SDL_Event& event, SDL_WindowEventID which, SDL_SysWMinfo& info) {
    if (event.type != SDL_WINDOWEVENT || event.window.event != which) return false;
    SDL_Window* window = SDL_GetWindowFromID(event.window.windowID);
    SDL_VERSION(&info.version);
    return window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
           info.subsystem == SDL_SYSWM_X11;
}

// Presses the close button of every window that appears.
int closeShownWindows(void*, SDL_Event* event) {
    SDL_SysWMinfo info;
    if (x11WindowOf(*event, SDL_WINDOWEVENT_SHOWN, info)) {
        pressCloseButton(info.info.x11.display, info.info.x11.window);
        ++closeRequestsSent;
    }
    return 1;
}

// Closes a box the close button failed to close, so the test fails instead of hanging.
Uint32 watchdog(Uint32, void*) {
    watchdogFired = true;
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.state = SDL_PRESSED;
    escape.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&escape);
    return 0;
}

// A real box on an X display, with the X calls the tests borrow.
class MessageBoxCloseButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the tests run with an X display";
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
        ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11") << "the tests run on X11";
        ASSERT_TRUE(x.load());
    }
    void TearDown() override { SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER); }
};

TEST_F(MessageBoxCloseButtonTest, ClosesTheBoxWithoutQuittingTheGame) {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    const char* hintBefore = SDL_GetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE);

    SDL_AddEventWatch(closeShownWindows, nullptr);
    const SDL_TimerID timer = SDL_AddTimer(10000, watchdog, nullptr);
    // No game window is open, as for an error at start-up: the box is the
    // last window, and SDL would take its closing for a request to quit.
    platform::showMessageBox(
        {nullptr, "Error", "Could not load large icon!", platform::MessageBoxIcon::Error});
    SDL_RemoveTimer(timer);
    SDL_DelEventWatch(closeShownWindows, nullptr);

    EXPECT_FALSE(watchdogFired) << "the close button did not close the box";
    EXPECT_EQ(closeRequestsSent, 1);
    SDL_PumpEvents();
    std::vector<SDL_Event> queued(256);
    const int count = SDL_PeepEvents(queued.data(), static_cast<int>(queued.size()), SDL_GETEVENT,
                                     SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (int i = 0; i < count; ++i) EXPECT_NE(queued[i].type, SDL_QUIT);
    const char* hintAfter = SDL_GetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE);
    EXPECT_EQ(hintAfter == nullptr, hintBefore == nullptr);
}

// X errors, counted instead of ending the process as the X library would.
std::atomic<int> xErrors{0};
int countXError(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}

// Presses a box's close button a while after it shows, from a connection of
// its own, so the box is waiting for input when the request comes.
std::atomic<Window> shownBox{0};
Uint32 pressCloseButtonLater(Uint32, void*) {
    if (Display* display = x.openDisplay(nullptr)) {
        pressCloseButton(display, shownBox);
        x.closeDisplay(display);
    }
    return 0;
}
int closeShownWindowsLater(void*, SDL_Event* event) {
    SDL_SysWMinfo info;
    if (x11WindowOf(*event, SDL_WINDOWEVENT_SHOWN, info)) {
        shownBox = info.info.x11.window;
        SDL_AddTimer(200, pressCloseButtonLater, nullptr);
    }
    return 1;
}

// While the first box handles its close request, the server serves the
// game's connection alone: whatever another connection sent meanwhile
// reaches the server only after the box's window is gone.
std::atomic<Display*> grabbedDisplay{nullptr};
int holdServerOnClose(void*, SDL_Event* event) {
    SDL_SysWMinfo info;
    if (grabbedDisplay == nullptr && x11WindowOf(*event, SDL_WINDOWEVENT_CLOSE, info)) {
        x.grabServer(info.info.x11.display);
        x.sync(info.info.x11.display, False);
        grabbedDisplay = info.info.x11.display;
    }
    return 1;
}

// The library the window system rests on wakes a waiting caller by sending
// an event to the newest window over a second connection; a box that waited
// that way could be gone before the event arrived, and the X library then
// ended the game ("BadWindow" on X_SendEvent) as a box closed.
TEST_F(MessageBoxCloseButtonTest, NothingIsSentToABoxAfterItCloses) {
    const auto previousHandler = x.setErrorHandler(countXError);
    SDL_AddEventWatch(closeShownWindowsLater, nullptr);
    SDL_AddEventWatch(holdServerOnClose, nullptr);
    platform::showMessageBox({nullptr, "Error", "first", platform::MessageBoxIcon::Error});
    ASSERT_NE(grabbedDisplay.load(), nullptr);
    x.sync(grabbedDisplay, False);  // the box's window is gone
    x.ungrabServer(grabbedDisplay);
    x.sync(grabbedDisplay, False);
    // A second box: any wake-up sent for it reads back an error of the first.
    platform::showMessageBox({nullptr, "Error", "second", platform::MessageBoxIcon::Error});
    SDL_DelEventWatch(holdServerOnClose, nullptr);
    SDL_DelEventWatch(closeShownWindowsLater, nullptr);
    x.sync(grabbedDisplay, False);
    x.setErrorHandler(previousHandler);
    EXPECT_EQ(xErrors, 0);
}

}  // namespace
