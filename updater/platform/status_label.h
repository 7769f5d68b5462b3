#pragma once
// The updater's line of status text: a label on the updater's window, drawn
// as a static text control is, in black on the button-face background,
// clipped to its own rectangle and the window. Hebrew runs right to left.

#include <cstdint>
#include <memory>
#include <string>

#include "core/platform/window_system.h"

namespace platform {

// The window system's colour behind buttons and static text, 0xRRGGBB.
constexpr uint32_t kButtonFaceColor = 0xF0F0F0;

// A sans-serif face with Hebrew letters, at about the cell height of the
// window system's default text.
constexpr char kStatusFontPattern[] = "sans-serif:lang=he";
constexpr int kStatusFontPointSize = 13;

struct LabelPlacement {
    int x = 0, y = 0, width = 0, height = 0;  // in the parent window
};

class StatusLabel {
public:
    // Draws the label at once. Null when the window cannot be drawn on; a
    // missing font leaves a label that shows only its background.
    static std::unique_ptr<StatusLabel> create(WindowHandle parent, const LabelPlacement& placement,
                                               const std::string& utf8);
    virtual ~StatusLabel() = default;
    // Replaces the text and shows the new one at once.
    virtual void setText(const std::string& utf8) = 0;
    virtual const std::string& text() const = 0;
};

}  // namespace platform
