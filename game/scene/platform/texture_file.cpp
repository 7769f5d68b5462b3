#include "scene/platform/texture_file.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "core/platform/file_system.h"

namespace platform {

Texture* loadTextureFile(GraphicsDevice& device, const std::string& fileName) {
    // Read by the game itself, so that a pipe or a huge file in its place
    // counts as a broken image instead of holding up the start.
    const std::optional<std::string> content =
        readWholeRegularFile(fileName.c_str(), kLargestImageFile);
    if (!content) return nullptr;
    SDL_Surface* loaded =
        IMG_Load_RW(SDL_RWFromConstMem(content->data(), static_cast<int>(content->size())), 1);
    if (loaded == nullptr) return nullptr;
    // Decoders hand back many pixel layouts; the device takes R, G, B, A bytes.
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (rgba == nullptr) return nullptr;
    Texture* texture = nullptr;
    if (SDL_LockSurface(rgba) == 0) {
        std::vector<uint8_t> rows(static_cast<size_t>(rgba->w) * rgba->h * 4);
        for (int y = 0; y < rgba->h; ++y) {
            const auto* source = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
            std::copy(source, source + rgba->w * 4,
                      rows.begin() + static_cast<ptrdiff_t>(y) * rgba->w * 4);
        }
        SDL_UnlockSurface(rgba);
        texture = device.createTexture(rgba->w, rgba->h, rows.data());
    }
    SDL_FreeSurface(rgba);
    return texture;
}

}  // namespace platform
