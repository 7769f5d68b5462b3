#pragma once
// The frame functions of the screens outside play.

void menuFrame();
void gameOverFrame();
void levelTransitionFrame();
void theEndFrame();
