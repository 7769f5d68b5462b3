#include "scene/text.h"

void drawText(platform::Font* font, const char* text, const Rect& rect, uint32_t argb) {
    if (font == nullptr || text == nullptr) return;
    font->drawText(text, rect, platform::kTextLeftTop, argb);
}
