#pragma once
// The rock file "Level%d.vr" and pickup file "Level%d.su" of the current level.

void loadLevel();
void loadPickups();
