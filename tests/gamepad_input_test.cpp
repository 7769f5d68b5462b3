// Gamepads drive the game through SDL's virtual joystick, seen as a game
// controller, from the window system's messages to the key table.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "core/game_world.h"
#include "core/platform/message_box_input.h"
#include "core/window_input.h"
#include "effects/particle_emitters.h"
#include "gameplay/impact_rules.h"
#include "scene/meshmanager.h"
#include "temp_folder.h"
#include "world_reset.h"

namespace {

struct VirtualPad {
    explicit VirtualPad(bool canRumble = false) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1;
        desc.button_mask = (1u << desc.nbuttons) - 1;
        desc.axis_mask = (1u << desc.naxes) - 1;
        desc.userdata = this;
        if (canRumble)
            desc.Rumble = [](void* self, Uint16 low, Uint16) {
                static_cast<VirtualPad*>(self)->rumbles += low != 0;
                return 0;
            };
        joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT,
                                   SDL_JOYSTICK_AXIS_MIN);
    }
    ~VirtualPad() {
        unplug();
        SDL_JoystickClose(joystick);
    }
    void unplug() {
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
        }
    }
    SDL_Joystick* joystick = nullptr;
    int rumbles = 0;
};

class GamepadInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // SDL drops pad presses while none of the program's windows has the
        // focus, and on a bare X server the test window may not get it.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        // The game's own procedure, but for the icons: without an icon file
        // they would stop the test at a message box.
        auto procedure = [](platform::WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) {
            return m == platform::kMsgCreate ? 0 : windowProc(w, m, wp, lp);
        };
        window = platform::createWindow({"", 0, 0, 8, 8, procedure, false, true});
    }
    static void TearDownTestSuite() { platform::destroyWindow(window); }
    void SetUp() override {
        resetWorld();
        if (world.emitters == nullptr) world.emitters = createEmitterList();
        deliver();
    }
    void TearDown() override {
        pad.unplug();
        deliver();
    }
    // Every pending message to the game, as the main loop hands them on.
    static void deliver() {
        for (platform::Message m; platform::peekMessage(m, window);) platform::dispatchMessage(m);
    }
    void press(SDL_GameControllerButton button, VirtualPad& by) {
        for (Uint8 down : {1, 0})
            SDL_JoystickSetVirtualButton(by.joystick, button, down), deliver();
    }
    void press(SDL_GameControllerButton button) { press(button, pad); }
    void tilt(SDL_GameControllerAxis axis, Sint16 position) {
        SDL_JoystickSetVirtualAxis(pad.joystick, axis, position);
        deliver();
    }

    static inline platform::WindowHandle window = nullptr;
    VirtualPad pad;
    TempWorkingFolder folder;
};

TEST_F(GamepadInput, EachButtonStandsForItsKeyInEachMode) {
    using M = GameMode;
    const struct {
        M mode;
        SDL_GameControllerButton button;
        M expected;
    } cases[] = {
        {M::Menu, SDL_CONTROLLER_BUTTON_A, M::Playing},
        {M::Menu, SDL_CONTROLLER_BUTTON_START, M::Playing},
        {M::Menu, SDL_CONTROLLER_BUTTON_BACK, M::Quit},
        {M::Menu, SDL_CONTROLLER_BUTTON_B, M::Menu},
        {M::Playing, SDL_CONTROLLER_BUTTON_START, M::Menu},
        {M::Playing, SDL_CONTROLLER_BUTTON_B, M::Menu},
        {M::GameOver, SDL_CONTROLLER_BUTTON_A, M::Menu},
        {M::GameOver, SDL_CONTROLLER_BUTTON_B, M::Menu},
        {M::GameOver, SDL_CONTROLLER_BUTTON_START, M::Menu},
        {M::GameOver, SDL_CONTROLLER_BUTTON_X, M::GameOver},
        {M::TheEnd, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, M::Quit},
        {M::LevelTransition, SDL_CONTROLLER_BUTTON_START, M::LevelTransition},
    };
    for (const auto& c : cases) {
        world.mode = c.mode;
        world.level = 7;
        press(c.button);
        EXPECT_EQ(world.mode, c.expected) << int(c.mode) << " button " << c.button;
        EXPECT_EQ(world.level, 7);  // continuing plays the saved level
    }
    std::ofstream("Level0.vr") << "0\n35\n900\n";
    world.mode = M::Menu;
    press(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(world.mode, M::Playing);
    EXPECT_EQ(world.level, 0);
}

TEST_F(GamepadInput, OnePressOrPushIsOneRocketOrLaneWhateverTheNoise) {
    world.mode = GameMode::Playing;
    world.bombs = 4;
    press(SDL_CONTROLLER_BUTTON_A);
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(world.bombs, 2);
    for (Sint16 noise : {20000, 12000, 18000, 9000, 30000}) {
        // A virtual trigger spans the full axis: at rest it reads the minimum.
        tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, static_cast<Sint16>(2 * noise - 32768));
    }
    EXPECT_EQ(world.bombs, 1);
    press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(world.steerCommand, "left");
    tilt(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    EXPECT_EQ(world.steerCommand, "right");
    world.steerCommand.clear();
    for (Sint16 noise : {15000, 17500, 9000, 32767, 16384}) tilt(SDL_CONTROLLER_AXIS_LEFTX, noise);
    EXPECT_EQ(world.steerCommand, "");
    tilt(SDL_CONTROLLER_AXIS_LEFTX, 0);
    tilt(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    EXPECT_EQ(world.steerCommand, "left");
}

// Left is right mirrored: the stick pushes from exactly half its travel and
// is let go only at a quarter, the pad's arrow steers that way too; and
// outside play no push is a key.
TEST_F(GamepadInput, BothSidesPushAtHalfTravelAndLetGoAtAQuarter) {
    const struct {
        Sint16 position;
        bool pushes;
    } steps[] = {{16383, false}, {16384, true}, {8193, false}, {16384, false},
                 {8192, false},  {16384, true}, {0, false}};
    world.mode = GameMode::Playing;
    for (const int side : {1, -1}) {
        const std::string way = side > 0 ? "right" : "left";
        for (const auto& step : steps) {
            world.steerCommand.clear();
            tilt(SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(side * step.position));
            EXPECT_EQ(world.steerCommand, step.pushes ? way : "") << side * step.position;
        }
        world.steerCommand.clear();
        press(side > 0 ? SDL_CONTROLLER_BUTTON_DPAD_RIGHT : SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        EXPECT_EQ(world.steerCommand, way);
    }
    world.mode = GameMode::Menu;
    world.bombs = 1;
    tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MAX);
    EXPECT_EQ(world.bombs, 1);
}

// The main loop takes one message a frame. A stick streaming positions, on
// an axis the game uses or not, holds up nothing; and a flick out and back
// within one frame is still one lane, either way.
TEST_F(GamepadInput, EveryPushCountsAndNothingElseTakesAFrame) {
    world.mode = GameMode::Playing;
    auto queue = [this](SDL_GameControllerAxis axis, Sint16 position) {
        SDL_JoystickSetVirtualAxis(pad.joystick, axis, position);
        SDL_PumpEvents();
    };
    auto oneFrame = [] {
        platform::Message message;
        if (platform::peekMessage(message, window)) platform::dispatchMessage(message);
    };
    for (Sint16 jitter = 0; jitter < 200; jitter += 2) {
        queue(SDL_CONTROLLER_AXIS_LEFTX, jitter);
        queue(SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(jitter * 100));
        queue(SDL_CONTROLLER_AXIS_RIGHTX, static_cast<Sint16>(-jitter * 100));
    }
    queue(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    oneFrame();
    EXPECT_EQ(world.steerCommand, "right");
    for (Sint16 flick : {-20000, 20000}) {
        world.steerCommand.clear();
        queue(SDL_CONTROLLER_AXIS_LEFTX, 0);
        oneFrame();
        queue(SDL_CONTROLLER_AXIS_LEFTX, flick);
        queue(SDL_CONTROLLER_AXIS_LEFTX, 0);
        oneFrame();
        EXPECT_EQ(world.steerCommand, flick > 0 ? "right" : "left");
    }
}

TEST_F(GamepadInput, APadPluggedInPlaysAndUnpluggingPausesPlayOnly) {
    world.mode = GameMode::Playing;
    VirtualPad second;
    deliver();
    world.bombs = 1;
    press(SDL_CONTROLLER_BUTTON_A, second);
    EXPECT_EQ(world.bombs, 0);
    second.unplug();
    deliver();
    EXPECT_EQ(world.mode, GameMode::Menu);
    world.mode = GameMode::GameOver;  // where Esc would leave
    pad.unplug();
    deliver();
    EXPECT_EQ(world.mode, GameMode::GameOver);
}

TEST_F(GamepadInput, ACrashRumblesThePadsThatCan) {
    VirtualPad rumbling(/*canRumble=*/true);
    deliver();
    SceneObject ship(nullptr), rock(nullptr);
    ship.maxBounds = rock.maxBounds = {1, 1, 1};
    world.ship = &ship;
    world.rocks[0] = &rock;
    world.rockCount = 1;
    world.levelEndZ = -5000.0f;
    applyImpactRules();
    EXPECT_EQ(world.mode, GameMode::GameOver);
    EXPECT_EQ(rumbling.rumbles, 1);
    world.ship = world.rocks[0] = nullptr;
}

TEST(GamepadMessageBox, AOrStartClosesItAndPadsComingAndGoingWaitForTheGame) {
    platform::message_box::InputState state;
    SDL_Event event{SDL_CONTROLLERBUTTONDOWN};
    for (Uint8 button :
         {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_BUTTON_X}) {
        event.cbutton.button = button;
        EXPECT_EQ(platform::message_box::handleEvent(state, event).close,
                  button != SDL_CONTROLLER_BUTTON_X);
    }
    event.type = SDL_CONTROLLERDEVICEREMOVED;
    EXPECT_TRUE(platform::message_box::handleEvent(state, event).keep);
}

}  // namespace
