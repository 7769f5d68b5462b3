#pragma once
// Placing, boxing and drawing the rocks, pickups and rockets of a frame.

void drawRocksAndPickups();
void moveAndDrawRockets();
