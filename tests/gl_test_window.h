#pragma once
// A real window with the real OpenGL device on it, for tests that read the
// drawn pixels back.

#include <gtest/gtest.h>

#include <memory>

#include "core/platform/window_system.h"
#include "scene/platform/graphics_device.h"

class GLTestWindow {
public:
    GLTestWindow(int width, int height) {
        platform::WindowDescription description;
        description.title = "test";
        description.width = width;
        description.height = height;
        description.openGL = true;
        window = platform::createWindow(description);
        if (window != nullptr) device = platform::GraphicsDevice::create(window, width, height);
    }
    ~GLTestWindow() {
        device.reset();
        platform::destroyWindow(window);
    }

    platform::WindowHandle window = nullptr;
    std::unique_ptr<platform::GraphicsDevice> device;
};

struct Rgb {
    int r, g, b;
};
inline Rgb rgbOf(uint32_t argb) {
    return {static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
            static_cast<int>(argb & 0xFF)};
}
