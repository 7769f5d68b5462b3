#include "core/platform/window_system.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <thread>

#include "core/platform/window_system_internal.h"

namespace {

using platform::Message;

struct Seen {
    std::vector<Message> messages;
};
Seen* seen = nullptr;

intptr_t recordingProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    if (seen != nullptr) seen->messages.push_back({window, message, wParam, lParam});
    return platform::defaultWindowProcedure(window, message, wParam, lParam);
}

class WindowSystem : public ::testing::Test {
protected:
    void SetUp() override {
        seen = &record;
        platform::WindowDescription description;
        description.title = "messages";
        description.width = 64;
        description.height = 64;
        description.procedure = recordingProcedure;
        window = platform::createWindow(description);
        ASSERT_NE(window, nullptr);
        drain();
        record.messages.clear();
    }
    void TearDown() override {
        platform::destroyWindow(window);
        drain();
        seen = nullptr;
    }

    void drain() {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    void pushKey(SDL_Keycode key, bool repeat = false) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = SDL_GetWindowID(SDL_GetWindowFromID(1)) ? sdlId() : 0;
        event.key.repeat = repeat ? 1 : 0;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }

    uint32_t sdlId() { return SDL_GetWindowID(platform::sdlWindowOf(window)); }

    // A moving mouse, released keys, typing, focus changes and a new sound
    // device: none of it is a message.
    void pushEventsThatAreNoMessage(int count) {
        const Uint32 types[] = {SDL_MOUSEMOTION, SDL_KEYUP, SDL_TEXTINPUT, SDL_WINDOWEVENT,
                                SDL_AUDIODEVICEADDED};
        for (int i = 0; i < count; ++i) {
            SDL_Event event{};
            event.type = types[i % 5];
            if (event.type == SDL_WINDOWEVENT) event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
            SDL_PushEvent(&event);
        }
    }

    // The window system may still be telling SDL about the new window (shown,
    // exposed...); those events give no message, so skip past them.
    bool peek(Message& out) {
        for (int attempt = 0; attempt < 32; ++attempt) {
            if (platform::peekMessage(out, window)) return true;
            SDL_PumpEvents();
            if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0)
                return false;
        }
        return false;
    }

    Seen record;
    platform::WindowHandle window = nullptr;
};

TEST_F(WindowSystem, CreationReachesTheProcedureBeforeReturning) {
    Seen local;
    seen = &local;
    platform::WindowDescription description;
    description.width = description.height = 32;
    description.procedure = recordingProcedure;
    platform::WindowHandle other = platform::createWindow(description);
    ASSERT_FALSE(local.messages.empty());
    EXPECT_EQ(local.messages.front().message, platform::kMsgCreate);
    EXPECT_EQ(local.messages.front().window, other);
    platform::destroyWindow(other);
    EXPECT_EQ(local.messages.back().message, platform::kMsgDestroy);
    EXPECT_FALSE(platform::windowExists(other));
    platform::destroyWindow(other);  // a second time does nothing
    seen = &record;
}

TEST_F(WindowSystem, KeysArriveAsVirtualKeyCodes) {
    const std::pair<SDL_Keycode, uintptr_t> keys[] = {
        {SDLK_SPACE, 0x20},  {SDLK_ESCAPE, 0x1B},
        {SDLK_RETURN, 0x0D}, {SDLK_KP_ENTER, 0x0D},
        {SDLK_LEFT, 0x25},   {SDLK_RIGHT, 0x27},
        {SDLK_F1, 0x70},     {SDLK_F2, 0x71},
        {SDLK_F3, 0x72},     {SDLK_a, 'A'},
        {SDLK_z, 'Z'},       {SDLK_7, '7'},
        {SDLK_F12, 0x7B},    {SDLK_MENU, platform::kKeyOther}};
    for (const auto& [key, code] : keys) {
        pushKey(key);
        Message message;
        ASSERT_TRUE(peek(message)) << key;
        EXPECT_EQ(message.message, platform::kMsgKeyDown);
        EXPECT_EQ(message.wParam, code) << key;
        EXPECT_EQ(message.window, window);
    }
}

// What the desktop tells the game: Alt+Enter (not with Ctrl, as a desktop
// may take that), the focus going elsewhere, a new size, and the sound
// device the game plays on going away (a microphone going is none of it).
TEST_F(WindowSystem, DesktopEventsBecomeTheirMessages) {
    auto key = [this](SDL_Keycode sym, Uint16 modifiers) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = sdlId();
        event.key.keysym = {SDL_SCANCODE_UNKNOWN, sym, modifiers, 0};
        return event;
    };
    auto windowEvent = [this](Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = sdlId();
        event.window.event = what;
        return event;
    };
    auto deviceGone = [](Uint8 capture) {
        SDL_Event event{};
        event.type = SDL_AUDIODEVICEREMOVED;
        event.adevice.iscapture = capture;
        return event;
    };
    const struct {
        SDL_Event event;
        uint32_t message;  // kMsgNull: none
        uintptr_t wParam;
    } table[] = {
        {key(SDLK_RETURN, KMOD_LALT), platform::kMsgSysKeyDown, platform::kKeyEnter},
        {key(SDLK_RETURN, KMOD_RALT), platform::kMsgSysKeyDown, platform::kKeyEnter},
        {key(SDLK_RETURN, KMOD_LALT | KMOD_LCTRL), platform::kMsgKeyDown, platform::kKeyEnter},
        {key(SDLK_F11, KMOD_NONE), platform::kMsgKeyDown, platform::kKeyF11},
        {key(SDLK_LEFT, KMOD_LALT), platform::kMsgKeyDown, platform::kKeyLeft},
        {windowEvent(SDL_WINDOWEVENT_FOCUS_LOST), platform::kMsgKillFocus, 0},
        {windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED), platform::kMsgSize, 0},
        {deviceGone(0), platform::kMsgAudioDeviceLost, 0},
        {deviceGone(1), platform::kMsgNull, 0},
    };
    for (const auto& row : table) {
        SDL_Event event = row.event;
        SDL_PushEvent(&event);
        Message message;
        const bool any = peek(message);
        EXPECT_EQ(any ? message.message : platform::kMsgNull, row.message) << row.event.type;
        if (!any) continue;
        EXPECT_EQ(message.wParam, row.wParam);
        EXPECT_EQ(message.window, window);
        if (row.message == platform::kMsgSize) {
            EXPECT_EQ(platform::widthOf(message.lParam), 64);
            EXPECT_EQ(platform::heightOf(message.lParam), 64);
        }
    }
}

TEST_F(WindowSystem, OnePeekTakesOneEventAndHeldKeysRepeat) {
    pushKey(SDLK_SPACE);
    pushKey(SDLK_SPACE, /*repeat=*/true);
    Message first, second, none;
    ASSERT_TRUE(peek(first));
    ASSERT_TRUE(peek(second));
    EXPECT_EQ(first.lParam & (intptr_t{1} << 30), 0);
    EXPECT_NE(second.lParam & (intptr_t{1} << 30), 0);
    EXPECT_FALSE(peek(none));
}

TEST_F(WindowSystem, EventsThatAreNoMessageNeverDelayAKey) {
    pushEventsThatAreNoMessage(400);
    pushKey(SDLK_F1);
    pushEventsThatAreNoMessage(400);
    pushKey(SDLK_F3);
    Message first, second, none;
    ASSERT_TRUE(platform::peekMessage(first, window));
    EXPECT_EQ(first.wParam, platform::kKeyF1);
    ASSERT_TRUE(platform::peekMessage(second, window));  // one message per peek, still
    EXPECT_EQ(second.wParam, platform::kKeyF3);
    EXPECT_FALSE(platform::peekMessage(none, window));
}

TEST_F(WindowSystem, PointerMotionAndTypingQueueNothing) {
    SDL_Window* sdl = platform::sdlWindowOf(window);
    for (int step = 0; step < 20; ++step) SDL_WarpMouseInWindow(sdl, 10 + step, 10 + step % 2 * 30);
    SDL_PumpEvents();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION), 0);
    EXPECT_FALSE(SDL_IsTextInputActive());
}

TEST_F(WindowSystem, DispatchRunsTheProcedureAndCloseDestroysTheWindow) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = sdlId();
    SDL_PushEvent(&event);
    Message message;
    ASSERT_TRUE(peek(message));
    EXPECT_EQ(message.message, platform::kMsgClose);
    platform::dispatchMessage(message);
    ASSERT_GE(record.messages.size(), 2u);
    EXPECT_EQ(record.messages[0].message, platform::kMsgClose);
    EXPECT_EQ(record.messages[1].message, platform::kMsgDestroy);
    EXPECT_FALSE(platform::windowExists(window));
    // Messages for a window that is gone reach nobody.
    EXPECT_EQ(platform::dispatchMessage(message), 0);
}

TEST_F(WindowSystem, QuitRequestBecomesCloseForTheWindow) {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    Message message;
    ASSERT_TRUE(peek(message));
    EXPECT_EQ(message.message, platform::kMsgClose);
    EXPECT_EQ(message.window, window);
}

TEST_F(WindowSystem, MessagesPostedFromAnotherThreadArrive) {
    std::thread poster([this] { platform::postMessage(window, platform::kMsgApp + 1, 42); });
    poster.join();
    Message message;
    ASSERT_TRUE(peek(message));
    EXPECT_EQ(message.message, platform::kMsgApp + 1);
    EXPECT_EQ(message.wParam, 42u);
    EXPECT_EQ(message.window, window);
}

TEST_F(WindowSystem, WaitingEndsWithinItsBoundWhenNothingComes) {
    Message message;
    const uint32_t start = SDL_GetTicks();
    EXPECT_FALSE(platform::waitMessage(message, 50));
    EXPECT_GE(SDL_GetTicks() - start, 45u);
    platform::postQuitMessage(3);
    ASSERT_TRUE(platform::waitMessage(message, 1000));
    EXPECT_EQ(message.message, platform::kMsgQuit);
    EXPECT_EQ(message.wParam, 3u);
}

}  // namespace
