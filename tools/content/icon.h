#pragma once
// The window icon: a small emblem drawn procedurally, stored as a Windows icon
// file holding a 64x64 and a 32x32 image; the same emblem at any size as a
// PNG for the desktop's menus.

#include <string>

bool writeGameIcon(const std::string& path);
bool writeDesktopIcon(int size, const std::string& path);
