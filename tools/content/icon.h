#pragma once
// The window icon: a small emblem drawn procedurally, stored as a Windows icon
// file holding a 64x64 and a 32x32 image.

#include <string>

bool writeGameIcon(const std::string& path);
