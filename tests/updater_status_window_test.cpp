#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/platform/window_system_internal.h"
#include "scene/platform/font.h"
#include "updater/platform/display.h"
#include "updater/status_window.h"

namespace {

constexpr int kWidth = 260;
constexpr int kHeight = 50;
constexpr uint32_t kButtonFace = 0xFF000000u | platform::kButtonFaceColor;

// At least half covered by a letter: black blended over the button face at
// half strength or more.
bool inked(uint32_t argb) { return ((argb >> 16) & 0xFF) < 0x78; }

class UpdaterStatusWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::displayAvailable()) << "the tests run with a display";
        window = createUpdaterWindow();
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        platform::destroyWindow(window);
        if (SDL_WasInit(SDL_INIT_EVENTS) != 0) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    // What the window shows, row by row.
    std::vector<uint32_t> readPixels() {
        std::vector<uint32_t> pixels(kWidth * kHeight, 0);
        SDL_Renderer* renderer = SDL_GetRenderer(platform::sdlWindowOf(window));
        EXPECT_NE(renderer, nullptr);
        if (renderer != nullptr) {
            SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                 kWidth * 4);
        }
        return pixels;
    }

    platform::WindowHandle window = nullptr;
};

TEST_F(UpdaterStatusWindow, IsASmallBorderlessWindowAtItsFixedPlace) {
    SDL_Window* sdl = platform::sdlWindowOf(window);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &width, &height);
    EXPECT_EQ(x, 480);
    EXPECT_EQ(y, 360);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Updater");
}

TEST_F(UpdaterStatusWindow, ShowsTheCheckingTextInItsLabelOnButtonFace) {
    ASSERT_NE(statusLabel, nullptr);
    EXPECT_EQ(statusLabel->text(), kCheckingText);
    const std::vector<uint32_t> pixels = readPixels();
    int ink = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t pixel = pixels[y * kWidth + x];
            if (x < 20 || y < 20) {
                ASSERT_EQ(pixel, kButtonFace) << "outside the label at " << x << ", " << y;
            } else if (inked(pixel)) {
                ++ink;
            }
        }
    }
    EXPECT_GT(ink, 100);
}

TEST_F(UpdaterStatusWindow, ChangingTheStatusRedrawsTheLabel) {
    const std::vector<uint32_t> checking = readPixels();
    showStatus(kInstallingText);
    EXPECT_EQ(statusLabel->text(), kInstallingText);
    const std::vector<uint32_t> installing = readPixels();
    int changed = 0;
    for (size_t i = 0; i < checking.size(); ++i)
        changed += inked(checking[i]) != inked(installing[i]);
    EXPECT_GT(changed, 100);
    // The old text is gone, not drawn over.
    showStatus(kCheckingText);
    EXPECT_EQ(readPixels(), checking);
}

// Pixels the line would cover, drawn left to right from the label's corner.
std::vector<bool> leftToRightCoverage(const char* utf8) {
    std::vector<bool> covered(kWidth * kHeight, false);
    const std::string file = platform::findFontFile(platform::kStatusFontPattern);
    if (file.empty() || TTF_Init() != 0) return covered;
    if (TTF_Font* font = TTF_OpenFont(file.c_str(), platform::kStatusFontPointSize)) {
        TTF_SetFontDirection(font, TTF_DIRECTION_LTR);
        TTF_SetFontScriptName(font, "Hebr");
        if (SDL_Surface* line = TTF_RenderUTF8_Blended(font, utf8, SDL_Color{0, 0, 0, 0xFF})) {
            SDL_Surface* argb = SDL_ConvertSurfaceFormat(line, SDL_PIXELFORMAT_ARGB8888, 0);
            for (int y = 0; argb != nullptr && y < argb->h && 20 + y < kHeight; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(
                    static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch);
                for (int x = 0; x < argb->w && 20 + x < kWidth; ++x) {
                    covered[(20 + y) * kWidth + 20 + x] = (row[x] >> 24) >= 0x80;
                }
            }
            SDL_FreeSurface(argb);
            SDL_FreeSurface(line);
        }
        TTF_CloseFont(font);
    }
    TTF_Quit();
    return covered;
}

TEST_F(UpdaterStatusWindow, HebrewRunsRightToLeft) {
    // Alef to he: right to left they stand from he to alef read from the left.
    showStatus("אבגדה");
    const std::vector<uint32_t> pixels = readPixels();
    const std::vector<bool> reversed = leftToRightCoverage("הדגבא");
    const std::vector<bool> asWritten = leftToRightCoverage("אבגדה");
    int ink = 0, offReversed = 0, offAsWritten = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const bool shown = inked(pixels[i]);
        ink += shown;
        offReversed += shown != reversed[i];
        offAsWritten += shown != asWritten[i];
    }
    ASSERT_GT(ink, 50);
    EXPECT_LE(offReversed, ink / 20);
    EXPECT_GT(offAsWritten, ink / 4);
}

TEST_F(UpdaterStatusWindow, ClosingTheWindowDropsTheLabelAndQuitsWithCodeZero) {
    platform::destroyWindow(window);
    EXPECT_EQ(statusLabel, nullptr);
    platform::Message message;
    ASSERT_TRUE(platform::waitMessage(message, 2000));
    EXPECT_EQ(message.message, platform::kMsgQuit);
    EXPECT_EQ(message.wParam, 0u);
    showStatus(kInstallingText);  // no window: nothing to draw on, nothing breaks
}

}  // namespace
