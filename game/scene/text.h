#pragma once
// Text drawn from the left and top of a rectangle, as every screen does it.

#include <cstdint>

#include "scene/platform/font.h"

constexpr uint32_t kMenuTextColor = 0xE1000000;      // black, alpha 225
constexpr uint32_t kScreenMessageColor = 0xFFFFFFFF;  // opaque white

// A font that could not be created draws nothing.
void drawText(platform::Font* font, const char* text, const Rect& rect, uint32_t argb);
