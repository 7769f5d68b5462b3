#pragma once
// "flame.bmp": the glow of the ship's engines and of the rocket's exhaust,
// white-hot in the middle and orange to red towards the rim.

#include <string>

bool writeFlameTexture(const std::string& folder);

// The name the ship's and the rocket's materials give.
inline constexpr const char* kFlameTextureName = "flame.bmp";
