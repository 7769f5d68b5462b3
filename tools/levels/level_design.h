#pragma once
// The 21 levels of the game, laid out by rule: the first ones teach steering,
// the next bring pickups and rows that close two lanes, and from level 6 on
// walls across all three lanes need a rocket.

#include <vector>

struct PlacedThing {
    int x, y, z;  // z: distance ahead of the start line
};

struct LevelLayout {
    std::vector<PlacedThing> rocks;    // at most 50
    std::vector<PlacedThing> pickups;  // at most 5
    int length = 0;                    // depth of the farthest rock: passing it ends the level
    int rows = 0;                      // rows of rocks across the lanes
    int walls = 0;                     // rows that close all three lanes
    int tightestFrames = 0;            // the least time the route leaves for an action
    int promisedFrames = 0;            // the least time this level's pace promises
    bool needsRockets() const { return walls > 0; }
};

constexpr int kLevelCount = 21;

// All levels in order.
std::vector<LevelLayout> designLevels();
