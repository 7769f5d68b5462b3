#pragma once
// The rocket: "Rocket.x", a finned rocket with its exhaust, and "rocket.bmp"
// (the exhaust glows with "flame.bmp").

#include <string>

bool writeRocket(const std::string& folder);
