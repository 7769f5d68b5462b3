#include "audio/sound.h"

#include "audio/platform/audio_mixer.h"

void playExplosionSound() { platform::playSoundFile("explode.wav"); }
