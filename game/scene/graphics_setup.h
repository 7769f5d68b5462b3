#pragma once
// The device with its light, the camera matrices and the two fonts.

#include "core/platform/window_system.h"

bool initGraphics(platform::WindowHandle window);
void setupCamera();
bool createSmallFont();
bool createLargeFont();
