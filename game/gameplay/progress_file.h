#pragma once
// The saved level in "Data.vrp"; a file larger than LineReader::kLargestFile
// counts as missing.

void saveProgress();
bool loadProgress();
