#pragma once
// Text in the game's fonts: a face resolved to a font file through
// fontconfig, rendered with SDL2_ttf, drawn through the graphics device.
// Rendered lines are cached as textures, so an unchanged text is not
// rasterised again from frame to frame.

#include <cstdint>
#include <memory>
#include <string>

#include "scene/platform/graphics_device.h"

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

namespace platform {

constexpr uint32_t kTextLeftTop = 0;  // laid out from the rectangle's left and top

class Font {
public:
    // `height`: character cell height in pixels; `weight` 700 is bold.
    // Null when no font file can be found or opened.
    static std::unique_ptr<Font> create(GraphicsDevice& device, int height, int weight,
                                        const std::string& face);
    virtual ~Font() = default;
    // UTF-8 text; '\n' starts a new line. Drawn with `argb` (alpha included),
    // clipped to `rect`.
    virtual void drawText(const std::string& text, const Rect& rect, uint32_t format,
                          uint32_t argb) = 0;
    virtual int lineHeight() const = 0;
};

// The font file fontconfig picks for a face pattern such as "Arial:bold";
// empty when there is none.
std::string findFontFile(const std::string& pattern);

}  // namespace platform
