#include "scene/platform/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "gl_test_window.h"

namespace {

using platform::Font;
using platform::Texture;

// Records what a font asks of the device; textures are opaque tokens.
class RecordingDevice final : public platform::GraphicsDevice {
public:
    struct Created {
        Texture* texture;
        int width, height;
        std::vector<uint8_t> rgba;
    };
    struct Drawn {
        Texture* texture;
        int x, y, width, height;
        uint32_t argb;
    };

    std::vector<Created> created;
    std::vector<Texture*> released;
    std::vector<Drawn> drawn;

    size_t liveTextures() const { return created.size() - released.size(); }
    const Created& createdFor(Texture* texture) const {
        return *std::find_if(created.begin(), created.end(),
                             [&](const Created& c) { return c.texture == texture; });
    }

    Texture* createTexture(int width, int height, const uint8_t* rgba) override {
        auto* token =
            reinterpret_cast<Texture*>(static_cast<uintptr_t>(0x1000 + 16 * created.size()));
        created.push_back(
            {token, width, height,
             std::vector<uint8_t>(rgba, rgba + static_cast<size_t>(width) * height * 4)});
        return token;
    }
    void releaseTexture(Texture* texture) override { released.push_back(texture); }
    void drawScreenImage(Texture* image, int x, int y, int width, int height,
                         uint32_t argb) override {
        drawn.push_back({image, x, y, width, height, argb});
    }

    int width() const override { return 1280; }
    int height() const override { return 720; }
    void resize(int, int) override {}
    void clear(uint32_t, uint32_t, float, uint32_t) override {}
    void beginScene() override {}
    void endScene() override {}
    void present() override {}
    void setRenderState(platform::RenderState, uint32_t) override {}
    uint32_t renderState(platform::RenderState) const override { return 0; }
    void setSamplerState(int, platform::SamplerState, uint32_t) override {}
    uint32_t samplerState(int, platform::SamplerState) const override { return 0; }
    void setTransform(platform::TransformType, const Matrix&) override {}
    Matrix getTransform(platform::TransformType) const override { return {}; }
    void setLight(int, const platform::Light&) override {}
    void lightEnable(int, bool) override {}
    void setMaterial(const platform::Material&) override {}
    platform::Material material() const override { return {}; }
    void setTexture(int, Texture*) override {}
    Texture* texture(int) const override { return nullptr; }
    platform::PointBuffer* createPointBuffer(int) override { return nullptr; }
    void releasePointBuffer(platform::PointBuffer*) override {}
    platform::PointVertex* lockPointBuffer(platform::PointBuffer*) override { return nullptr; }
    void unlockPointBuffer(platform::PointBuffer*) override {}
    void setPointSource(platform::PointBuffer*) override {}
    void drawPointList(int, int) override {}
    platform::GpuMesh* createMesh(const platform::MeshData&) override { return nullptr; }
    void releaseMesh(platform::GpuMesh*) override {}
    void drawSubset(platform::GpuMesh*, uint32_t) override {}
    std::vector<uint32_t> readPixels() const override { return {}; }
    const std::vector<uint32_t>& lastPresentedFrame() const override { return noFrame; }
    std::vector<uint32_t> noFrame;
};

uint8_t alphaAt(const RecordingDevice::Created& image, int x, int y) {
    return image.rgba[(static_cast<size_t>(y) * image.width + x) * 4 + 3];
}

TEST(FontFileTest, ArialBoldResolvesToAnExistingBoldFile) {
    const std::string file = platform::findFontFile("Arial:bold");
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_NE(std::filesystem::path(file).filename().string().find("Bold"), std::string::npos)
        << file;
    const std::string regular = platform::findFontFile("Arial");
    EXPECT_EQ(std::filesystem::path(regular).filename().string().find("Bold"), std::string::npos)
        << regular;
}

class FontTest : public ::testing::Test {
protected:
    std::unique_ptr<Font> makeFont(int height, int weight = 700) {
        auto font = Font::create(device, height, weight, "Arial");
        EXPECT_NE(font, nullptr) << "height " << height;
        return font;
    }
    RecordingDevice device;
};

// The layouts place text by cell height, so the cell must be what was asked.
TEST_F(FontTest, CellHeightIsTheRequestedHeight) {
    for (int weight : {400, 700}) {
        for (int height : {12, 16, 20, 24, 30, 40, 48}) {
            SCOPED_TRACE(testing::Message() << "height " << height << " weight " << weight);
            auto font = makeFont(height, weight);
            ASSERT_NE(font, nullptr);
            font->drawText("Hgjpqy", {0, 0, 1000, 1000}, platform::kTextLeftTop, 0xff000000);
            ASSERT_EQ(device.created.size(), 1u);
            EXPECT_EQ(device.created[0].height, height);
            // Lines step by the cell plus the face's small line gap.
            EXPECT_GE(font->lineHeight(), height);
            EXPECT_LE(font->lineHeight(), height + 1 + height / 20);
            font.reset();
            device = RecordingDevice();
        }
    }
}

TEST_F(FontTest, LinesStackOneLineHeightApartFromTheTopLeft) {
    auto font = makeFont(20);
    ASSERT_NE(font, nullptr);
    const int step = font->lineHeight();
    font->drawText("first\nsecond\n\nfourth", {10, 20, 600, 400}, platform::kTextLeftTop,
                   0x80123456);
    ASSERT_EQ(device.drawn.size(), 3u);  // the empty line draws nothing but keeps its place
    const int expectedTops[] = {20, 20 + step, 20 + 3 * step};
    for (size_t i = 0; i < device.drawn.size(); ++i) {
        const auto& draw = device.drawn[i];
        const auto& image = device.createdFor(draw.texture);
        EXPECT_EQ(draw.x, 10);
        EXPECT_EQ(draw.y, expectedTops[i]);
        EXPECT_EQ(draw.width, image.width);
        EXPECT_EQ(draw.height, image.height);
        EXPECT_EQ(draw.argb, 0x80123456u);
    }
    // Lines differ in width, so each got its own image.
    EXPECT_LT(device.createdFor(device.drawn[0].texture).width,
              device.createdFor(device.drawn[1].texture).width);
}

TEST_F(FontTest, EmptyTextOrRectangleDrawsAndRendersNothing) {
    auto font = makeFont(20);
    ASSERT_NE(font, nullptr);
    font->drawText("", {0, 0, 500, 500}, platform::kTextLeftTop, 0xff000000);
    font->drawText("text", {0, 0, 500, 0}, platform::kTextLeftTop, 0xff000000);
    font->drawText("text", {0, 0, 0, 500}, platform::kTextLeftTop, 0xff000000);
    EXPECT_TRUE(device.drawn.empty());
    EXPECT_TRUE(device.created.empty());
}

TEST_F(FontTest, LinesStartingAtOrBelowTheBottomAreClipped) {
    auto font = makeFont(20);
    ASSERT_NE(font, nullptr);
    const int step = font->lineHeight();
    font->drawText("one\ntwo\nthree", {0, 100, 500, 100 + 2 * step}, platform::kTextLeftTop,
                   0xff000000);
    EXPECT_EQ(device.drawn.size(), 2u);
    EXPECT_EQ(device.created.size(), 2u);  // a clipped line is not even rendered
    device.drawn.clear();
    font->drawText("one\ntwo\nthree", {0, 100, 500, 100 + 2 * step + 1}, platform::kTextLeftTop,
                   0xff000000);
    EXPECT_EQ(device.drawn.size(), 3u);  // partly inside: drawn whole
}

TEST_F(FontTest, UnchangedLinesAreNotRenderedAgain) {
    auto font = makeFont(20);
    ASSERT_NE(font, nullptr);
    font->drawText("Score\nLives", {0, 0, 500, 500}, platform::kTextLeftTop, 0xff000000);
    ASSERT_EQ(device.created.size(), 2u);
    font->drawText("Score\nLives", {50, 60, 500, 500}, platform::kTextLeftTop, 0xffff0000);
    EXPECT_EQ(device.created.size(), 2u);  // neither place nor colour needs a new image
    EXPECT_EQ(device.drawn.back().argb, 0xffff0000u);
    font->drawText("Score\nLevel", {0, 0, 500, 500}, platform::kTextLeftTop, 0xff000000);
    EXPECT_EQ(device.created.size(), 3u);
    EXPECT_TRUE(device.released.empty());
}

TEST_F(FontTest, CacheStaysBoundedAndEveryTextureIsReleasedOnce) {
    auto font = makeFont(20);
    ASSERT_NE(font, nullptr);
    size_t mostLive = 0;
    for (int frame = 0; frame < 300; ++frame) {
        font->drawText("Time " + std::to_string(frame), {0, 0, 500, 500}, platform::kTextLeftTop,
                       0xff000000);
        mostLive = std::max(mostLive, device.liveTextures());
    }
    EXPECT_EQ(device.created.size(), 300u);
    EXPECT_LE(mostLive, 64u);
    EXPECT_GT(device.released.size(), 0u);
    font.reset();
    ASSERT_EQ(device.released.size(), device.created.size());
    std::set<Texture*> released(device.released.begin(), device.released.end());
    EXPECT_EQ(released.size(), device.released.size());  // no texture released twice
    for (const auto& image : device.created) EXPECT_EQ(released.count(image.texture), 1u);
}

// The device tints the image, so it must be white coverage, rows from the top.
TEST_F(FontTest, ImagesAreWhiteCoverageWithRowsFromTheTop) {
    auto font = makeFont(40);
    ASSERT_NE(font, nullptr);
    font->drawText("_", {0, 0, 500, 500}, platform::kTextLeftTop, 0xff000000);
    ASSERT_EQ(device.created.size(), 1u);
    const auto& image = device.created[0];
    int opaque = 0, clear = 0, inkTop = image.height, inkBottom = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* pixel = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            const uint8_t alpha = alphaAt(image, x, y);
            if (alpha == 255) ++opaque;
            if (alpha == 0) ++clear;
            if (alpha > 0) {
                EXPECT_EQ(pixel[0], 255);
                EXPECT_EQ(pixel[1], 255);
                EXPECT_EQ(pixel[2], 255);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
        }
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0);
    // An underscore sits at the bottom of the cell.
    EXPECT_GT(inkTop, image.height * 2 / 3);
    EXPECT_GE(inkBottom, inkTop);
}

// Hebrew reads from the right: the word's first letter ends up at its right end.
TEST_F(FontTest, HebrewLinesRunRightToLeft) {
    auto font = makeFont(40);
    ASSERT_NE(font, nullptr);
    font->drawText("ש\nשגיאה", {0, 0, 500, 500}, platform::kTextLeftTop, 0xff000000);
    ASSERT_EQ(device.created.size(), 2u);
    const auto& letter = device.created[0];
    const auto& word = device.created[1];
    ASSERT_EQ(letter.height, word.height);
    ASSERT_LT(letter.width * 2, word.width);
    // Least difference between the letter and the word's image at offset x,
    // over a few pixels of slack for side bearings and kerning.
    auto bestMatch = [&](int around) {
        long best = -1;
        for (int x = std::max(0, around - 3); x <= std::min(word.width - letter.width, around + 3);
             ++x) {
            long difference = 0;
            for (int y = 0; y < letter.height; ++y) {
                for (int i = 0; i < letter.width; ++i) {
                    difference += std::abs(alphaAt(word, x + i, y) - alphaAt(letter, i, y));
                }
            }
            if (best < 0 || difference < best) best = difference;
        }
        return best;
    };
    const long atRight = bestMatch(word.width - letter.width);
    const long atLeft = bestMatch(0);
    EXPECT_LT(atRight * 4, atLeft) << "right " << atRight << " left " << atLeft;
}

// ---------------------------------------------------------------- on the real device

class FontOnDeviceTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 640, kHeight = 200;
    static constexpr uint32_t kSky = 0xFF00FFE6;

    void SetUp() override { ASSERT_NE(gl.device, nullptr) << "no OpenGL 3.3 device"; }

    // Draws `text` into a cleared frame and returns the frame.
    std::vector<uint32_t> frameWith(const std::string& text, const Rect& rect, uint32_t argb) {
        auto font = Font::create(*gl.device, 40, 700, "Arial");
        EXPECT_NE(font, nullptr);
        gl.device->clear(platform::kClearTarget | platform::kClearZBuffer, kSky, 1.0f, 0);
        gl.device->beginScene();
        if (font) font->drawText(text, rect, platform::kTextLeftTop, argb);
        gl.device->endScene();
        return gl.device->readPixels();
    }

    GLTestWindow gl{kWidth, kHeight};
};

TEST_F(FontOnDeviceTest, BlackTextLandsInsideItsRectangleOnly) {
    const Rect rect{20, 30, 600, 180};
    const auto frame = frameWith("Loading, please wait...", rect, 0xFF000000);
    ASSERT_EQ(frame.size(), static_cast<size_t>(kWidth) * kHeight);
    int black = 0, left = kWidth, right = -1;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t argb = frame[static_cast<size_t>(y) * kWidth + x];
            const bool inLine =
                x >= rect.left && x < rect.right && y >= rect.top && y < rect.top + 40;
            if (!inLine) {
                ASSERT_EQ(argb & 0xFFFFFF, kSky & 0xFFFFFF) << "at " << x << "," << y;
                continue;
            }
            const Rgb rgb = rgbOf(argb);
            if (rgb.r < 40 && rgb.g < 40 && rgb.b < 40) {
                ++black;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_GT(black, 500);
    EXPECT_LT(left, rect.left + 10);  // starts at the rectangle's left
    EXPECT_GT(right - left, 300);     // a whole line of 40-pixel letters
}

TEST_F(FontOnDeviceTest, ColourTintsTheTextAndClippedLinesStayAway) {
    // Room for one line only: the second starts at the bottom edge.
    const Rect rect{20, 30, 600, 70};
    const auto frame = frameWith("Loading\nplease wait", rect, 0xFFFF0000);
    int red = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t argb = frame[static_cast<size_t>(y) * kWidth + x];
            if (y >= 70) {
                ASSERT_EQ(argb & 0xFFFFFF, kSky & 0xFFFFFF) << "at " << x << "," << y;
            }
            const Rgb rgb = rgbOf(argb);
            if (rgb.r > 240 && rgb.g < 15 && rgb.b < 15) ++red;
        }
    }
    EXPECT_GT(red, 200);
}

}  // namespace
