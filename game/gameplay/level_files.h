#pragma once
// The rock file "Level%d.vr" and pickup file "Level%d.su" of the current level.
// Either one larger than LineReader::kLargestFile counts as missing.

void loadLevel();
void loadPickups();
