#pragma once
// The window system as the game sees it: windows with a window procedure,
// a message record, and peek/translate/dispatch on one thread. Built on SDL2
// events; game code never sees an SDL type.

#include <cstdint>
#include <string>

namespace platform {

struct NativeWindow;
using WindowHandle = NativeWindow*;

// Message numbers the game uses.
constexpr uint32_t kMsgNull = 0x0000;
constexpr uint32_t kMsgCreate = 0x0001;
constexpr uint32_t kMsgDestroy = 0x0002;
constexpr uint32_t kMsgSize = 0x0005;       // lParam: the drawable's size, see sizeParam
constexpr uint32_t kMsgKillFocus = 0x0008;  // the window lost the keyboard focus
constexpr uint32_t kMsgClose = 0x0010;
constexpr uint32_t kMsgKeyDown = 0x0100;
// A key pressed with Alt held, for the keys that mean something else with Alt
// (Enter). Other keys come as kMsgKeyDown whatever the modifiers.
constexpr uint32_t kMsgSysKeyDown = 0x0104;
// The sound device the program played on went away (a headset unplugged).
constexpr uint32_t kMsgAudioDeviceLost = 0x0219;
// Gamepad messages. wParam is the button or axis; lParam carries the pad's
// number, and for a push its direction (see padParam). A push is the left
// stick moved sideways or the right trigger pulled, from rest (or from the
// other side): past half its travel, and released only back inside a
// quarter, so noise between the two is no second push. Every position SDL
// reports counts, in order, however many come in one frame; the other axes
// give no message.
constexpr uint32_t kMsgPadButtonDown = 0x0500;
constexpr uint32_t kMsgPadPush = 0x0501;
constexpr uint32_t kMsgPadRemoved = 0x0502;
constexpr uint32_t kMsgApp = 0x8000;
constexpr uint32_t kMsgQuit = 0x0012;

// Virtual-key codes carried by kMsgKeyDown.
constexpr uintptr_t kKeyEnter = 0x0D;
constexpr uintptr_t kKeyEscape = 0x1B;
constexpr uintptr_t kKeySpace = 0x20;
constexpr uintptr_t kKeyLeft = 0x25;
constexpr uintptr_t kKeyUp = 0x26;
constexpr uintptr_t kKeyRight = 0x27;
constexpr uintptr_t kKeyDown = 0x28;
constexpr uintptr_t kKeyF1 = 0x70;
constexpr uintptr_t kKeyF2 = 0x71;
constexpr uintptr_t kKeyF3 = 0x72;
constexpr uintptr_t kKeyF11 = 0x7A;
// Keys without a code of their own; they still reach the window procedure.
constexpr uintptr_t kKeyOther = 0xFF;

// Gamepad buttons and axes in the layout of a common console pad.
enum class PadButton : uintptr_t {
    A,
    B,
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    Other
};
enum class PadAxis : uintptr_t { LeftX, LeftY, RightX, RightY, LeftTrigger, RightTrigger };

// A push's direction: 1 for the stick's right (positive x) or a pull of the
// trigger, -1 for the stick's left.
constexpr intptr_t padParam(int32_t pad, int16_t direction = 0) {
    return static_cast<intptr_t>(static_cast<int64_t>(pad) * 65536 +
                                 static_cast<uint16_t>(direction));
}
constexpr int32_t padOf(intptr_t lParam) { return static_cast<int32_t>(lParam >> 16); }
constexpr int16_t pushDirectionOf(intptr_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }

// A size in pixels packed into lParam, and back.
constexpr intptr_t sizeParam(int width, int height) {
    return static_cast<intptr_t>((static_cast<int64_t>(height) << 16) | (width & 0xFFFF));
}
constexpr int widthOf(intptr_t lParam) { return static_cast<int>(lParam & 0xFFFF); }
constexpr int heightOf(intptr_t lParam) { return static_cast<int>((lParam >> 16) & 0xFFFF); }

struct Message {
    WindowHandle window = nullptr;
    uint32_t message = kMsgNull;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowProcedure = intptr_t (*)(WindowHandle, uint32_t, uintptr_t, intptr_t);

struct WindowDescription {
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;
    WindowProcedure procedure = nullptr;
    bool openGL = false;    // the window will carry a graphics device
    bool gamepads = false;  // gamepad input reaches the window procedure
    // How the window stands on the desktop. Plain: borderless at the given
    // place and size. FullScreen: the desktop's full-screen state, covering
    // the whole screen also where no window manager grants that state.
    // Resizable: a decorated window the player can resize, centred.
    enum class Kind { Plain, FullScreen, Resizable } kind = Kind::Plain;
};

// Primary screen size in pixels, {0, 0} when there is no display.
struct ScreenSize {
    int width = 0, height = 0;
};
ScreenSize primaryScreenSize();

// Creates and shows a window as `description.kind` says; the procedure receives kMsgCreate
// before this returns. Returns null when no window can be made. Input no
// window procedure receives (typed text, key releases, pointer motion) is
// not queued from then on. With `gamepads`, every pad plugged in now or
// later is opened, and its buttons, axes and unplugging come as messages.
WindowHandle createWindow(const WindowDescription& description);
// Destroys the window (kMsgDestroy reaches its procedure). No effect on a
// window already destroyed or on null.
void destroyWindow(WindowHandle window);
bool windowExists(WindowHandle window);

// Takes at most one pending message for `window` (null: any window), never
// waiting; pending input that gives no message is dropped on the way.
// Returns false when there was none.
bool peekMessage(Message& out, WindowHandle window);
// Waits for a message for any window, at most `timeoutMs`. Returns false
// on timeout.
bool waitMessage(Message& out, uint32_t timeoutMs);
void translateMessage(const Message& message);
intptr_t dispatchMessage(const Message& message);
// What happens to a message the window procedure leaves alone: kMsgClose
// destroys the window, everything else is ignored.
intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);
// Queues a message for the window's procedure; safe from any thread.
// Posted messages carry no lParam.
void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam);
// Queues kMsgQuit (no window) with the exit code as wParam.
void postQuitMessage(int exitCode);

// Window icons from an icon file at the given size; false when it cannot be read.
bool setWindowIconFromFile(WindowHandle window, const std::string& fileName, int size, bool large);

// Full screen as the desktop grants it, or a resizable window of the given
// size (in the window system's units) centred on the screen.
void setWindowFullScreen(WindowHandle window, bool fullScreen, int windowWidth, int windowHeight);
bool windowIsFullScreen(WindowHandle window);
// Size in the window system's units, and the size of what is drawn in it, in
// pixels; larger on a scaled output. {0, 0} for no window.
ScreenSize windowSize(WindowHandle window);
ScreenSize drawableSize(WindowHandle window);
// The smallest a resizable window may be made.
void setWindowMinimumSize(WindowHandle window, int width, int height);

// A short rumble on every open pad that has a motor; the others are passed over.
void rumbleGamepads(uint16_t strength, uint32_t durationMs);

}  // namespace platform
