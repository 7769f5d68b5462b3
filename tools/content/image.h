#pragma once
// Pictures made by the generator, kept as plain RGBA and written as BMP or PNG.

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A colour with float channels from 0 to 1, for mixing before it is stored.
struct Colour {
    float r = 0, g = 0, b = 0;
};

Colour mix(const Colour& a, const Colour& b, float t);
Colour scaled(const Colour& c, float factor);
Rgba toRgba(const Colour& c, float alpha = 1.0f);
Colour fromBytes(int r, int g, int b);

struct Image {
    Image(int width, int height);
    Rgba& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    int width;
    int height;
    std::vector<Rgba> pixels;  // rows from the top
};

// 24-bit BMP: the alpha channel is dropped.
bool saveBmp(const Image& image, const std::string& path);
// 32-bit PNG with alpha.
bool savePng(const Image& image, const std::string& path);
