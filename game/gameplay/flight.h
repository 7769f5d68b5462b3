#pragma once
// The ship's sideways steering (every frame) and the playing frame.

void applySteering();
void playingFrame();
