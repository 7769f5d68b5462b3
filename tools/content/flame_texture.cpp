#include "content/flame_texture.h"

#include <algorithm>
#include <cmath>

#include "content/image.h"

bool writeFlameTexture(const std::string& folder) {
    constexpr int kSize = 64;
    Image image(kSize, kSize);
    const Colour core = fromBytes(255, 250, 215), middle = fromBytes(255, 170, 40),
                 rim = fromBytes(215, 60, 15);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const float dx = (x + 0.5f) / kSize * 2 - 1, dy = (y + 0.5f) / kSize * 2 - 1;
            const float r = std::min(1.0f, std::sqrt(dx * dx + dy * dy));
            const Colour c =
                r < 0.45f ? mix(core, middle, r / 0.45f) : mix(middle, rim, (r - 0.45f) / 0.55f);
            image.at(x, y) = toRgba(c);
        }
    }
    return saveBmp(image, folder + "/" + kFlameTextureName);
}
