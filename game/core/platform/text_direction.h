#pragma once
// Which way a line of text runs. SDL2_ttf shapes a whole line in one
// direction, so a line is either Hebrew (right to left) or not; lines mixing
// Hebrew with Latin words or numbers are beyond what it can lay out.

#include <SDL2/SDL_ttf.h>

#include <string_view>

namespace platform {

// True when the UTF-8 line holds a Hebrew letter or mark (U+0590..U+05FF).
bool containsHebrew(std::string_view utf8);

// Prepares `font` to shape `utf8`: right to left in Hebrew script for Hebrew
// lines, left to right in Latin script otherwise. Returns true for right to left.
bool shapeForLine(TTF_Font* font, std::string_view utf8);

}  // namespace platform
