#pragma once
// Placing, boxing and drawing the rocks, pickups and rockets of a frame.

void drawRocksAndPickups();
void moveAndDrawRockets();
// Puts the rocket of `slot` where its position says, for its box and its drawing.
void placeRocket(int slot);
