#pragma once
// The device with its light, the camera matrices and the two fonts.

#include <cstdint>

#include "core/platform/window_system.h"

bool initGraphics(platform::WindowHandle window);
void setupCamera();
bool createSmallFont();
bool createLargeFont();

// A position or size of the screens' layout, scaled to the window.
int32_t layoutPixels(int32_t pixels);
// The picture's size in pixels and the text scale that goes with it.
void setScreenSize(int width, int height);
// After the window changed size: the device, the text rectangles and, when
// their size changes, the fonts follow.
void fitScreenToWindow(int width, int height);
