#pragma once
// The explosion sound, started without waiting; a new one cuts off the last.

void playExplosionSound();
