#pragma once
// Shared by the mesh, scene object, sky dome and content tests: small files
// written on the spot, the drawing set-up of the game, screenshots kept as
// test artefacts, and where a box lands on the screen.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/platform/graphics_device.h"
#include "scene/platform/math3d.h"

namespace mesh_test {

inline void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A 4 x 4 BMP of one colour, or of `top` above `bottom`.
inline void writeBmp(const std::string& name, uint32_t topRgb, uint32_t bottomRgb) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 24, SDL_PIXELFORMAT_RGB24);
    ASSERT_NE(surface, nullptr);
    const SDL_Rect top{0, 0, 4, 2}, bottom{0, 2, 4, 2};
    auto mapped = [&](uint32_t rgb) {
        return SDL_MapRGB(surface->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    };
    SDL_FillRect(surface, &top, mapped(topRgb));
    SDL_FillRect(surface, &bottom, mapped(bottomRgb));
    ASSERT_EQ(SDL_SaveBMP(surface, name.c_str()), 0);
    SDL_FreeSurface(surface);
}
inline void writeBmp(const std::string& name, uint32_t rgb) { writeBmp(name, rgb, rgb); }

// Screenshots go into the build's tests folder, beside the assembled game
// folder, wherever the run was started and whatever folder a test moves to.
inline const std::filesystem::path kArtefactFolder =
    std::filesystem::path(VORLUNE_DIST_DIR).parent_path() / "tests" / "screenshots";

inline void saveScreenshot(const std::vector<uint32_t>& argb, int width, int height,
                           const std::string& name) {
    std::filesystem::create_directories(kArtefactFolder);
    std::vector<uint32_t> copy = argb;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(copy.data(), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_ARGB8888);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(SDL_SaveBMP(surface, (kArtefactFolder / (name + ".bmp")).c_str()), 0);
    SDL_FreeSurface(surface);
}

// The render states and light the game sets at start-up, lit from `direction`.
inline void setUpGameDrawing(platform::GraphicsDevice& device, const Vec3& direction) {
    device.setRenderState(platform::RenderState::ZEnable, 1);
    device.setRenderState(platform::RenderState::CullMode, platform::kCullNone);
    device.setRenderState(platform::RenderState::Ambient, 0xFF969696);
    device.setRenderState(platform::RenderState::Lighting, 1);
    platform::Light light;
    light.diffuse = light.specular = {1, 1, 1, 0};
    light.ambient = {0.1f, 0.1f, 0.1f, 0};
    light.direction = vec3Normalize(direction);
    device.setLight(0, light);
    device.lightEnable(0, true);
}

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int area() const { return std::max(0, right - left) * std::max(0, bottom - top); }
};

// The screen rectangle that the eight corners of a box cover, all in front
// of the camera, once moved by `world`.
inline PixelRect screenRectOf(const Vec3 (&corners)[8], const Matrix& world, const Matrix& view,
                              const Matrix& projection, int width, int height) {
    const Matrix all = matrixMultiply(matrixMultiply(world, view), projection);
    float left = FLT_MAX, right = -FLT_MAX, top = FLT_MAX, bottom = -FLT_MAX;
    for (const Vec3& corner : corners) {
        const Vec3 ndc = vec3TransformCoord(corner, all);
        const float x = (ndc.x + 1) / 2 * width, y = (1 - ndc.y) / 2 * height;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    return {static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
            static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))};
}

// Relative luminance of an ARGB pixel (sRGB), 0 for black and 1 for white.
inline double luminance(uint32_t argb) {
    auto linear = [](uint32_t channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear((argb >> 16) & 0xFF) + 0.7152 * linear((argb >> 8) & 0xFF) +
           0.0722 * linear(argb & 0xFF);
}

}  // namespace mesh_test
