#pragma once
// The 21 levels of the game, laid out by rule so each one is fair and the
// next one is a little harder.

#include <vector>

struct PlacedThing {
    int x, y, z;  // z: distance ahead of the start line
};

struct LevelLayout {
    std::vector<PlacedThing> rocks;    // at most 50
    std::vector<PlacedThing> pickups;  // at most 5
};

constexpr int kLevelCount = 21;

LevelLayout designLevel(int level);
