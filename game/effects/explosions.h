#pragma once
// The two explosion recipes built on the particle emitters.

bool spawnExplosion();
void spawnSmallExplosion();
