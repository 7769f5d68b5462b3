#pragma once
// The bomb pickup: "BombS.x", a round bomb with a fuse, and "bomb.bmp".

#include <string>

bool writeBomb(const std::string& folder);
