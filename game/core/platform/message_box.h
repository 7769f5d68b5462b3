#pragma once
// Modal message boxes with a caption, a text and an OK button. Texts are
// UTF-8; Hebrew texts are laid out right to left. With no display the box is
// written to stderr. Tests install a sink that records the boxes instead.

#include <functional>
#include <string>

#include "core/platform/window_system.h"

namespace platform {

enum class MessageBoxIcon { None, Error };

struct MessageBoxRequest {
    WindowHandle owner = nullptr;
    std::string caption;
    std::string text;
    MessageBoxIcon icon = MessageBoxIcon::None;
};

// Shows the box and returns when the player closes it (Enter, Space, Esc or a click).
void showMessageBox(const MessageBoxRequest& request);

using MessageBoxSink = std::function<void(const MessageBoxRequest&)>;
// Routes every box to `sink` instead of the screen; an empty sink restores the screen.
void setMessageBoxSink(MessageBoxSink sink);

}  // namespace platform
