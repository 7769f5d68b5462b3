#include "updater/platform/status_label.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include "core/platform/text_direction.h"
#include "core/platform/window_system_internal.h"
#include "scene/platform/font.h"

namespace platform {

namespace {

struct TtfSession {
    const bool ok = TTF_Init() == 0;  // counted by SDL2_ttf: other fonts stay usable
    ~TtfSession() {
        if (ok) TTF_Quit();
    }
};

TTF_Font* openStatusFont() {
    const std::string file = findFontFile(kStatusFontPattern);
    return file.empty() ? nullptr : TTF_OpenFont(file.c_str(), kStatusFontPointSize);
}

class SdlStatusLabel final : public StatusLabel {
public:
    SdlStatusLabel(SDL_Renderer* renderer, const LabelPlacement& placement, std::string text)
        : renderer_(renderer), placement_(placement), text_(std::move(text)) {
        if (ttf_.ok) font_ = openStatusFont();
        draw();
    }
    ~SdlStatusLabel() override {
        if (font_ != nullptr) TTF_CloseFont(font_);
        SDL_DestroyRenderer(renderer_);
    }
    SdlStatusLabel(const SdlStatusLabel&) = delete;
    SdlStatusLabel& operator=(const SdlStatusLabel&) = delete;

    void setText(const std::string& utf8) override {
        text_ = utf8;
        draw();
    }
    const std::string& text() const override { return text_; }

private:
    // The label is the window's only content, so it paints the whole window:
    // nothing else would fill the background around it.
    void draw() {
        SDL_SetRenderDrawColor(renderer_, (kButtonFaceColor >> 16) & 0xFF,
                               (kButtonFaceColor >> 8) & 0xFF, kButtonFaceColor & 0xFF, 0xFF);
        SDL_RenderClear(renderer_);
        drawLine();
        SDL_RenderPresent(renderer_);
    }

    void drawLine() {
        if (font_ == nullptr || text_.empty()) return;
        shapeForLine(font_, text_);
        SDL_Surface* line = TTF_RenderUTF8_Blended(font_, text_.c_str(), SDL_Color{0, 0, 0, 0xFF});
        if (line == nullptr) return;
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer_, line);
        if (texture != nullptr) {
            const SDL_Rect bounds{placement_.x, placement_.y, placement_.width, placement_.height};
            const SDL_Rect destination{placement_.x, placement_.y, line->w, line->h};
            SDL_RenderSetClipRect(renderer_, &bounds);
            SDL_RenderCopy(renderer_, texture, nullptr, &destination);
            SDL_RenderSetClipRect(renderer_, nullptr);
            SDL_DestroyTexture(texture);
        }
        SDL_FreeSurface(line);
    }

    TtfSession ttf_;
    SDL_Renderer* renderer_;
    LabelPlacement placement_;
    std::string text_;
    TTF_Font* font_ = nullptr;
};

}  // namespace

std::unique_ptr<StatusLabel> StatusLabel::create(WindowHandle parent,
                                                 const LabelPlacement& placement,
                                                 const std::string& utf8) {
    SDL_Window* window = sdlWindowOf(parent);
    if (window == nullptr) return nullptr;
    // The window carries no graphics device; a few lines of text need none.
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) return nullptr;
    return std::make_unique<SdlStatusLabel>(renderer, placement, utf8);
}

}  // namespace platform
