#include "core/platform/message_box.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/message_box_input.h"
#include "core/platform/message_box_layout.h"
#include "core/platform/text_direction.h"

namespace {

using platform::MessageBoxIcon;
using platform::MessageBoxRequest;
namespace box = platform::message_box;

const std::string kHebrewCaption = "שגיאה";
const std::string kHebrewText = "שגיאה בטעינת משאבים!\nנסה להתקין מחדש!";

// ---------------------------------------------------------------- sink

TEST(MessageBoxSinkTest, SinkGetsTheBoxInsteadOfTheScreen) {
    std::vector<MessageBoxRequest> seen;
    platform::setMessageBoxSink([&](const MessageBoxRequest& request) { seen.push_back(request); });
    const auto owner = reinterpret_cast<platform::WindowHandle>(uintptr_t{0x1234});
    const Uint32 videoBefore = SDL_WasInit(SDL_INIT_VIDEO);
    platform::showMessageBox({owner, kHebrewCaption, kHebrewText, MessageBoxIcon::Error});
    platform::setMessageBoxSink({});

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, owner);
    EXPECT_EQ(seen[0].caption, kHebrewCaption);
    EXPECT_EQ(seen[0].text, kHebrewText);
    EXPECT_EQ(seen[0].icon, MessageBoxIcon::Error);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), videoBefore);  // no display was touched
}

// ---------------------------------------------------------------- no display

int callsToRemovedSink = 0;

// Runs in a fresh child process: shows a box with no usable display after a
// sink was installed and removed again, and exits 0 if the sink stayed quiet.
void showWithoutDisplay(const char* videoDriver, const MessageBoxRequest& request) {
    alarm(20);  // a box that waits for a player would otherwise hang the test
    // Start as a process that never had a display: SDL may already be up on
    // the test's X server, started before main() by code reading the screen size.
    SDL_Quit();
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", videoDriver, 1);
    platform::setMessageBoxSink([](const MessageBoxRequest&) { ++callsToRemovedSink; });
    platform::setMessageBoxSink({});
    platform::showMessageBox(request);
    std::exit(callsToRemovedSink == 0 ? 0 : 3);
}

class MessageBoxDeathTest : public ::testing::Test {
protected:
    // A re-executed child: nothing of this process's SDL state leaks into it.
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(MessageBoxDeathTest, WithoutAnXServerTheBoxGoesToStderr) {
    EXPECT_EXIT(showWithoutDisplay("x11", {nullptr, "Error", "Could not load large icon!",
                                           MessageBoxIcon::Error}),
                ::testing::ExitedWithCode(0), "(^|\n)Error: Could not load large icon!\n");
}

TEST_F(MessageBoxDeathTest, InvisibleVideoDriversCountAsNoDisplay) {
    for (const char* driver : {"dummy", "offscreen"}) {
        SCOPED_TRACE(driver);
        EXPECT_EXIT(showWithoutDisplay(driver, {nullptr, "Error", "Could not load large icon!",
                                                MessageBoxIcon::Error}),
                    ::testing::ExitedWithCode(0), "(^|\n)Error: Could not load large icon!\n");
    }
}

TEST_F(MessageBoxDeathTest, HebrewTextReachesStderrUnchanged) {
    EXPECT_EXIT(showWithoutDisplay("x11", {nullptr, kHebrewCaption, kHebrewText,
                                           MessageBoxIcon::Error}),
                ::testing::ExitedWithCode(0), "(^|\n)" + kHebrewCaption + ": " + kHebrewText + "\n");
}

// ---------------------------------------------------------------- text direction

TEST(TextDirectionTest, HebrewIsFoundByItsCodeRange) {
    EXPECT_TRUE(platform::containsHebrew(kHebrewCaption));
    EXPECT_TRUE(platform::containsHebrew("Level 3 - שלב"));
    EXPECT_TRUE(platform::containsHebrew("\u0590"));  // first of the block
    EXPECT_TRUE(platform::containsHebrew("\u05B0"));  // a vowel point alone
    EXPECT_TRUE(platform::containsHebrew("\u05FF"));  // last of the block
    EXPECT_FALSE(platform::containsHebrew(""));
    EXPECT_FALSE(platform::containsHebrew("Could not load large icon!"));
    EXPECT_FALSE(platform::containsHebrew("\u058F"));  // Armenian, just before
    EXPECT_FALSE(platform::containsHebrew("\u0600"));  // Arabic, just after
    EXPECT_FALSE(platform::containsHebrew("\xD7"));  // a cut-off character
}

// ---------------------------------------------------------------- layout

class MessageBoxLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0);
        font = box::openFont();
        ASSERT_NE(font, nullptr) << box::findFontFile();
    }
    void TearDown() override {
        font.reset();
        TTF_Quit();
    }

    static Uint8 alpha(SDL_Surface* surface, int x, int y) {
        Uint8 r, g, b, a;
        const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        SDL_GetRGBA(reinterpret_cast<const Uint32*>(row)[x], surface->format, &r, &g, &b, &a);
        return a;
    }
    static SDL_Color colourAt(SDL_Surface* surface, int x, int y) {
        SDL_Color c;
        const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        SDL_GetRGBA(reinterpret_cast<const Uint32*>(row)[x], surface->format, &c.r, &c.g, &c.b,
                    &c.a);
        return c;
    }
    // Mean alpha difference per pixel; images of different sizes are compared
    // over their common part and the rest counts as fully different.
    static double difference(SDL_Surface* a, SDL_Surface* b) {
        long total = 0;
        const int w = std::max(a->w, b->w), h = std::max(a->h, b->h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool inA = x < a->w && y < a->h, inB = x < b->w && y < b->h;
                const int pa = inA ? alpha(a, x, y) : 0, pb = inB ? alpha(b, x, y) : 0;
                total += (inA && inB) ? std::abs(pa - pb) : 255;
            }
        }
        return static_cast<double>(total) / (w * h);
    }
    static bool hasDarkInk(SDL_Surface* surface, const SDL_Rect& area) {
        for (int y = area.y; y < area.y + area.h; ++y) {
            for (int x = area.x; x < area.x + area.w; ++x) {
                const SDL_Color c = colourAt(surface, x, y);
                if (c.r < 80 && c.g < 80 && c.b < 80) return true;
            }
        }
        return false;
    }

    box::FontPtr font;
};

TEST_F(MessageBoxLayoutTest, FontHasHebrewLetters) {
    for (Uint32 letter : {0x05D0u, 0x05E9u, 0x05EAu}) {  // alef, shin, tav
        EXPECT_TRUE(TTF_GlyphIsProvided32(font.get(), letter)) << std::hex << letter;
    }
}

TEST_F(MessageBoxLayoutTest, TextSplitsIntoLinesAtLineBreaks) {
    EXPECT_EQ(box::splitLines(kHebrewText),
              (std::vector<std::string>{"שגיאה בטעינת משאבים!", "נסה להתקין מחדש!"}));
    EXPECT_EQ(box::splitLines("a\r\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(box::splitLines("one"), (std::vector<std::string>{"one"}));
}

// Shaped right to left, the word looks like its reversed letters laid out
// left to right, and not like the letters in stored order.
TEST_F(MessageBoxLayoutTest, HebrewIsShapedRightToLeft) {
    const SDL_Color black{0, 0, 0, 255};
    box::SurfacePtr shaped = box::renderLine(font.get(), kHebrewCaption, black);
    ASSERT_NE(shaped, nullptr);

    TTF_SetFontDirection(font.get(), TTF_DIRECTION_LTR);
    TTF_SetFontScriptName(font.get(), "Hebr");
    box::SurfacePtr reversed(TTF_RenderUTF8_Blended(font.get(), "האיגש", black));
    box::SurfacePtr storedOrder(TTF_RenderUTF8_Blended(font.get(), kHebrewCaption.c_str(), black));
    ASSERT_NE(reversed, nullptr);
    ASSERT_NE(storedOrder, nullptr);

    const double toReversed = difference(shaped.get(), reversed.get());
    const double toStoredOrder = difference(shaped.get(), storedOrder.get());
    EXPECT_LT(toReversed, 1.0) << toReversed;
    EXPECT_GT(toStoredOrder, 10.0 * std::max(toReversed, 0.5)) << toStoredOrder;
}

TEST_F(MessageBoxLayoutTest, LatinLinesStayLeftToRight) {
    const SDL_Color black{0, 0, 0, 255};
    TTF_SetFontDirection(font.get(), TTF_DIRECTION_RTL);  // left over from a Hebrew line
    box::SurfacePtr line = box::renderLine(font.get(), "Error", black);
    TTF_SetFontDirection(font.get(), TTF_DIRECTION_LTR);
    TTF_SetFontScriptName(font.get(), "Latn");
    box::SurfacePtr plain(TTF_RenderUTF8_Blended(font.get(), "Error", black));
    ASSERT_NE(line, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_LT(difference(line.get(), plain.get()), 1.0);
}

TEST_F(MessageBoxLayoutTest, HebrewBoxIsMirroredAndRightAligned) {
    box::BoxImage image = box::renderBox(font.get(), kHebrewText, true, false);
    ASSERT_NE(image.surface, nullptr);
    SDL_Surface* s = image.surface.get();
    ASSERT_EQ(image.lines.size(), 2u);
    const SDL_Rect& first = image.lines[0];
    const SDL_Rect& second = image.lines[1];
    EXPECT_EQ(first.x + first.w, second.x + second.w);
    EXPECT_LT(first.x, second.x);  // the first line is the longer one
    EXPECT_TRUE(hasDarkInk(s, first));
    EXPECT_TRUE(hasDarkInk(s, second));
    // The error mark sits on the right, beside the start of the text.
    const SDL_Color right = colourAt(s, s->w - 18, 18);
    const SDL_Color left = colourAt(s, 18, 18);
    EXPECT_GT(right.r, 150);
    EXPECT_LT(right.g, 80);
    EXPECT_EQ(left.r, left.g);
    EXPECT_LT(first.x + first.w, s->w - 18);
}

TEST_F(MessageBoxLayoutTest, LatinBoxIsLeftAligned) {
    box::BoxImage image = box::renderBox(font.get(), "Short\nA much longer line", true, false);
    ASSERT_NE(image.surface, nullptr);
    SDL_Surface* s = image.surface.get();
    ASSERT_EQ(image.lines.size(), 2u);
    EXPECT_EQ(image.lines[0].x, image.lines[1].x);
    EXPECT_LT(image.lines[0].w, image.lines[1].w);
    const SDL_Color left = colourAt(s, 18, 18);
    EXPECT_GT(left.r, 150);
    EXPECT_LT(left.g, 80);
    EXPECT_GT(image.lines[0].x, 18);  // beside the mark, not over it
}

TEST_F(MessageBoxLayoutTest, BoxFitsItsTextWithTheButtonBelow) {
    box::BoxImage small = box::renderBox(font.get(), "Hi", false, false);
    ASSERT_NE(small.surface, nullptr);
    EXPECT_EQ(small.surface->w, 300);

    const std::string longLine(120, 'W');
    box::BoxImage wide = box::renderBox(font.get(), longLine + "\nsecond\nthird", false, false);
    ASSERT_NE(wide.surface, nullptr);
    ASSERT_EQ(wide.lines.size(), 3u);
    EXPECT_GT(wide.surface->w, 300);
    EXPECT_GT(wide.lines[0].x, 0);
    EXPECT_LT(wide.lines[0].x + wide.lines[0].w, wide.surface->w);
    const SDL_Rect& button = wide.button;
    EXPECT_GE(button.y, wide.lines[2].y + wide.lines[2].h);
    EXPECT_LE(button.y + button.h, wide.surface->h);
    EXPECT_NEAR(button.x + button.w / 2, wide.surface->w / 2, 1);
    EXPECT_TRUE(hasDarkInk(wide.surface.get(), button));  // its label
}

TEST_F(MessageBoxLayoutTest, HotButtonLooksDifferent) {
    box::BoxImage cold = box::renderBox(font.get(), "Hi", false, false);
    box::BoxImage hot = box::renderBox(font.get(), "Hi", false, true);
    ASSERT_NE(cold.surface, nullptr);
    ASSERT_NE(hot.surface, nullptr);
    const int x = cold.button.x + 3, y = cold.button.y + 3;
    const SDL_Color a = colourAt(cold.surface.get(), x, y), b = colourAt(hot.surface.get(), x, y);
    EXPECT_FALSE(a.r == b.r && a.g == b.g && a.b == b.b);
}

// ---------------------------------------------------------------- input

class MessageBoxInputTest : public ::testing::Test {
protected:
    static constexpr Uint32 kBox = 7, kGame = 3;
    MessageBoxInputTest() {
        state.windowId = kBox;
        state.button = {100, 80, 90, 30};
    }
    static SDL_Event key(SDL_Keycode code, Uint32 window = kBox, Uint8 repeat = 0) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.windowID = window;
        event.key.repeat = repeat;
        event.key.keysym.sym = code;
        return event;
    }
    static SDL_Event windowEvent(Uint8 what, Uint32 window) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.windowID = window;
        return event;
    }
    static SDL_Event mouse(Uint32 type, int x, int y, Uint32 window = kBox,
                           Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.windowID = window;
            event.motion.x = x;
            event.motion.y = y;
        } else {
            event.button.windowID = window;
            event.button.button = button;
            event.button.x = x;
            event.button.y = y;
        }
        return event;
    }
    box::EventOutcome handle(const SDL_Event& event) { return box::handleEvent(state, event); }

    box::InputState state;
};

TEST_F(MessageBoxInputTest, ConfirmAndCancelKeysClose) {
    for (SDL_Keycode code : {SDLK_RETURN, SDLK_KP_ENTER, SDLK_SPACE, SDLK_ESCAPE}) {
        EXPECT_TRUE(handle(key(code)).close) << code;
        EXPECT_TRUE(handle(key(code, kGame)).close) << code;  // whichever window has the focus
    }
    for (SDL_Keycode code : {SDLK_a, SDLK_LEFT, SDLK_F1, SDLK_TAB}) {
        const box::EventOutcome outcome = handle(key(code));
        EXPECT_FALSE(outcome.close) << code;
        EXPECT_FALSE(outcome.keep) << code;
    }
    EXPECT_FALSE(handle(key(SDLK_SPACE, kBox, 1)).close);  // a key held since before the box
}

TEST_F(MessageBoxInputTest, ClosingTheBoxWindowClosesItButAGameWindowCloseWaits) {
    const box::EventOutcome own = handle(windowEvent(SDL_WINDOWEVENT_CLOSE, kBox));
    EXPECT_TRUE(own.close);
    EXPECT_FALSE(own.keep);
    const box::EventOutcome game = handle(windowEvent(SDL_WINDOWEVENT_CLOSE, kGame));
    EXPECT_FALSE(game.close);
    EXPECT_TRUE(game.keep);
}

TEST_F(MessageBoxInputTest, QuitClosesAndIsKeptForTheGame) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    const box::EventOutcome outcome = handle(quit);
    EXPECT_TRUE(outcome.close);
    EXPECT_TRUE(outcome.keep);
}

TEST_F(MessageBoxInputTest, PostedMessagesAreKeptAndGameInputIsDropped) {
    SDL_Event posted{};
    posted.type = SDL_USEREVENT + 5;
    const box::EventOutcome kept = handle(posted);
    EXPECT_TRUE(kept.keep);
    EXPECT_FALSE(kept.close);
    for (const SDL_Event& input : {mouse(SDL_MOUSEBUTTONDOWN, 120, 90, kGame),
                                   mouse(SDL_MOUSEMOTION, 120, 90, kGame), key(SDLK_a, kGame)}) {
        const box::EventOutcome outcome = handle(input);
        EXPECT_FALSE(outcome.keep);
        EXPECT_FALSE(outcome.close);
    }
}

TEST_F(MessageBoxInputTest, OkFiresWhenPressedAndReleasedOnIt) {
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONDOWN, 120, 90)).close);
    EXPECT_TRUE(handle(mouse(SDL_MOUSEBUTTONUP, 150, 100)).close);

    // Pressed elsewhere, or released elsewhere, or with another button: nothing.
    handle(mouse(SDL_MOUSEBUTTONDOWN, 20, 20));
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONUP, 120, 90)).close);
    handle(mouse(SDL_MOUSEBUTTONDOWN, 120, 90));
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONUP, 20, 20)).close);
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONUP, 120, 90)).close);  // that press is spent
    handle(mouse(SDL_MOUSEBUTTONDOWN, 120, 90, kBox, SDL_BUTTON_RIGHT));
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONUP, 120, 90, kBox, SDL_BUTTON_RIGHT)).close);
    // Just outside the button's right and bottom edges.
    handle(mouse(SDL_MOUSEBUTTONDOWN, 190, 110));
    EXPECT_FALSE(handle(mouse(SDL_MOUSEBUTTONUP, 190, 110)).close);
}

TEST_F(MessageBoxInputTest, HoveringRedrawsOnlyWhenTheButtonStateChanges) {
    EXPECT_TRUE(handle(mouse(SDL_MOUSEMOTION, 120, 90)).redraw);
    EXPECT_TRUE(state.buttonHot);
    EXPECT_FALSE(handle(mouse(SDL_MOUSEMOTION, 125, 95)).redraw);
    EXPECT_TRUE(handle(mouse(SDL_MOUSEMOTION, 10, 10)).redraw);
    EXPECT_FALSE(state.buttonHot);
    handle(mouse(SDL_MOUSEMOTION, 120, 90));
    EXPECT_TRUE(handle(windowEvent(SDL_WINDOWEVENT_LEAVE, kBox)).redraw);
    EXPECT_FALSE(state.buttonHot);
    EXPECT_TRUE(handle(windowEvent(SDL_WINDOWEVENT_EXPOSED, kBox)).redraw);
    EXPECT_FALSE(handle(windowEvent(SDL_WINDOWEVENT_EXPOSED, kGame)).redraw);
}

// ---------------------------------------------------------------- on screen

// The real box on the (virtual) display, closed by events queued beforehand.
class MessageBoxScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the tests run with an X display";
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    static void pushPosted(Uint32 type, Sint32 code) {
        SDL_Event event{};
        event.type = type;
        event.user.code = code;
        SDL_PushEvent(&event);
    }
    static void pushKey(SDL_Keycode key) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }
    // Everything queued. Polling would stop at SDL's end-of-poll marker,
    // behind which events pushed after the box's last wait are queued.
    static std::vector<SDL_Event> drain() {
        SDL_PumpEvents();
        std::vector<SDL_Event> events(256);
        const int got = SDL_PeepEvents(events.data(), static_cast<int>(events.size()),
                                       SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        events.resize(static_cast<size_t>(std::max(got, 0)));
        return events;
    }
    static int count(const std::vector<SDL_Event>& events, Uint32 type) {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [&](const SDL_Event& e) { return e.type == type; }));
    }
};

TEST_F(MessageBoxScreenTest, EnterClosesTheBoxAndPostedMessagesSurvive) {
    const Uint32 posted = SDL_RegisterEvents(1);
    pushPosted(posted, 42);
    pushKey(SDLK_RETURN);
    platform::showMessageBox({nullptr, kHebrewCaption, kHebrewText, MessageBoxIcon::Error});
    const std::vector<SDL_Event> after = drain();
    ASSERT_EQ(count(after, posted), 1);
    EXPECT_EQ(std::find_if(after.begin(), after.end(),
                           [&](const SDL_Event& e) { return e.type == posted; })
                  ->user.code,
              42);
    EXPECT_EQ(count(after, SDL_QUIT), 0);
}

TEST_F(MessageBoxScreenTest, QuitClosesTheBoxAndReachesTheGameOnce) {
    pushPosted(SDL_QUIT, 0);
    platform::showMessageBox({nullptr, "Error", "Could not load large icon!",
                              MessageBoxIcon::Error});
    EXPECT_EQ(count(drain(), SDL_QUIT), 1);
}

// The game draws with its GL context current; the box must not leave
// another one current behind it.
TEST_F(MessageBoxScreenTest, GameGLContextIsCurrentAfterTheBox) {
    SDL_Window* game = SDL_CreateWindow("game", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(game, nullptr) << SDL_GetError();
    SDL_GLContext context = SDL_GL_CreateContext(game);
    if (context == nullptr) {
        SDL_DestroyWindow(game);
        FAIL() << "no GL: " << SDL_GetError();
    }
    ASSERT_EQ(SDL_GL_MakeCurrent(game, context), 0);
    pushKey(SDLK_ESCAPE);
    platform::showMessageBox({nullptr, "Error", "Could not load large icon!",
                              MessageBoxIcon::Error});
    EXPECT_EQ(SDL_GL_GetCurrentContext(), context);
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), game);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(game);
}

}  // namespace
