#include "core/platform/message_box_layout.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "core/platform/text_direction.h"

namespace platform::message_box {

namespace {

constexpr int kFontPixels = 16;
constexpr int kMargin = 16;
constexpr int kIconSize = 28;
constexpr int kIconGap = 12;
constexpr int kMinWidth = 300;
constexpr int kMinButtonWidth = 88;

constexpr SDL_Color kBackground{240, 240, 240, 255};
constexpr SDL_Color kInk{0, 0, 0, 255};
constexpr SDL_Color kWhite{255, 255, 255, 255};
constexpr SDL_Color kIconRed{200, 30, 30, 255};
constexpr SDL_Color kButtonFace{225, 225, 225, 255};
constexpr SDL_Color kButtonBorder{112, 112, 112, 255};
constexpr SDL_Color kHotFace{229, 241, 251, 255};
constexpr SDL_Color kHotBorder{0, 120, 215, 255};

void fill(SDL_Surface* surface, const SDL_Rect& rect, SDL_Color color) {
    SDL_FillRect(surface, &rect, SDL_MapRGBA(surface->format, color.r, color.g, color.b, color.a));
}

// Blits `image` centred on `area`.
void blitCentred(SDL_Surface* image, SDL_Surface* target, const SDL_Rect& area) {
    if (image == nullptr) return;
    SDL_Rect place{area.x + (area.w - image->w) / 2, area.y + (area.h - image->h) / 2, image->w,
                   image->h};
    SDL_BlitSurface(image, nullptr, target, &place);
}

}  // namespace

std::string findFontFile() {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=he"));
    if (pattern == nullptr) return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    if (fonts == nullptr) return {};
    // The language only weighs on the ranking, so the first font that really
    // holds alef is taken, not simply the first one.
    std::string file;
    for (int i = 0; i < fonts->nfont && file.empty(); ++i) {
        FcCharSet* charset = nullptr;
        FcChar8* path = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch &&
            FcCharSetHasChar(charset, 0x05D0) &&
            FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
        }
    }
    FcFontSetDestroy(fonts);
    return file;
}

FontPtr openFont() {
    const std::string file = findFontFile();
    if (file.empty()) return nullptr;
    return FontPtr(TTF_OpenFont(file.c_str(), kFontPixels));
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

SurfacePtr renderLine(TTF_Font* font, const std::string& line, SDL_Color color) {
    if (line.empty()) return nullptr;
    shapeForLine(font, line);
    return SurfacePtr(TTF_RenderUTF8_Blended(font, line.c_str(), color));
}

BoxImage renderBox(TTF_Font* font, const std::string& text, bool errorIcon, bool buttonHot) {
    BoxImage box;
    const int lineSkip = TTF_FontLineSkip(font);
    const std::vector<std::string> lines = splitLines(text);
    std::vector<SurfacePtr> rendered;
    int textWidth = 0;
    for (const std::string& line : lines) {
        rendered.push_back(renderLine(font, line, kInk));
        if (rendered.back()) textWidth = std::max(textWidth, rendered.back()->w);
    }
    const int textHeight = static_cast<int>(lines.size()) * lineSkip;
    SurfacePtr label = renderLine(font, "OK", kInk);
    SurfacePtr mark = errorIcon ? renderLine(font, "!", kWhite) : nullptr;

    const int iconSpace = errorIcon ? kIconSize + kIconGap : 0;
    const int buttonWidth = std::max(kMinButtonWidth, (label ? label->w : 0) + 32);
    const int buttonHeight = lineSkip + 12;
    const int width = std::max({kMinWidth, 2 * kMargin + iconSpace + textWidth,
                                2 * kMargin + buttonWidth});
    const int height = kMargin + std::max(textHeight, errorIcon ? kIconSize : 0) + kMargin +
                       buttonHeight + kMargin;

    box.surface.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32,
                                                     SDL_PIXELFORMAT_ARGB8888));
    if (!box.surface) return box;
    SDL_Surface* target = box.surface.get();
    fill(target, {0, 0, width, height}, kBackground);

    // A Hebrew message reads from the right, so the whole box is mirrored.
    const bool rightToLeft = containsHebrew(text);
    const int textLeft = kMargin + (rightToLeft ? 0 : iconSpace);
    const int textRight = width - kMargin - (rightToLeft ? iconSpace : 0);
    if (errorIcon) {
        const SDL_Rect icon{rightToLeft ? width - kMargin - kIconSize : kMargin, kMargin,
                            kIconSize, kIconSize};
        fill(target, icon, kIconRed);
        blitCentred(mark.get(), target, icon);
    }
    for (size_t i = 0; i < rendered.size(); ++i) {
        SDL_Surface* line = rendered[i].get();
        if (line == nullptr) continue;
        const bool lineRightToLeft = containsHebrew(lines[i]);
        SDL_Rect place{lineRightToLeft ? textRight - line->w : textLeft,
                       kMargin + static_cast<int>(i) * lineSkip, line->w, line->h};
        SDL_BlitSurface(line, nullptr, target, &place);
        box.lines.push_back(place);
    }

    box.button = {(width - buttonWidth) / 2, height - kMargin - buttonHeight, buttonWidth,
                  buttonHeight};
    fill(target, box.button, buttonHot ? kHotBorder : kButtonBorder);
    const SDL_Rect face{box.button.x + 1, box.button.y + 1, box.button.w - 2, box.button.h - 2};
    fill(target, face, buttonHot ? kHotFace : kButtonFace);
    blitCentred(label.get(), target, box.button);
    return box;
}

}  // namespace platform::message_box
