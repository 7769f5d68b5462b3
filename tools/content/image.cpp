#include "content/image.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <cmath>

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(const Colour& c, float factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

namespace {
uint8_t toByte(float value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}
}  // namespace

Rgba toRgba(const Colour& c, float alpha) {
    return {toByte(c.r), toByte(c.g), toByte(c.b), toByte(alpha)};
}

Colour fromBytes(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

Image::Image(int width, int height)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height) {}

namespace {

// A surface over a copy of the pixels in the given layout, written by `write`.
template <typename Write>
bool saveThroughSurface(const Image& image, bool withAlpha, Write write) {
    const int bytesPerPixel = withAlpha ? 4 : 3;
    std::vector<uint8_t> bytes;
    bytes.reserve(image.pixels.size() * bytesPerPixel);
    for (const Rgba& p : image.pixels) {
        bytes.insert(bytes.end(), {p.r, p.g, p.b});
        if (withAlpha) bytes.push_back(p.a);
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        bytes.data(), image.width, image.height, bytesPerPixel * 8, image.width * bytesPerPixel,
        withAlpha ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24);
    if (surface == nullptr) return false;
    const bool written = write(surface) == 0;
    SDL_FreeSurface(surface);
    return written;
}

}  // namespace

bool saveBmp(const Image& image, const std::string& path) {
    return saveThroughSurface(
        image, false, [&](SDL_Surface* surface) { return SDL_SaveBMP(surface, path.c_str()); });
}

bool savePng(const Image& image, const std::string& path) {
    return saveThroughSurface(
        image, true, [&](SDL_Surface* surface) { return IMG_SavePNG(surface, path.c_str()); });
}
