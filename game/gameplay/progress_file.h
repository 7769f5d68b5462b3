#pragma once
// The saved level in "Data.vrp".

void saveProgress();
bool loadProgress();
