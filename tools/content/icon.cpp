#include "content/icon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include "content/image.h"

namespace {

// The emblem: a dark blue disc with a light arrowhead pointing up, the ship
// seen from above flying into the picture. Edges are anti-aliased by
// sampling each pixel 4x4 times.
std::vector<Rgba> drawEmblem(int size) {
    std::vector<Rgba> pixels(static_cast<size_t>(size) * size);
    constexpr int kSamples = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float disc = 0, arrow = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    // Coordinates from -1 to 1, y up.
                    const float u = ((x + (sx + 0.5f) / kSamples) / size) * 2.0f - 1.0f;
                    const float v = 1.0f - ((y + (sy + 0.5f) / kSamples) / size) * 2.0f;
                    if (u * u + v * v <= 0.94f * 0.94f) disc += 1;
                    const bool insideArrow = v < 0.7f - 2.2f * std::fabs(u) && v > -0.55f &&
                                             !(v < -0.15f - 1.2f * std::fabs(u) && v > -0.56f);
                    if (insideArrow) arrow += 1;
                }
            }
            disc /= kSamples * kSamples;
            arrow /= kSamples * kSamples;
            const float shade = 0.55f + 0.45f * (1.0f - static_cast<float>(y) / size);
            const float r = 20 * shade * (1 - arrow) + 250 * arrow;
            const float g = 70 * shade * (1 - arrow) + 220 * arrow;
            const float b = 160 * shade * (1 - arrow) + 120 * arrow;
            pixels[static_cast<size_t>(y) * size + x] = {
                static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
                static_cast<uint8_t>(std::clamp(disc, 0.0f, 1.0f) * 255)};
        }
    }
    return pixels;
}

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// One icon image: a 32-bit device-independent bitmap, bottom-up BGRA, with
// its 1-bit mask (all zero: the alpha channel decides).
std::vector<uint8_t> bitmapImage(int size) {
    const std::vector<Rgba> pixels = drawEmblem(size);
    std::vector<uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<uint32_t>(size));
    put32(out, static_cast<uint32_t>(size * 2));  // colour and mask stacked
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y) * size + x];
            out.insert(out.end(), {p.b, p.g, p.r, p.a});
        }
    }
    const int maskRowBytes = ((size + 31) / 32) * 4;
    out.insert(out.end(), static_cast<size_t>(maskRowBytes) * size, 0);
    return out;
}

}  // namespace

bool writeDesktopIcon(int size, const std::string& path) {
    Image image(size, size);
    image.pixels = drawEmblem(size);
    return savePng(image, path);
}

bool writeGameIcon(const std::string& path) {
    const int sizes[] = {64, 32};
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) images.push_back(bitmapImage(size));

    std::vector<uint8_t> file;
    put16(file, 0);
    put16(file, 1);  // icon
    put16(file, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        put16(file, 1);
        put16(file, 32);
        put32(file, static_cast<uint32_t>(images[i].size()));
        put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}
