#pragma once
// What a message box looks like, drawn into an SDL surface so the picture can
// be checked without a window. Private to the platform layer.

#include <SDL2/SDL.h>
#include <SDL2/SDL_ttf.h>

#include <memory>
#include <string>
#include <vector>

namespace platform::message_box {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct FontDeleter {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontPtr = std::unique_ptr<TTF_Font, FontDeleter>;

// A font file with Hebrew letters, since most of the game's messages are
// Hebrew; empty when fontconfig knows none.
std::string findFontFile();
// The box's font (SDL2_ttf must be initialised); null when there is none.
FontPtr openFont();

std::vector<std::string> splitLines(const std::string& text);

// One line in `color`, shaped in its own direction; null for an empty line.
SurfacePtr renderLine(TTF_Font* font, const std::string& line, SDL_Color color);

struct BoxImage {
    SurfacePtr surface;        // the whole window's content
    SDL_Rect button{};         // where the OK button is
    std::vector<SDL_Rect> lines;  // where each non-empty text line was put
};

// Text, icon and OK button; the button is highlighted when `buttonHot`.
// Hebrew text mirrors the layout: right-aligned, icon on the right.
BoxImage renderBox(TTF_Font* font, const std::string& text, bool errorIcon, bool buttonHot);

}  // namespace platform::message_box
