#include "core/platform/text_direction.h"

namespace platform {

bool containsHebrew(std::string_view utf8) {
    // U+0590..U+05FF encode as D6 90..D6 BF and D7 80..D7 BF. A lead byte
    // never appears inside another character, so a plain scan is exact.
    for (size_t i = 0; i + 1 < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        if (lead == 0xD6 && next >= 0x90 && next <= 0xBF) return true;
        if (lead == 0xD7 && next >= 0x80 && next <= 0xBF) return true;
    }
    return false;
}

bool shapeForLine(TTF_Font* font, std::string_view utf8) {
    // Both are set every time: the font is shared by all lines, and the
    // default left-to-right shaping would print Hebrew letters backwards.
    const bool rightToLeft = containsHebrew(utf8);
    TTF_SetFontDirection(font, rightToLeft ? TTF_DIRECTION_RTL : TTF_DIRECTION_LTR);
    TTF_SetFontScriptName(font, rightToLeft ? "Hebr" : "Latn");
    return rightToLeft;
}

}  // namespace platform
