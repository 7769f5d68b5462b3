#include "scene/platform/font.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/platform/text_direction.h"

namespace platform {

namespace {

// Lines kept as textures. The game draws a handful of texts a frame; a text
// that changes every frame (a counter) would otherwise pile up textures.
constexpr size_t kMaxCachedLines = 64;

// A face name as a fontconfig pattern element: these characters separate
// the parts of a pattern.
std::string escapeFamily(const std::string& face) {
    std::string escaped;
    for (char c : face) {
        if (c == '\\' || c == '-' || c == ':' || c == ',') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string facePattern(const std::string& face, int weight) {
    std::string pattern = escapeFamily(face) + ":scalable=true";
    if (weight > 0) {
        pattern += ":weight=" + std::to_string(FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    }
    return pattern;
}

// Picks the size whose cell (ascent plus descent) is `height` pixels, as the
// game's layouts were made for. Whole point sizes step by more than a pixel
// of cell height, so the resolution is varied instead: a size of `height`
// points at d dpi is height * d / 72 pixels to the em. The rendered lines
// must be that tall too, which the rounded metrics alone do not promise: at
// some sizes descenders hang a pixel below the cell. Among equally good
// sizes the largest wins, the one whose letters fill the cell.
bool fitCellHeight(TTF_Font* font, int height) {
    constexpr const char* kProbe = "Hgjpqy";
    int bestDpi = 0, bestError = INT_MAX;
    int nearestDpi = 72, nearestError = INT_MAX;  // for heights no size comes near
    for (int dpi = 24; dpi <= 160; ++dpi) {
        if (TTF_SetFontSizeDPI(font, height, dpi, dpi) != 0) continue;
        const int cell = TTF_FontHeight(font);
        if (std::abs(cell - height) < nearestError) {
            nearestError = std::abs(cell - height);
            nearestDpi = dpi;
        }
        if (cell < height - 1) continue;
        if (cell > height + 1) break;  // it only grows from here
        int probeWidth = 0, probeHeight = 0;
        if (TTF_SizeUTF8(font, kProbe, &probeWidth, &probeHeight) != 0) continue;
        const int error = std::max(std::abs(cell - height), std::abs(probeHeight - height));
        if (error <= bestError) {
            bestError = error;
            bestDpi = dpi;
        }
    }
    const int dpi = bestDpi != 0 ? bestDpi : nearestDpi;
    return TTF_SetFontSizeDPI(font, height, dpi, dpi) == 0;
}

class TtfFont final : public Font {
public:
    TtfFont(GraphicsDevice& device, TTF_Font* font) : device_(device), font_(font) {}
    ~TtfFont() override {
        forgetLines();
        TTF_CloseFont(font_);
        TTF_Quit();
    }
    TtfFont(const TtfFont&) = delete;
    TtfFont& operator=(const TtfFont&) = delete;

    // Every text the game draws is laid out from the top left, the only format there is.
    void drawText(const std::string& text, const Rect& rect, uint32_t /*format*/,
                  uint32_t argb) override {
        if (rect.right <= rect.left) return;
        const int lineStep = lineHeight();
        size_t start = 0;
        for (int index = 0; start <= text.size(); ++index) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            const int top = rect.top + index * lineStep;
            if (top >= rect.bottom) return;
            std::string_view line(text.data() + start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!line.empty()) {
                const CachedLine& cached = lineImage(line);
                if (cached.texture != nullptr) {
                    device_.drawScreenImage(cached.texture, rect.left, top, cached.width,
                                            cached.height, argb);
                }
            }
            start = end + 1;
        }
    }

    int lineHeight() const override { return TTF_FontLineSkip(font_); }

private:
    struct CachedLine {
        Texture* texture = nullptr;  // null when the line could not be rendered
        int width = 0, height = 0;
    };

    const CachedLine& lineImage(std::string_view line) {
        if (auto found = cache_.find(line); found != cache_.end()) return found->second;
        if (cache_.size() >= kMaxCachedLines) forgetLines();
        std::string text(line);
        CachedLine image = rasterise(text);
        return cache_.emplace(std::move(text), image).first->second;
    }

    // White on transparent: the device tints it with the colour asked for.
    CachedLine rasterise(const std::string& line) {
        shapeForLine(font_, line);
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(font_, line.c_str(), {255, 255, 255, 255});
        if (rendered == nullptr) return {};
        // RGBA32 is whichever packed format has the bytes R, G, B, A in memory.
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(rendered);
        if (rgba == nullptr) return {};
        CachedLine cached{nullptr, rgba->w, rgba->h};
        const size_t rowBytes = static_cast<size_t>(rgba->w) * 4;
        std::vector<uint8_t> pixels(rowBytes * static_cast<size_t>(rgba->h));
        const auto* source = static_cast<const uint8_t*>(rgba->pixels);
        for (int y = 0; y < rgba->h; ++y) {
            std::copy_n(source + static_cast<size_t>(y) * rgba->pitch, rowBytes,
                        pixels.data() + static_cast<size_t>(y) * rowBytes);
        }
        SDL_FreeSurface(rgba);
        cached.texture = device_.createTexture(cached.width, cached.height, pixels.data());
        return cached;
    }

    void forgetLines() {
        for (auto& [text, cached] : cache_) {
            if (cached.texture != nullptr) device_.releaseTexture(cached.texture);
        }
        cache_.clear();
    }

    GraphicsDevice& device_;
    TTF_Font* font_;
    // Looked up by string_view, so drawing a cached line allocates nothing.
    struct LineHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, CachedLine, LineHash, std::equal_to<>> cache_;
};

}  // namespace

std::string findFontFile(const std::string& pattern) {
    FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (wanted == nullptr) return {};
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    if (match == nullptr) return {};
    std::string file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
    return file;
}

std::unique_ptr<Font> Font::create(GraphicsDevice& device, int height, int weight,
                                   const std::string& face) {
    if (height <= 0) return nullptr;
    const std::string file = findFontFile(facePattern(face, weight));
    if (file.empty()) return nullptr;
    if (TTF_Init() != 0) return nullptr;
    TTF_Font* font = TTF_OpenFont(file.c_str(), height);
    if (font == nullptr || !fitCellHeight(font, height)) {
        if (font != nullptr) TTF_CloseFont(font);
        TTF_Quit();
        return nullptr;
    }
    return std::make_unique<TtfFont>(device, font);
}

}  // namespace platform
